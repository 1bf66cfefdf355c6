#include "system_dialogs.h"

#include <cstdio>

namespace {

// Loaded from the system folder by full path, never from the search path.
HMODULE SystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    char full[MAX_PATH];
    const int written = snprintf(full, sizeof(full), "%s\\%s", path, name);
    if (written <= 0 || written >= (int)sizeof(full)) return nullptr;
    return LoadLibraryA(full);
}

template <class Fn>
Fn Entry(const char* library, const char* name) {
    // Kept for the run: the libraries are never unloaded, so the pointers stay valid.
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = SystemLibrary(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

BOOL SystemGetOpenFileName(OPENFILENAMEA* ofn) {
    static auto call = Entry<BOOL(WINAPI*)(OPENFILENAMEA*)>("comdlg32.dll", "GetOpenFileNameA");
    return call ? call(ofn) : FALSE;
}

BOOL SystemGetSaveFileName(OPENFILENAMEA* ofn) {
    static auto call = Entry<BOOL(WINAPI*)(OPENFILENAMEA*)>("comdlg32.dll", "GetSaveFileNameA");
    return call ? call(ofn) : FALSE;
}

DWORD SystemCommDlgExtendedError() {
    static auto call = Entry<DWORD(WINAPI*)()>("comdlg32.dll", "CommDlgExtendedError");
    return call ? call() : 0;
}

BOOL SystemChooseColor(CHOOSECOLORA* choose) {
    static auto call = Entry<BOOL(WINAPI*)(CHOOSECOLORA*)>("comdlg32.dll", "ChooseColorA");
    return call ? call(choose) : FALSE;
}

BOOL SystemGradientFill(HDC hdc, TRIVERTEX* vertices, ULONG count, void* mesh, ULONG meshCount, ULONG mode) {
    static auto call = Entry<BOOL(WINAPI*)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG)>("msimg32.dll", "GradientFill");
    return call ? call(hdc, vertices, count, mesh, meshCount, mode) : FALSE;
}
