// The framework window's flags and its stored position record "(OMX)Win<index>".
// Plain data only, so it builds and can be checked without the Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>

// Window flags: kept in the window object and stored in the position record.
enum : uint32_t {
    kWindowOnTaskbar = 0x1,
    kWindowResizable = 0x2,
    kWindowKeepOnResolutionChange = 0x4,
    kWindowNoCaption = 0x8,
    kWindowSmallCaption = 0x10,
    kWindowLockBarPositions = 0x20,
    kWindowLockBarSizes = 0x40,
    kWindowLockPosition = 0x80,
    kWindowTopmost = 0x100,
    kWindowMaximized = 0x200,
    kWindowMain = 0x400,
    kWindowBorderless = 0x800,
    kWindowLockSize = 0x1000,
    kWindowAcceptsFiles = 0x2000,
    kWindowStaysHidden = 0x10000000,
};

constexpr char kWindowRecordName[] = "(OMX)Win";   // followed by the window index in decimal
constexpr uint32_t kWindowRecordGhost = 0x1000;    // in the transparency field, beside the percent
constexpr uint32_t kMaxTransparency = 90;           // percent, in steps of 10

#pragma pack(push, 1)
// The window's normal (not minimised, not maximised) rectangle, its flags and transparency.
struct WindowPositionRecord {
    int16_t left;
    int16_t top;
    uint16_t width;
    uint16_t height;
    uint32_t flags;
    uint32_t transparency;   // percent in the low byte, plus kWindowRecordGhost; upper 16 bits zero
};
#pragma pack(pop)

static_assert(sizeof(WindowPositionRecord) == 16, "the position record is 16 bytes");
static_assert(offsetof(WindowPositionRecord, left) == 0, "left at 0");
static_assert(offsetof(WindowPositionRecord, top) == 2, "top at 2");
static_assert(offsetof(WindowPositionRecord, width) == 4, "width at 4");
static_assert(offsetof(WindowPositionRecord, height) == 6, "height at 6");
static_assert(offsetof(WindowPositionRecord, flags) == 8, "flags at 8");
static_assert(offsetof(WindowPositionRecord, transparency) == 12, "transparency at 12");
