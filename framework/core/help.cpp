#include "help.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "application.h"
#include "message_box.h"
#include "path_util.h"

namespace {

// Shown without an owner: help is asked for from dialogs that may be about to close.
void ShowHelpFailure(int sub, const char* argument) {
    ShowMessage(nullptr, App().productName, App().Text(kTextHelpFailure, sub), 0x111, IDOK, argument);
}

bool IsFullyQualified(const char* path) {
    const bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool unc = (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
    return drive || unc;
}

// The help file's full path. A relative name belongs to the installation folder: a file of
// that name in whatever folder the program was started from must never be opened instead.
// Names relative to the current drive ("\x.chm", "C:x.chm") have no such place: false.
bool ResolveHelpPath(const char* file, char* path) {
    if (IsFullyQualified(file)) return CopyBounded(path, kMaxPath, file);
    if (file[0] == '\\' || file[0] == '/' || (file[0] && file[1] == ':')) return false;
    const char* folder = App().installation.installFolder;
    const size_t length = BoundedLength(folder, sizeof(App().installation.installFolder));
    if (length == 0 || length >= sizeof(App().installation.installFolder)) return false;
    const bool separated = folder[length - 1] == '\\' || folder[length - 1] == '/';
    return FormatBounded(path, kMaxPath, separated ? "%s%s" : "%s\\%s", folder, file);
}

}  // namespace

int OpenHelp(const char* file, const char* topic) {
    if (!file || !strstr(file, ".chm")) return kHelpNotCompiledHelp;

    char path[kMaxPath];
    if (!ResolveHelpPath(file, path)) {
        ShowHelpFailure(1, file);
        return kHelpNotFound;
    }
    // In place: the short form is never longer than the long one.
    char shortPath[kMaxPath];
    const DWORD shortLength = GetShortPathNameA(path, shortPath, sizeof(shortPath));
    if (shortLength > 0 && shortLength < sizeof(shortPath)) strcpy(path, shortPath);

    char viewer[MAX_PATH] = {};
    const INT_PTR found = reinterpret_cast<INT_PTR>(FindExecutableA(path, nullptr, viewer));
    if (found == SE_ERR_NOASSOC) {
        ShowHelpFailure(0, file);
        return kHelpNoViewer;
    }
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        ShowHelpFailure(1, path);
        return kHelpNotFound;
    }
    if (found <= 32) {
        ShowHelpFailure(0, file);
        return kHelpViewerFailed;
    }

    // "<path>::/<topic>" in double quotes; a topic that does not fit is not cut.
    char parameters[2 * kMaxPath + 8];
    const bool fits = topic && topic[0] ? FormatBounded(parameters, sizeof(parameters), "\"%s::/%s\"", path, topic)
                                        : FormatBounded(parameters, sizeof(parameters), "\"%s\"", path);
    if (fits) {
        const INT_PTR started = reinterpret_cast<INT_PTR>(
            ShellExecuteA(nullptr, nullptr, viewer, parameters, nullptr, SW_SHOWNORMAL));
        if (started > 32) return kHelpShown;
    }
    ShowHelpFailure(0, file);
    return kHelpViewerFailed;
}
