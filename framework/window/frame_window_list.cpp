// The application object's list of framework windows, its dispatch to the main window and
// the modal depth the windows follow.
#include <new>

#include "../core/application.h"
#include "../core/sorted_search.h"
#include "frame_window.h"

namespace {

int IndexOf(const CGrowableList<CFrameWindow*>& windows, const CFrameWindow* window) {
    for (int i = 0; i < windows.Count(); ++i)
        if (windows[i] == window) return i;
    return -1;
}

// Out of the list first, so nothing reached while the window goes down finds it there.
void DestroyAt(CGrowableList<CFrameWindow*>& windows, int position) {
    CFrameWindow* window = windows[position];
    windows.Remove(position);
    delete window;   // the destructor destroys the window
}

}  // namespace

CFrameWindow* CApplication::FindFrameWindowById(uint16_t id) const {
    for (int i = 0; i < windows.Count(); ++i)
        if (windows[i]->index == id) return windows[i];
    return nullptr;
}

CFrameWindow* CApplication::FindFrameWindowByHandle(HWND window) const {
    if (!window) return nullptr;
    for (int i = 0; i < windows.Count(); ++i)
        if (windows[i]->window == window) return windows[i];
    return nullptr;
}

int CApplication::CreateFrameWindow(uint16_t id, WNDPROC procedure, const char* title, int iconId, uint32_t flags,
                                    int x, int y, int width, int height) {
    CFrameWindow* window = new (std::nothrow) CFrameWindow;
    if (!window) return -1;
    // In the list before its window exists: the program's procedure may look for it on WM_CREATE.
    window->index = id;
    int position = SortedInsertPosition(windows.Count(), id, [this](int i) { return windows[i]->index; });
    position = windows.Insert(position, &window);
    if (position < 0) {
        delete window;
        return -1;
    }
    if (window->Create(id, procedure, title, iconId, flags, x, y, width, height) != 0) {
        int at = IndexOf(windows, window);
        if (at >= 0) windows.Remove(at);
        delete window;
        return -1;
    }
    // The creation may have added windows of its own in front of this one.
    return IndexOf(windows, window);
}

void CApplication::DestroyFrameWindow(uint16_t id) {
    for (int i = 0; i < windows.Count(); ++i) {
        if (windows[i]->index == id) {
            DestroyAt(windows, i);
            return;
        }
    }
}

void CApplication::DestroyAllFrameWindows() {
    while (windows.Count() > 0) DestroyAt(windows, windows.Count() - 1);
}

LRESULT CApplication::SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    const int count = windows.Count();
    if (count == 0) return -1;
    CFrameWindow* target = windows[0];
    for (int i = count - 1; i >= 1; --i) {
        if (windows[i]->flags & kWindowMain) {
            target = windows[i];
            break;
        }
    }
    return SendMessageA(target->window, message, wParam, lParam);
}

HWND CApplication::GetOwnForegroundWindow() const {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

namespace {
// Every framework window learns the new depth; a window may go away while it is told.
void SendModalDepth(CApplication& app) {
    for (int i = 0; i < app.windows.Count(); ++i) {
        HWND window = app.windows[i]->window;
        if (window) SendMessageA(window, kMsgModalDepth, static_cast<WPARAM>(app.modalDepth), 0);
    }
}
}  // namespace

void CApplication::BeginModal() {
    ++modalDepth;
    SendModalDepth(*this);
}

void CApplication::EndModal() {
    if (modalDepth > 0) --modalDepth;
    SendModalDepth(*this);
}
