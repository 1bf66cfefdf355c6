// The framework's English texts. Sub-text 0 of a command's id is its caption and
// sub-text 2 its status text. The records are kept in groups, not in id order: the
// table is sorted when it is installed.
#include "text_table.h"

#define N nullptr

TextRecord g_frameworkTexts[] = {
    {61442, {" * ", N, "Displays additional items", "Additional Items"}},
    {61443, {"Error initializing the application!\nError code 0x%08X.", "Ag"}},
    {61444, {"Ready"}},
    {61445, {"%s v%d.%d.%d"}},
    {61447, {"Could not display the manual \"%s\".\nPlease make sure that a viewer for this file type is installed on your system.",
             "Could not find the manual \"%s\".\nPlease reinstall the program."}},
    {61448, {"Could not access the data path!\n%s\nPlease make sure that this path is accessible or choose a different data path during setup.",
             "Waiting for data folder...",
             "Quit %s"}},
    {61449, {"Warning: your current configuration will be overwritten!\nDo you want to continue?",
             "Configuration file error!",
             "Error restoring data!",
             "Wrong product!",
             "Some file(s) could not be backed up!\nMaybe they are in use by the program."}},
    {61450, {"Data restored successfully!", "Data backed up successfully!", "Data reset successfully!"}},
    {61451, {"The program must be restarted to apply the changes.\nClick OK to restart the program now."}},
    {61452, {"Update Check", "Checking...", "Version download error", "Version format error",
             "New version available", "No update available", "Could not start update check"}},
    {61701, {""}},

    // Lock menu
    {61776, {"Lock", N, "Lock menu"}},
    {61777, {"Bar Positions", N, "Locks the positions of the stoolbars"}},
    {61778, {"Bar Sizes", N, "Locks the sizes of the toolbars"}},
    {61779, {"Window Position", N, "Locks the position of the window"}},
    {61780, {"Window Size", N, "Locks the size of the window"}},
    {61781, {"Lock All", N, "Locks all window parameters"}},
    {61782, {"Resolution Change", N, "Locks the size and position of the window if the screen resolution changes"}},

    // Window menu
    {61712, {"Always on Top", N, "Keeps the window on top of all others"}},
    {61713, {"Show on Taskbar", N, "Shows the window on the Taskbar"}},

    // Caption menu
    {61728, {"Caption", N, "Caption menu"}},
    {61729, {"Normal", N, "Normal size window caption"}},
    {61730, {"Small", N, "Small window caption"}},
    {61731, {"No Caption", N, "No window caption"}},
    {61732, {"Borderless", N, "No window borders at all"}},

    // Colour menu
    {61744, {"Color", N, "Color menu"}},
    {61745, {"None", N, "No color scheme"}},
    {61746, {"Default", N, "Default color scheme"}},
    {61747, {"Custom", N, "Custom color scheme"}},
    {61748, {"Background", N, "Sets the background color"}},
    {61749, {"Focus", N, "Sets the focus color"}},
    {61750, {"Text", N, "Sets the text color"}},
    {61751, {"Highlighted Text", N, "Sets the highlighted text color"}},

    // Font menu
    {61760, {"Font", N, "Selects the user interface font"}},
    {61761, {"Default", N, "Selects the default user interface font"}},
    {61762, {"Custom...", N, "Selects a custom user interface font"}},

    // Transparency menu
    {61792, {"Transparency", N, "Sets the transparency"}},
    {61793, {"Off", N, "Switches transparency off"}},
    {61794, {"10%", N, "10% transparency"}},
    {61795, {"20%", N, "20% transparency"}},
    {61796, {"30%", N, "30% transparency"}},
    {61797, {"40%", N, "40% transparency"}},
    {61798, {"50%", N, "50% transparency"}},
    {61799, {"60%", N, "60% transparency"}},
    {61800, {"70%", N, "70% transparency"}},
    {61801, {"80%", N, "80% transparency"}},
    {61802, {"90%", N, "90% transparency"}},
    {61803, {"Ghost", N, "Let the mouse click through the window"}},

    // Dialog buttons
    {61952, {"OK", "Cancel", "Apply", "Help", "Yes", "No"}},

    {kTextTableEnd, {}},
};

#undef N
