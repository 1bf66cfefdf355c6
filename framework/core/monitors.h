// The monitors of the desktop and the placement of windows on them.
#pragma once
#include <windows.h>

constexpr int kMaxMonitors = 16;

// A list of monitor rectangles (screen coordinates); a count of 0 means not filled yet.
struct MonitorList {
    int count;
    RECT rects[kMaxMonitors];
};

// List 0 is the current list, list 1 the current one as it was before the last display
// change. Any other index reads as list 0.
const MonitorList& GetMonitorList(int list);

// Fills the current list with the monitors' full rectangles (at most 16); with no monitor
// enumeration available, the desktop window's rectangle is the only monitor.
void EnumerateMonitors();

// On a display change: keeps the current list as the previous one, then enumerates anew.
void RefreshMonitorsAfterDisplayChange();

// The rectangle of the monitor for the point, from the current (0) or previous (1) list;
// an empty list is filled from the current monitors first.
void GetMonitorRect(int x, int y, int list, RECT* out);

// Centres a window on its parent (or the desktop) and keeps it inside the monitor of the
// parent's top-left corner. With a rectangle, only computes the position into its left
// and top (its size is the window's size); without, moves the window there.
void CentreWindow(HWND window, RECT* rect);
