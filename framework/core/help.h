// Opening the compiled help file at a topic.
#pragma once

enum : int {
    kHelpShown = 0,
    kHelpNotCompiledHelp = 1,   // the name does not contain ".chm": refused silently
    kHelpNoViewer = 2,
    kHelpNotFound = 3,
    kHelpViewerFailed = 4,
};

// Text id of the two help failures (sub-text 0 no viewer, 1 file not found).
constexpr unsigned short kTextHelpFailure = 61447;

// Opens the help file with the viewer associated with it, at the topic when one is given
// ("Options.htm" opens "<file>::/Options.htm"). A relative name is resolved against the
// installation folder only, never the current folder. Every failure but the first shows
// its message box. Returns one of the codes above.
int OpenHelp(const char* file, const char* topic);
