#include "app/options_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Image = std::vector<uint8_t>;

void PutU32(Image& image, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const Image& image, size_t offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(image[offset + i]) << (8 * i);
    return v;
}

struct IntField {
    const char* name;
    size_t offset;
    uint32_t OptionsRecord::*member;   // read through the struct, compared with the bytes
};

// The 32-bit fields the extension reads, at the offsets it reads them.
const IntField kIntFields[] = {
    {"ToolTips", 8, &OptionsRecord::ToolTips},
    {"LastStart", 2508, &OptionsRecord::LastStart},
};

struct SignedField {
    const char* name;
    size_t offset;
    int32_t OptionsRecord::*member;
};

const SignedField kSignedFields[] = {
    {"IncludeHidden", 0, &OptionsRecord::IncludeHidden},
    {"Multicolumn", 12, &OptionsRecord::Multicolumn},
    {"IncludeAllExtensions", 1560, &OptionsRecord::IncludeAllExtensions},
    {"MenuDelay", 1564, &OptionsRecord::MenuDelay},
    {"DragFoldersOnly", 2092, &OptionsRecord::DragFoldersOnly},
    {"DragOpenTarget", 2096, &OptionsRecord::DragOpenTarget},
    {"ShowRecent", 2100, &OptionsRecord::ShowRecent},
    {"RecentCount", 2104, &OptionsRecord::RecentCount},
    {"RecentSorted", 2108, &OptionsRecord::RecentSorted},
    {"RecentClearAtLogon", 2112, &OptionsRecord::RecentClearAtLogon},
    {"MenuPosition", 2116, &OptionsRecord::MenuPosition},
    {"ItemHeightAdd", 2120, &OptionsRecord::ItemHeightAdd},
    {"DragMoveToParent", 2124, &OptionsRecord::DragMoveToParent},
    {"DragDeleteEmpty", 2128, &OptionsRecord::DragDeleteEmpty},
    {"ShowFavorites", 2132, &OptionsRecord::ShowFavorites},
    {"FavoriteCount", 2136, &OptionsRecord::FavoriteCount},
    {"SubOpenArea", 2140, &OptionsRecord::SubOpenArea},
    {"SubOpenAreaWidth", 2144, &OptionsRecord::SubOpenAreaWidth},
    {"SizeInfoStartDisabled", 2416, &OptionsRecord::SizeInfoStartDisabled},
    {"SizeUnits", 2420, &OptionsRecord::SizeUnits},
    {"IncludeSystemHidden", 2424, &OptionsRecord::IncludeSystemHidden},
};

struct TextField {
    const char* name;
    size_t offset;
    size_t size;
    char* (*get)(OptionsRecord&);
};

const TextField kTextFields[] = {
    {"IncludeExtensions", 16, 260, [](OptionsRecord& r) { return r.IncludeExtensions; }},
    {"ExcludeExtensions", 276, 260, [](OptionsRecord& r) { return r.ExcludeExtensions; }},
    {"ExcludeObjects", 536, 1024, [](OptionsRecord& r) { return r.ExcludeObjects; }},
    {"UnknownTypeCommand", 1572, 260, [](OptionsRecord& r) { return r.UnknownTypeCommand; }},
    {"StartMenuRoot", 1832, 260, [](OptionsRecord& r) { return r.StartMenuRoot; }},
    {"FileManager", 2152, 260, [](OptionsRecord& r) { return r.FileManager; }},
};

struct ColorField {
    const char* name;
    size_t offset;
    ColorSetting OptionsRecord::*member;
};

const ColorField kColorFields[] = {
    {"BackgroundColors", 2428, &OptionsRecord::BackgroundColors},
    {"SizeBackgroundColors", 2444, &OptionsRecord::SizeBackgroundColors},
    {"SubOpenAreaColors", 2460, &OptionsRecord::SubOpenAreaColors},
    {"TextColors", 2476, &OptionsRecord::TextColors},
    {"SizeTextColors", 2492, &OptionsRecord::SizeTextColors},
};

TEST(OptionsRecord, IsTheStoredSize) {
    EXPECT_EQ(2516u, sizeof(OptionsRecord));
    EXPECT_EQ(2516, kOptionsSize);
    EXPECT_EQ(16u, sizeof(ColorSetting));
}

// A stored file, byte by byte, read through the struct: every field sees the little-endian
// value at its documented offset.
TEST(OptionsRecord, ReadsEachFieldFromItsOffset) {
    Image image(kOptionsSize, 0);
    uint32_t marker = 0x11223300;
    for (const IntField& f : kIntFields) PutU32(image, f.offset, ++marker);
    for (const SignedField& f : kSignedFields) PutU32(image, f.offset, ++marker);
    for (const ColorField& f : kColorFields)
        for (size_t part = 0; part < 4; ++part) PutU32(image, f.offset + 4 * part, ++marker);
    for (const TextField& f : kTextFields) {
        memset(&image[f.offset], 'a' + (f.offset % 26), f.size - 1);
        image[f.offset + f.size - 1] = 0;
    }

    OptionsRecord record;
    memcpy(&record, image.data(), sizeof(record));
    for (const IntField& f : kIntFields) EXPECT_EQ(GetU32(image, f.offset), record.*f.member) << f.name;
    for (const SignedField& f : kSignedFields)
        EXPECT_EQ(static_cast<int32_t>(GetU32(image, f.offset)), record.*f.member) << f.name;
    for (const ColorField& f : kColorFields) {
        const ColorSetting& c = record.*f.member;
        EXPECT_EQ(static_cast<int32_t>(GetU32(image, f.offset)), c.UseNormal) << f.name;
        EXPECT_EQ(static_cast<int32_t>(GetU32(image, f.offset + 4)), c.UseSelected) << f.name;
        EXPECT_EQ(GetU32(image, f.offset + 8), c.Normal) << f.name;
        EXPECT_EQ(GetU32(image, f.offset + 12), c.Selected) << f.name;
    }
    for (const TextField& f : kTextFields) {
        EXPECT_EQ(f.size - 1, strlen(f.get(record))) << f.name;
        EXPECT_EQ(char('a' + (f.offset % 26)), f.get(record)[0]) << f.name;
    }
}

// Written through the struct, the fields land at their offsets, and the extension's own
// bytes are exactly the ones no field covers.
TEST(OptionsRecord, FieldsCoverAllButTheExtensionsBytes) {
    OptionsRecord record;
    memset(&record, 0, sizeof(record));
    for (const IntField& f : kIntFields) record.*f.member = 0xFFFFFFFFu;
    for (const SignedField& f : kSignedFields) record.*f.member = -1;
    for (const ColorField& f : kColorFields) memset(&(record.*f.member), 0xFF, sizeof(ColorSetting));
    for (const TextField& f : kTextFields) memset(f.get(record), 0xFF, f.size);

    Image image(kOptionsSize);
    memcpy(image.data(), &record, sizeof(record));
    const size_t extension[] = {4, 1568, 2148, 2412, 2512};
    for (size_t i = 0; i < image.size(); ++i) {
        bool isExtensions = false;
        for (size_t start : extension) isExtensions |= i >= start && i < start + 4;
        EXPECT_EQ(isExtensions ? 0x00 : 0xFF, image[i]) << "byte " << i;
        if (HasFailure()) break;
    }
}

}  // namespace
