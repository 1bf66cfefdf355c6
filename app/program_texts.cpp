// The program's English texts; installed as the language-0 program table at start-up.
#include "program_texts.h"

TextRecord g_programTexts[] = {
    {kTextProductName, {"Plexaro"}},
    {kTextExeFilter, {"Executable Files (.EXE)"}},
    {kTextRestartComputer,
     {"You must restart your computer before the new settings will take effect.",
      "You must restart your computer before the new settings will take effect.\n\nDo you want to restart your computer now?"}},
    {kTextInvalidPath, {"Invalid path!"}},
    {kTextFilterFull, {"The list of excluded objects is full.\nRemove an object before adding another one."}},
    {kTextTableEnd, {}},
};
