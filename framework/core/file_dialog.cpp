#include "file_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <cstring>

#include "monitors.h"
#include "path_util.h"
#include "system_dialogs.h"

namespace {

// The chosen path, valid until the next file dialog.
char g_path[kMaxPath];
char g_defaultExtension[kMaxPath];

constexpr DWORD kOpenFlags =
    OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
constexpr DWORD kSaveFlags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK |
                             OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
static_assert(kOpenFlags == 0x0088102C, "open flags");
static_assert(kSaveFlags == 0x0088082E, "save flags");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(OPENFILENAMEA) == 88, "the file-name structure in its 88-byte form");
#endif

// With OFN_EXPLORER the hook window is a child of the dialog: centre its parent.
UINT_PTR CALLBACK CentringHook(HWND hook, UINT message, WPARAM, LPARAM) {
    if (message == WM_SHOWWINDOW) CentreWindow(GetParent(hook), nullptr);
    return 0;
}

bool RunDialog(bool save, OPENFILENAMEA* ofn) {
    return (save ? SystemGetSaveFileName(ofn) : SystemGetOpenFileName(ofn)) != FALSE;
}

}  // namespace

bool FilterDefaultExtension(const char* filter, int row, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = 0;
    if (!filter || row < 0) return false;
    const char* p = filter;
    for (int i = 0; i < row; ++i) {
        if (!*p) return false;         // the filter ended
        p += strlen(p) + 1;            // description
        if (!*p) return false;
        p += strlen(p) + 1;            // pattern
    }
    if (!*p) return false;
    p += strlen(p) + 1;                // the row's description
    if (p[0] != '*' || p[1] != '.') return false;
    const char* extension = p + 2;
    const size_t length = strcspn(extension, ";");
    if (length == 0 || length >= size) return false;
    for (size_t i = 0; i < length; ++i)
        if (extension[i] == '*' || extension[i] == '?' || extension[i] == ' ') return false;
    memcpy(out, extension, length);
    out[length] = 0;
    return true;
}

const char* FileDialog(bool save, const char* filter, int filterRow, int* rowOut, char* folder,
                       const char* initialName) {
    g_path[0] = 0;
    if (initialName) CopyTruncated(g_path, sizeof(g_path), initialName);

    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof(ofn));
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = filterRow + 1;
    ofn.lpstrFile = g_path;
    ofn.nMaxFile = sizeof(g_path);
    ofn.lpstrInitialDir = folder;
    ofn.Flags = save ? kSaveFlags : kOpenFlags;
    ofn.lpfnHook = CentringHook;
    // The row's own extension: a name typed without one must still match the filter it
    // was saved under.
    ofn.lpstrDefExt = FilterDefaultExtension(filter, filterRow, g_defaultExtension, sizeof(g_defaultExtension))
                          ? g_defaultExtension
                          : nullptr;

    if (!RunDialog(save, &ofn)) {
        // An unusable initial name makes the dialog fail before it shows: try without it.
        if (SystemCommDlgExtendedError() != FNERR_INVALIDFILENAME) return nullptr;
        g_path[0] = 0;
        if (!RunDialog(save, &ofn)) return nullptr;
    }
    if (folder) {
        CopyTruncated(folder, kMaxPath, g_path);
        if (ofn.nFileOffset < kMaxPath) folder[ofn.nFileOffset] = 0;
    }
    if (rowOut) *rowOut = (int)ofn.nFilterIndex - 1;
    return g_path;
}
