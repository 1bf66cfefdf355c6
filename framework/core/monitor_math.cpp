#include "monitor_math.h"

namespace {

bool Contains(const MonitorRect& r, int32_t x, int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Squared distance, or the bound when it cannot be below it: corners far off screen would
// otherwise overflow even 64 bits.
int64_t DistanceSquared(int32_t x, int32_t y, int32_t cx, int32_t cy) {
    const int64_t dx = static_cast<int64_t>(x) - cx;
    const int64_t dy = static_cast<int64_t>(y) - cy;
    const int64_t limit = 1000;   // limit * limit == kNearestCornerBound
    static_assert(limit * limit == kNearestCornerBound, "bound");
    if (dx <= -limit || dx >= limit || dy <= -limit || dy >= limit) return kNearestCornerBound;
    return dx * dx + dy * dy;
}

int64_t Clamp64(int64_t value, int64_t a, int64_t b) {
    if (b < a) {
        const int64_t t = a;
        a = b;
        b = t;
    }
    return value < a ? a : value > b ? b : value;
}

int64_t NearestCornerDistance(const MonitorRect& r, int32_t x, int32_t y) {
    int64_t best = DistanceSquared(x, y, r.left, r.top);
    const int64_t others[3] = {DistanceSquared(x, y, r.right, r.top), DistanceSquared(x, y, r.left, r.bottom),
                               DistanceSquared(x, y, r.right, r.bottom)};
    for (int64_t d : others)
        if (d < best) best = d;
    return best;
}

}  // namespace

int FindMonitorIndex(int32_t x, int32_t y, const MonitorRect* list, int count) {
    if (!list || count <= 1) return 0;
    for (int i = 0; i < count; ++i)
        if (Contains(list[i], x, y)) return i;
    int found = 0;
    int64_t best = kNearestCornerBound;
    for (int i = 0; i < count; ++i) {
        const int64_t d = NearestCornerDistance(list[i], x, y);
        if (d < best) {
            best = d;
            found = i;
        }
    }
    return found;
}

int32_t ClampBetween(int32_t value, int32_t a, int32_t b) {
    if (b < a) {
        const int32_t t = a;
        a = b;
        b = t;
    }
    if (value < a) return a;
    if (value > b) return b;
    return value;
}

void CentreInMonitor(const MonitorRect& parent, int32_t width, int32_t height, const MonitorRect& monitor,
                     int32_t* x, int32_t* y) {
    // In 64 bits so that extreme rectangles cannot overflow the arithmetic.
    const int64_t px = parent.left + (static_cast<int64_t>(parent.right) - parent.left - width) / 2;
    const int64_t py = parent.top + (static_cast<int64_t>(parent.bottom) - parent.top - height) / 2;
    *x = static_cast<int32_t>(Clamp64(px, monitor.left, static_cast<int64_t>(monitor.right) - width));
    *y = static_cast<int32_t>(Clamp64(py, monitor.top, static_cast<int64_t>(monitor.bottom) - height));
}
