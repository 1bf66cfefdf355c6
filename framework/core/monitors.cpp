#include "monitors.h"

#include <cstring>

#include "monitor_math.h"

namespace {

MonitorList g_lists[2];

MonitorList& List(int list) { return g_lists[list == 1 ? 1 : 0]; }

MonitorRect ToMonitorRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    MonitorList* list = reinterpret_cast<MonitorList*>(data);
    if (list->count >= kMaxMonitors) return FALSE;
    list->rects[list->count++] = *rect;
    return list->count < kMaxMonitors;
}

// Owns a library loaded by name for the time of one call.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~LoadedLibrary() { if (module_) FreeLibrary(module_); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    FARPROC Find(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

private:
    HMODULE module_;
};

}  // namespace

const MonitorList& GetMonitorList(int list) { return List(list); }

void EnumerateMonitors() {
    MonitorList& current = List(0);
    current.count = 0;
    {
        // Looked up at run time: systems without multiple-monitor support lack the export.
        using EnumProc = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
        LoadedLibrary user("user32.dll");
        EnumProc enumerate = reinterpret_cast<EnumProc>(reinterpret_cast<void*>(user.Find("EnumDisplayMonitors")));
        if (enumerate) enumerate(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&current));
    }
    if (current.count == 0) {
        GetWindowRect(GetDesktopWindow(), &current.rects[0]);
        current.count = 1;
    }
}

void RefreshMonitorsAfterDisplayChange() {
    List(1) = List(0);
    EnumerateMonitors();
}

void GetMonitorRect(int x, int y, int list, RECT* out) {
    const MonitorList* chosen = &List(list);
    if (chosen->count == 0) {
        EnumerateMonitors();
        // The previous list stays empty until the first display change; the current
        // monitors are the best answer until then.
        if (chosen->count == 0) chosen = &List(0);
    }
    MonitorRect rects[kMaxMonitors];
    for (int i = 0; i < chosen->count; ++i) rects[i] = ToMonitorRect(chosen->rects[i]);
    *out = chosen->rects[FindMonitorIndex(x, y, rects, chosen->count)];
}

void CentreWindow(HWND window, RECT* rect) {
    HWND parent = GetParent(window);
    if (!parent) parent = GetDesktopWindow();
    RECT parentRect, windowRect;
    GetWindowRect(parent, &parentRect);
    if (rect) windowRect = *rect;
    else GetWindowRect(window, &windowRect);
    RECT monitor;
    GetMonitorRect(parentRect.left, parentRect.top, 0, &monitor);
    int32_t x = 0, y = 0;
    CentreInMonitor(ToMonitorRect(parentRect), windowRect.right - windowRect.left, windowRect.bottom - windowRect.top,
                    ToMonitorRect(monitor), &x, &y);
    if (rect) {
        rect->left = x;
        rect->top = y;
    } else {
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
}
