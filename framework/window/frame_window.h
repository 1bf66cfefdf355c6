// The framework's top-level window: position record, status texts, busy overlay, dock
// bays around a client area, and the program's own window procedure in front of the
// framework's.
#pragma once
#include <windows.h>
#include <cstdint>

#include "../core/growable_list.h"
#include "window_records.h"

// Private window messages of a framework window (numbers shared with the control message).
enum : UINT {
    kMsgLayoutChanged = 33769,   // sent to itself after WM_SIZE, same parameters
    UIM_CONTEXTMENU = 33770,     // open the window menu
    UIM_COMMAND = 33773,         // carry out window-menu command wParam
    UIM_SETOPENMENU = 33774,     // lParam = the menu item whose popup is open among the children
    UIM_GETOPENMENU = 33775,     // returns that menu item
    kMsgTrayIcon = 33777,        // callback message of the notification-area icon
    kMsgShowNormal = 33782,      // show normally and bring to the foreground
    kMsgHelpRequest = 33784,     // wParam = topic text or 0; answered by the program's procedure
    UIM_DRAWIMAGE = 33788,       // measure or draw an owner-drawn command image
    kMsgStylesChanged = 33790,   // sent to itself; wParam style, lParam extended style
    kMsgModalDepth = 33793,      // to every framework window; wParam = the new modal depth
};

constexpr uint16_t kNoStatusCommand = 0xFFFF;
constexpr int kStatusTextSize = 1024;

// One of the four strips along the window's edges (0 top, 1 bottom, 2 left, 3 right) that
// hold docked bars. Bars do not exist yet, so a bay is an empty strip whose thickness
// (0 unless bars are docked) the layout subtracts from the client area.
struct DockBay {
    int side;
    int thickness;
    RECT rect;   // where the layout put the bay, client coordinates
};

struct StatusTextEntry {
    int32_t id;
    char text[kStatusTextSize];
};

class CFrameWindow {
public:
    CFrameWindow() = default;
    ~CFrameWindow();
    CFrameWindow(const CFrameWindow&) = delete;
    CFrameWindow& operator=(const CFrameWindow&) = delete;

    // Creates the (invisible) window. 0 for any of x, y, width, height takes the default
    // place and size. Returns 0, or 61442 when the window, a dock bay or the status lock
    // could not be created (the object is then left empty).
    int Create(uint16_t windowIndex, WNDPROC procedure, const char* caption, int iconId, uint32_t windowFlags, int x,
               int y, int width, int height);
    // Removes the notification icon, frees the bays and the status lock, destroys the window.
    void Destroy();

    // Shows, changes or (iconId 0, or a resource that does not exist) removes the
    // notification-area icon of the framework window with that id. The tip is the
    // formatted text or, with no format, the product name.
    static void SetTrayIcon(uint16_t windowId, int iconId, const char* tipFormat, ...);

    // Writes "(OMX)Win<index>" from the normal rectangle, the flags and the transparency.
    void SavePosition() const;

    // Adds, replaces or (null or empty text) removes the status text with this id. Returns 0,
    // or the wait result when the status lock is not obtained within 1000 ms.
    int SetStatusText(int32_t id, const char* text);

    // value −1: only the free-standing bars follow the command.
    void Show(int command, int value);
    // The "OMXBUSY" overlay that takes the mouse while a modal dialog is open.
    void SetBusy(bool busy);
    // width −1: lay the window out again. Otherwise move and size it even when locked.
    void Move(int x, int y, int width, int height, bool show);
    // percent 0 (opaque) to 90; ghost lets clicks pass through while transparent.
    void SetTransparency(uint32_t percent, bool ghostOn);

    // The window style and extended style that the window flags ask for.
    static void StylesForFlags(uint32_t windowFlags, DWORD* style, DWORD* exStyle);
    // The window class's procedure; the program's procedure passes what it does not handle
    // on to it through App().chainedWindowProc.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static CFrameWindow* FromHandle(HWND hwnd);

    HWND window = nullptr;
    HWND busyOverlay = nullptr;
    HWND focus = nullptr;             // the child that had the focus at the last deactivation
    uint16_t index = 0xFFFF;          // window number; names the position record
    uint32_t flags = 0;
    RECT clientArea = {};             // the client area the four bays leave
    RECT normalRect = {};             // normal-state window rectangle, screen coordinates
    RECT lastRect = {};               // window rectangle after the last move or size by the user
    uint16_t statusCommand = kNoStatusCommand;
    uint8_t restyling = 0;
    int32_t minTrackWidth = 150;
    int32_t minTrackHeight = 100;
    HICON notificationIcon = nullptr;
    uint32_t transparency = 0;
    uint8_t ghost = 0;
    int32_t shown = 0;
    CGrowableList<DockBay*> items;   // the four dock bays, index = side
    CGrowableList<StatusTextEntry> statusTexts;
    HANDLE statusLock = nullptr;
    void* openMenuItem = nullptr;

private:
    int FailCreate();
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(int width, int height);
    void TrackPlacement(HWND hwnd);
    void OnActivate(HWND hwnd, WPARAM wParam);
    void ApplyTransparency();
    void ShowBars(int command);
    void RemoveTrayIcon();
    int FindStatusText(int32_t id) const;
    void UpdateStatusCommand();
    void DetachStatusCommand();
};
