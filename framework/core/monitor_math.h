// Monitor arithmetic without windows: which monitor belongs to a point, and where a window
// centred on its parent lands once it is kept inside that monitor.
#pragma once
#include <cstdint>

// A rectangle in screen coordinates (left, top, right, bottom), laid out like the system's.
struct MonitorRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Squared distances from a point to the nearest corner at or beyond this bound count as
// "no monitor near": the first rectangle is used then.
constexpr int64_t kNearestCornerBound = 1000000;

// Index of the monitor rectangle for the point: 0 with one rectangle (or none); else the
// first that contains the point (right and bottom edges excluded); else the one with the
// smallest squared distance from the point to one of its corners below the bound, the
// earlier one on ties; else 0.
int FindMonitorIndex(int32_t x, int32_t y, const MonitorRect* list, int count);

// Clamps value into the range between a and b, whichever of the two is the lower.
int32_t ClampBetween(int32_t value, int32_t a, int32_t b);

// Position of a window of the given size centred on the parent rectangle, clamped into
// the monitor: a window larger than the monitor ends up overlapping it on both sides.
void CentreInMonitor(const MonitorRect& parent, int32_t width, int32_t height, const MonitorRect& monitor,
                     int32_t* x, int32_t* y);
