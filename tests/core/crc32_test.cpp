#include "framework/core/crc32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct CrcCase {
    std::string bytes;
    uint32_t crc;
};

std::string AllByteValues() {
    std::string s;
    for (int i = 0; i < 256; ++i) s.push_back((char)i);
    return s;
}

// Check values of the zip CRC-32; the 256-byte case touches every table entry.
const CrcCase kCases[] = {
    {"", 0x00000000u},
    {"abc", 0x352441C2u},
    {"123456789", 0xCBF43926u},
    {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    {"Plexaro", 0xB7C74F0Cu},
    {std::string(32, '\xFF'), 0xFF6CAB0Bu},
    {AllByteValues(), 0x29058C73u},
};

TEST(Crc32, MatchesKnownCheckValues) {
    for (const CrcCase& c : kCases) {
        SCOPED_TRACE(c.bytes.size());
        EXPECT_EQ(c.crc, Crc32(c.bytes.data(), c.bytes.size()));
    }
}

TEST(Crc32, LengthUpToTerminatorEqualsExplicitLength) {
    EXPECT_EQ(0x352441C2u, Crc32("abc", kCrc32ToTerminator));
    EXPECT_EQ(0xB7C74F0Cu, Crc32("Plexaro", kCrc32ToTerminator));
    EXPECT_EQ(0u, Crc32("", kCrc32ToTerminator));
    // Bytes after the terminator are not part of the value.
    const char withTail[] = "abc\0def";
    EXPECT_EQ(0x352441C2u, Crc32(withTail, kCrc32ToTerminator));
}

TEST(Crc32, ContinuesAnEarlierRun) {
    const char* digits = "123456789";
    for (size_t split = 0; split <= 9; ++split) {
        uint32_t first = Crc32(digits, split);
        EXPECT_EQ(0xCBF43926u, Crc32(digits + split, 9 - split, first)) << "split at " << split;
    }
}

TEST(Crc32, ProductNamesDifferingOnlyInCaseGiveDifferentValues) {
    // Two products with similar names must not take each other's control messages.
    EXPECT_NE(Crc32("Plexaro", 7), Crc32("plexaro", 7));
}

}  // namespace
