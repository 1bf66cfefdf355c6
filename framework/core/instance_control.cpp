#include "instance_control.h"

#include "application.h"
#include "elevation.h"
#include "monitors.h"
#include "../window/frame_window.h"

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

// Truncated toward zero, plus one when the dropped fraction is at least a half.
int RoundScaled(double value) {
    int whole = (int)value;
    return value - whole >= 0.5 ? whole + 1 : whole;
}

// Keeps visible windows at the same place relative to their monitor after the resolution
// changed. Hidden windows and those that ask to keep their place are left alone.
void RescaleWindowsAfterDisplayChange() {
    RefreshMonitorsAfterDisplayChange();
    CApplication& app = App();
    for (int i = app.windows.Count() - 1; i >= 0; --i) {
        CFrameWindow* frame = app.windows[i];
        if (frame->flags & (0x10000000u | 0x4u)) continue;
        RECT now, before;
        GetMonitorRect(frame->normalRect.left, frame->normalRect.top, 0, &now);
        GetMonitorRect(frame->normalRect.left, frame->normalRect.top, 1, &before);
        int oldWidth = before.right - before.left, oldHeight = before.bottom - before.top;
        if (oldWidth <= 0 || oldHeight <= 0) continue;
        double sx = (double)(now.right - now.left) / oldWidth;
        double sy = (double)(now.bottom - now.top) / oldHeight;
        const RECT& r = frame->lastRect;
        int left = RoundScaled(r.left * sx), top = RoundScaled(r.top * sy);
        frame->Move(left, top, RoundScaled(r.right * sx - r.left * sx), RoundScaled(r.bottom * sy - r.top * sy), false);
    }
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
    if (message == WM_DISPLAYCHANGE) RescaleWindowsAfterDisplayChange();
    return DefWindowProcA(window, message, wParam, lParam);
}
