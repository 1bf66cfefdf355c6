#include <gtest/gtest.h>

#include <climits>

#include "../../framework/core/monitor_math.h"

namespace {

TEST(FindMonitorIndex, PicksTheContainingOrNearestMonitor) {
    // Side by side, with a gap of 200 between them.
    const MonitorRect gap[] = {{0, 0, 800, 600}, {1000, 0, 1800, 600}};
    // Far apart: only corner distances beyond the bound in the middle.
    const MonitorRect far[] = {{0, 0, 100, 100}, {5000, 0, 5100, 100}};
    // The primary and one to its left with negative coordinates.
    const MonitorRect left[] = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}};
    // Overlapping (a mirrored monitor): the first that contains the point wins.
    const MonitorRect overlap[] = {{0, 0, 1024, 768}, {0, 0, 1280, 1024}};
    const MonitorRect touching[] = {{0, 0, 1024, 768}, {1024, 0, 2048, 768}};
    struct Case {
        const char* what;
        const MonitorRect* list;
        int count;
        int32_t x, y;
        int expected;
    } cases[] = {
        {"inside the first", gap, 2, 100, 100, 0},
        {"inside the second", gap, 2, 1500, 599, 1},
        {"right edge belongs to the next monitor", touching, 2, 1024, 0, 1},
        {"bottom edge is outside", touching, 2, 1023, 768, 0},
        {"between, nearer the second", gap, 2, 950, 300, 1},
        {"between, nearer the first", gap, 2, 850, 300, 0},
        {"between, equally near: the earlier one", gap, 2, 900, 300, 0},
        {"no corner below the bound: the first", far, 2, 3000, 50, 0},
        {"distance exactly at the bound is not near", far, 2, 4000, 0, 0},
        {"distance just below the bound is near", far, 2, 4001, 0, 1},
        {"negative coordinates, below both", left, 2, -5, 1050, 1},
        {"overlapping monitors: the first holding the point", overlap, 2, 1100, 900, 1},
        {"overlapping monitors: both hold it", overlap, 2, 10, 10, 0},
        {"one monitor: always it", far, 1, -99999, 99999, 0},
        {"empty list", far, 0, 4500, 50, 0},
        {"no list", nullptr, 3, 4500, 50, 0},
        {"extreme point does not overflow into a near distance", far, 2, INT32_MAX, INT32_MIN, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, FindMonitorIndex(c.x, c.y, c.list, c.count)) << c.what;
}

TEST(ClampBetween, AcceptsTheBoundsInEitherOrder) {
    struct Case {
        int32_t value, a, b, expected;
    } cases[] = {
        {5, 0, 10, 5}, {-1, 0, 10, 0}, {11, 0, 10, 10}, {5, 10, 0, 5}, {-1, 10, 0, 0}, {11, 10, 0, 10}, {7, 7, 7, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ClampBetween(c.value, c.a, c.b)) << c.value << " in " << c.a << ", " << c.b;
}

TEST(CentreInMonitor, CentresOnTheParentAndKeepsInsideTheMonitor) {
    const MonitorRect screen = {0, 0, 1024, 768};
    struct Case {
        const char* what;
        MonitorRect parent;
        int32_t width, height;
        MonitorRect monitor;
        int32_t x, y;
    } cases[] = {
        {"centred on the parent", {100, 100, 500, 400}, 200, 100, screen, 200, 200},
        {"parent half off the right edge", {900, 100, 1300, 400}, 300, 200, screen, 724, 150},
        {"parent half off the bottom edge", {100, 700, 500, 1000}, 200, 200, screen, 200, 568},
        {"parent off the top left", {-300, -300, 100, 100}, 200, 200, screen, 0, 0},
        {"division toward zero, positive", {0, 0, 101, 101}, 100, 100, {-500, -500, 500, 500}, 0, 0},
        {"division toward zero, negative", {0, 0, 99, 99}, 100, 100, {-500, -500, 500, 500}, 0, 0},
        {"monitor left of the primary", {-300, 100, 100, 400}, 400, 100, {-1280, 0, 0, 1024}, -400, 200},
        {"wider and taller than the monitor", screen, 1200, 900, screen, -88, -66},
        {"wider than the monitor, parent to the right", {500, 0, 1524, 768}, 1200, 900, screen, 0, -66},
        {"wider than the monitor, parent to the left", {-900, 0, 124, 768}, 1200, 900, screen, -176, -66},
    };
    for (const Case& c : cases) {
        int32_t x = INT32_MIN, y = INT32_MIN;
        CentreInMonitor(c.parent, c.width, c.height, c.monitor, &x, &y);
        EXPECT_EQ(c.x, x) << c.what;
        EXPECT_EQ(c.y, y) << c.what;
        // Whatever the case, the window covers as much of the monitor as it can.
        if (c.width <= c.monitor.right - c.monitor.left) {
            EXPECT_GE(x, c.monitor.left) << c.what;
            EXPECT_LE(x + c.width, c.monitor.right) << c.what;
        } else {
            EXPECT_LE(x, c.monitor.left) << c.what;
            EXPECT_GE(x + c.width, c.monitor.right) << c.what;
        }
        if (c.height <= c.monitor.bottom - c.monitor.top) {
            EXPECT_GE(y, c.monitor.top) << c.what;
            EXPECT_LE(y + c.height, c.monitor.bottom) << c.what;
        } else {
            EXPECT_LE(y, c.monitor.top) << c.what;
            EXPECT_GE(y + c.height, c.monitor.bottom) << c.what;
        }
    }
}

}  // namespace
