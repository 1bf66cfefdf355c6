#include "instance_control.h"

#include "application.h"
#include "elevation.h"

namespace {

struct InstanceSearch {
    const char* productName;
    DWORD ownProcess;
    HWND found;
};

BOOL CALLBACK FindInstanceWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<InstanceSearch*>(param);
    char text[260];
    if (!GetClassNameA(window, text, sizeof(text)) || _stricmp(text, "OMXWindow") != 0) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->ownProcess) return TRUE;
    if (GetWindowTextA(window, text, sizeof(text)) && strcmp(text, search->productName) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindRunningInstance(const char* productName) {
    InstanceSearch search = {productName, GetCurrentProcessId(), nullptr};
    EnumWindows(FindInstanceWindow, (LPARAM)&search);
    return search.found;
}

LRESULT CALLBACK PhantomWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CApplication& app = App();
    if (message == app.controlMessage && message != 0) {
        if ((uint32_t)lParam != app.productCheckValue) return DefWindowProcA(window, message, wParam, lParam);
        switch (wParam) {
            case kControlRestart:
                RequestRestart(-1, nullptr, 0);
                return 0;
            // Anyone can broadcast the control message: only the known commands are passed on,
            // never an arbitrary window message.
            case kControlStoreData:
            case kControlHelp:
            case kControlActivate:
            case kControlTaskbarCreated:
            case kControlQuit:
                app.SendToMainWindow((UINT)wParam, 0, 0);
                return 0;
        }
        return 0;
    }
    if (message == app.taskbarCreatedMessage && message != 0) {
        app.SendToMainWindow(kControlTaskbarCreated, 0, 0);
        return 0;
    }
    if (message == WM_ENDSESSION) app.SaveWindowStates();
    return DefWindowProcA(window, message, wParam, lParam);
}
