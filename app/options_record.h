// The Options record shared with the shell extension: 2516 bytes, little-endian, stored
// as Options.dcf. Bytes marked "extension's" are never read or written by this program.
#pragma once
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct ColorSetting {
    int32_t  UseNormal;
    int32_t  UseSelected;
    uint32_t Normal;      // COLORREF 0x00BBGGRR
    uint32_t Selected;
};

struct OptionsRecord {
    int32_t  IncludeHidden;          // -1 = take Explorer's "Hidden" on load
    uint8_t  extension0[4];
    uint32_t ToolTips;               // low word speed 1..20, high word on/off
    int32_t  Multicolumn;
    char     IncludeExtensions[260]; // string list
    char     ExcludeExtensions[260]; // string list
    char     ExcludeObjects[1024];   // string list
    int32_t  IncludeAllExtensions;
    int32_t  MenuDelay;
    uint8_t  extension1[4];
    char     UnknownTypeCommand[260];
    char     StartMenuRoot[260];
    int32_t  DragFoldersOnly;
    int32_t  DragOpenTarget;
    int32_t  ShowRecent;
    int32_t  RecentCount;            // 1..64
    int32_t  RecentSorted;
    int32_t  RecentClearAtLogon;
    int32_t  MenuPosition;           // 0 default, 1 near mouse, 2 top, 3 bottom
    int32_t  ItemHeightAdd;
    int32_t  DragMoveToParent;
    int32_t  DragDeleteEmpty;
    int32_t  ShowFavorites;
    int32_t  FavoriteCount;          // 1..64
    int32_t  SubOpenArea;
    int32_t  SubOpenAreaWidth;       // 16..1024
    uint8_t  extension2[4];
    char     FileManager[260];
    uint8_t  extension3[4];
    int32_t  SizeInfoStartDisabled;
    int32_t  SizeUnits;              // 0 KB, 1 MB, 2 GB, 3 adaptive
    int32_t  IncludeSystemHidden;
    ColorSetting BackgroundColors;
    ColorSetting SizeBackgroundColors;
    ColorSetting SubOpenAreaColors;
    ColorSetting TextColors;
    ColorSetting SizeTextColors;
    uint32_t LastStart;              // low 32 bits of seconds since 1970 UTC
    uint8_t  extension4[4];
};
#pragma pack(pop)

static_assert(sizeof(ColorSetting) == 16, "colour setting is 16 bytes");
static_assert(sizeof(OptionsRecord) == 2516, "Options record is 2516 bytes");
#define PLEXARO_ASSERT_OFFSET(field, offset) \
    static_assert(offsetof(OptionsRecord, field) == offset, #field " is read by the extension at " #offset)
PLEXARO_ASSERT_OFFSET(IncludeHidden, 0);
PLEXARO_ASSERT_OFFSET(ToolTips, 8);
PLEXARO_ASSERT_OFFSET(Multicolumn, 12);
PLEXARO_ASSERT_OFFSET(IncludeExtensions, 16);
PLEXARO_ASSERT_OFFSET(ExcludeExtensions, 276);
PLEXARO_ASSERT_OFFSET(ExcludeObjects, 536);
PLEXARO_ASSERT_OFFSET(IncludeAllExtensions, 1560);
PLEXARO_ASSERT_OFFSET(MenuDelay, 1564);
PLEXARO_ASSERT_OFFSET(UnknownTypeCommand, 1572);
PLEXARO_ASSERT_OFFSET(StartMenuRoot, 1832);
PLEXARO_ASSERT_OFFSET(DragFoldersOnly, 2092);
PLEXARO_ASSERT_OFFSET(DragOpenTarget, 2096);
PLEXARO_ASSERT_OFFSET(ShowRecent, 2100);
PLEXARO_ASSERT_OFFSET(RecentCount, 2104);
PLEXARO_ASSERT_OFFSET(RecentSorted, 2108);
PLEXARO_ASSERT_OFFSET(RecentClearAtLogon, 2112);
PLEXARO_ASSERT_OFFSET(MenuPosition, 2116);
PLEXARO_ASSERT_OFFSET(ItemHeightAdd, 2120);
PLEXARO_ASSERT_OFFSET(DragMoveToParent, 2124);
PLEXARO_ASSERT_OFFSET(DragDeleteEmpty, 2128);
PLEXARO_ASSERT_OFFSET(ShowFavorites, 2132);
PLEXARO_ASSERT_OFFSET(FavoriteCount, 2136);
PLEXARO_ASSERT_OFFSET(SubOpenArea, 2140);
PLEXARO_ASSERT_OFFSET(SubOpenAreaWidth, 2144);
PLEXARO_ASSERT_OFFSET(FileManager, 2152);
PLEXARO_ASSERT_OFFSET(SizeInfoStartDisabled, 2416);
PLEXARO_ASSERT_OFFSET(SizeUnits, 2420);
PLEXARO_ASSERT_OFFSET(IncludeSystemHidden, 2424);
PLEXARO_ASSERT_OFFSET(BackgroundColors, 2428);
PLEXARO_ASSERT_OFFSET(SizeBackgroundColors, 2444);
PLEXARO_ASSERT_OFFSET(SubOpenAreaColors, 2460);
PLEXARO_ASSERT_OFFSET(TextColors, 2476);
PLEXARO_ASSERT_OFFSET(SizeTextColors, 2492);
PLEXARO_ASSERT_OFFSET(LastStart, 2508);
#undef PLEXARO_ASSERT_OFFSET

constexpr int kOptionsSize = 2516;
constexpr int kMaxFavorites = 64;
