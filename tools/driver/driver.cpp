// Drives the program's windows for tests and scripts, by window messages only.
//   plexaro_driver wait-window TITLE [MS]    exit 0 once a visible top-level window has TITLE
//   plexaro_driver close-window TITLE [MS]   closes it (WM_CLOSE); exit 0 when it went away
//   plexaro_driver list-windows              prints the visible top-level windows
//   plexaro_driver click TITLE ID            clicks the button ID of that window (posted,
//                                            so a dialog it opens does not block the driver)
//   plexaro_driver set-text TITLE ID TEXT    sets the text of control ID
// Each command also prints "ok" or "failed": inside Wine's own desktop (explorer /desktop)
// the exit code does not come back, the output does.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Search { const char* title; HWND found; };

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char title[256];
    if (IsWindowVisible(window) && GetWindowTextA(window, title, sizeof(title)) && strcmp(title, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitWindow(const char* title, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        Search search = {title, nullptr};
        EnumWindows(FindVisible, (LPARAM)&search);
        if (search.found || GetTickCount() - start >= ms) return search.found;
        Sleep(50);
    }
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    char title[256] = "", cls[128] = "";
    if (!IsWindowVisible(window)) return TRUE;
    GetWindowTextA(window, title, sizeof(title));
    GetClassNameA(window, cls, sizeof(cls));
    printf("%p\t%s\t%s\n", (void*)window, cls, title);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "list-windows") == 0) {
        EnumWindows(PrintWindow, 0);
        return 0;
    }
    if (argc < 3) {
        fprintf(stderr, "usage: plexaro_driver wait-window|close-window TITLE [MS] | list-windows |\n"
                        "       click TITLE ID | set-text TITLE ID TEXT\n");
        return 2;
    }
    if ((strcmp(argv[1], "click") == 0 && argc == 4) || (strcmp(argv[1], "set-text") == 0 && argc == 5)) {
        HWND window = WaitWindow(argv[2], 10000);
        const int id = atoi(argv[3]);
        HWND control = window ? GetDlgItem(window, id) : nullptr;
        if (control && argv[1][0] == 'c')
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control);
        else if (control)
            SendMessageA(control, WM_SETTEXT, 0, (LPARAM)argv[4]);
        puts(control ? "ok" : "failed");
        return control ? 0 : 1;
    }
    DWORD ms = argc >= 4 ? (DWORD)strtoul(argv[3], nullptr, 10) : 10000;
    HWND window = WaitWindow(argv[2], ms);
    bool ok = window != nullptr;
    if (ok && strcmp(argv[1], "close-window") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD start = GetTickCount();
        while (IsWindow(window) && GetTickCount() - start < ms) Sleep(50);
        ok = !IsWindow(window);
    }
    puts(ok ? "ok" : "failed");
    return ok ? 0 : 1;
}
