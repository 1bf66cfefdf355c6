#include "app/item_id_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// An item of count bytes: its 16-bit size followed by count - 2 filler bytes.
void AppendItem(Bytes& list, size_t count, uint8_t fill = 0x41) {
    list.push_back(static_cast<uint8_t>(count & 0xFF));
    list.push_back(static_cast<uint8_t>(count >> 8));
    list.insert(list.end(), count - 2, fill);
}

Bytes ListOf(std::initializer_list<size_t> counts) {
    Bytes list;
    for (size_t c : counts) AppendItem(list, c);
    list.push_back(0);
    list.push_back(0);
    return list;
}

// Copies into an allocation of exactly the record's size, so any read past it is caught
// by the sanitizer in the native build.
std::unique_ptr<uint8_t[]> Exact(const Bytes& bytes) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.empty() ? 1 : bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return copy;
}

TEST(ItemIdListSizeBounded, MeasuresWellFormedChains) {
    EXPECT_EQ(2u, ItemIdListSizeBounded(Exact({0, 0}).get(), 2)) << "the desktop";
    Bytes two = ListOf({4, 3});
    EXPECT_EQ(9u, ItemIdListSizeBounded(Exact(two).get(), two.size()));
    // Measuring within a larger bound stops at the terminator.
    Bytes padded = two;
    padded.insert(padded.end(), 5, 0x77);
    EXPECT_EQ(9u, ItemIdListSizeBounded(Exact(padded).get(), padded.size()));
}

TEST(ItemIdListSizeBounded, RejectsMalformedChains) {
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"one byte", {0}},
        {"count runs past the end", {10, 0, 1, 2, 0, 0}},
        {"no terminator", {4, 0, 'a', 'b'}},
        {"terminator cut in half", {4, 0, 'a', 'b', 0}},
        {"count of one never advances", {1, 0, 0, 0}},
        {"separator bytes are no chain", {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0u, ItemIdListSizeBounded(Exact(c.bytes).get(), c.bytes.size())) << c.what;
    }
}

TEST(FavoriteRecord, SeparatorIsExactlyFourFFBytes) {
    Bytes separator = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(IsSeparatorRecord(Exact(separator).get(), 4));
    EXPECT_TRUE(IsValidFavoriteRecord(Exact(separator).get(), 4));

    Bytes desktop = {0, 0};
    EXPECT_FALSE(IsSeparatorRecord(Exact(desktop).get(), 2)) << "the desktop is a list, not a separator";
    EXPECT_TRUE(IsValidFavoriteRecord(Exact(desktop).get(), 2));

    Bytes longer = {0xFF, 0xFF, 0xFF, 0xFF, 0};
    EXPECT_FALSE(IsSeparatorRecord(Exact(longer).get(), 5));
    EXPECT_FALSE(IsValidFavoriteRecord(Exact(longer).get(), 5));

    Bytes almost = {0xFF, 0xFF, 0xFF, 0xFE};
    EXPECT_FALSE(IsSeparatorRecord(Exact(almost).get(), 4));
}

TEST(FavoriteRecord, AcceptsOnlyAChainThatEndsAtTheRecordsEnd) {
    struct Case {
        const char* what;
        Bytes bytes;
        bool valid;
    } cases[] = {
        {"desktop", {0, 0}, true},
        {"two items", ListOf({4, 3}), true},
        {"empty file", {}, false},
        {"one byte", {0}, false},
        {"three bytes", {0xFF, 0xFF, 0xFF}, false},
        {"trailing byte after the terminator", {0, 0, 9}, false},
        {"count past the end", {10, 0, 1, 2, 0, 0}, false},
        {"missing terminator", {4, 0, 'a', 'b'}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.valid, IsValidFavoriteRecord(Exact(c.bytes).get(), c.bytes.size())) << c.what;
    }
}

TEST(FavoriteRecord, SizeLimitIs65535Bytes) {
    Bytes largest = ListOf({65533});
    ASSERT_EQ(65535u, largest.size());
    EXPECT_TRUE(IsValidFavoriteRecord(Exact(largest).get(), largest.size()));

    Bytes tooLarge = ListOf({65534});
    ASSERT_EQ(65536u, tooLarge.size());
    EXPECT_FALSE(IsValidFavoriteRecord(Exact(tooLarge).get(), tooLarge.size()));
}

}  // namespace
