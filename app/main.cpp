// Program entry: the framework start-up, then the options editor's own start-up steps.
#include <windows.h>
#include <shlobj.h>
#include <cstring>
#include <ctime>

#include "../framework/core/application.h"
#include "../framework/core/message_box.h"
#include "../framework/core/path_util.h"
#include "../framework/core/startup.h"
#include "../framework/core/dialog_helpers.h"
#include "options_dialog.h"
#include "options_store.h"
#include "program_texts.h"

namespace {

using InitOptionsFn = void(__cdecl*)(void*);

// The extension's defaults. Loaded by full path from the program's own folder: a library
// of the same name found elsewhere on the search path must never run here (the elevated
// copies run this too).
bool FillOptionDefaults() {
    char path[MAX_PATH];
    const char* program = App().programPath;
    const char* slash = strrchr(program, '\\');
    if (!slash || !FormatBounded(path, sizeof(path), "%.*s\\Plexaro32.dll", (int)(slash - program), program))
        return false;
    HMODULE library = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) return false;
    auto initOptions = (InitOptionsFn)(void*)GetProcAddress(library, "InitOptions");
    if (initOptions) initOptions(&g_options);
    FreeLibrary(library);
    return initOptions != nullptr;
}

void ShowDataPathMessage() {
    CApplication& app = App();
    ShowMessage(nullptr, app.productName, app.Text(kTextDataPath, 0), 0x111, 0, app.perUserDataFolder);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    int started = InitApplication(instance, kTextProductName, g_programTexts, 0, 1, commandLine, showCommand);
    // A hand-over or a wait the user gave up is a normal end; real failures keep their code
    // (their message was shown already) so setup and scripts can tell.
    if (started == kErrorHandedOver || (started == kErrorDataFolderWait && !App().dataFolderUnusable)) return 0;
    if (started != 0) return started;

    CoInitialize(nullptr);
    if (FAILED(SHGetMalloc(&g_shellMalloc))) g_shellMalloc = nullptr;
    if (FAILED(SHGetDesktopFolder(&g_desktopFolder))) g_desktopFolder = nullptr;

    int error = 0;     // start-up error code, shown in the start-up error box
    int exitCode = 0;
    if (!FillOptionDefaults()) {
        error = 1;
    } else {
        LoadOptions();
        g_options.LastStart = (uint32_t)_time64(nullptr);
        SaveOptions(kSaveQuiet);
        if (App().FindArgument("-RESTARTASADMIN") >= 0 && !SaveOptions(kSaveApply)) ShowDataPathMessage();
        if (App().FindArgument("-SAVEASADMIN") >= 0) {
            // No dialog to go back to: say what failed and end with a failure code.
            if (!SaveOptions(kSaveOk)) {
                ShowDataPathMessage();
                exitCode = 1;
            }
        } else {
            // The hidden main window receives the control messages; the options dialog's
            // modal loop serves it and is the program's main loop.
            CApplication& app = App();
            int created = app.CreateFrameWindow(0, OptionsCallback, app.productName, 1, 0x10000400, 0, 0, 0, 0);
            // From here on a second start finds this instance by its main window.
            app.ReleaseInstanceCheck();
            if (created < 0)
                error = 1;
            else
                RunModalDialog(nullptr, kOptionsDialogId, OptionsDialog, 0);
        }
    }

    FreeFavorites();
    if (g_desktopFolder) g_desktopFolder->Release();
    if (g_shellMalloc) g_shellMalloc->Release();
    g_desktopFolder = nullptr;
    g_shellMalloc = nullptr;
    CoUninitialize();

    if (error) {
        CApplication& app = App();
        ShowMessage(nullptr, app.productName, app.Text(kTextStartupError, 0), 0x111, 0, error);
        return error;
    }
    return exitCode;
}
