#include "app/string_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kField = 260;

// The entries of a string list, walking at most size bytes.
std::vector<std::string> Entries(const char* field, size_t size) {
    std::vector<std::string> entries;
    size_t i = 0;
    while (i < size && field[i]) {
        std::string entry;
        while (i < size && field[i]) entry += field[i++];
        entries.push_back(entry);
        ++i;
    }
    return entries;
}

struct ParseCase {
    const char* text;
    std::vector<std::string> entries;
    int result;
};

class ParseExtensionListTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseExtensionListTest, StoresEntriesAndReportsStar) {
    const ParseCase& c = GetParam();
    // Exactly the field's size, so a write past it is caught by the sanitizer natively.
    std::unique_ptr<char[]> field(new char[kField]);
    memset(field.get(), 'X', kField);
    EXPECT_EQ(c.result, ParseExtensionList(c.text, field.get()));
    EXPECT_EQ(c.entries, Entries(field.get(), kField));
    // The list ends with two zero bytes right after its last entry.
    size_t used = 0;
    for (const std::string& e : c.entries) used += e.size() + 1;
    if (c.entries.empty()) {
        EXPECT_EQ(0, field[0]);
        EXPECT_EQ(0, field[1]);
    } else {
        EXPECT_EQ(0, field[used]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BoxTexts, ParseExtensionListTest,
    ::testing::Values(ParseCase{"*.exe, *.lnk", {"exe", "lnk"}, 0},
                      ParseCase{"*", {"*"}, 1},
                      ParseCase{"*.*", {"*"}, 1},
                      ParseCase{"exe,,lnk", {"exe", "lnk"}, 0},
                      ParseCase{"exe, ", {"exe"}, 0},
                      ParseCase{" , ,, ", {}, 0},
                      ParseCase{"", {}, 0},
                      ParseCase{"exe lnk", {"exe", "lnk"}, 0},
                      ParseCase{"exe, *", {"exe", "*"}, 1},
                      ParseCase{"  txt", {"txt"}, 0},
                      // A bare "*." between separators adds no empty entry that would end
                      // the list before the entries typed after it.
                      ParseCase{"exe *. lnk", {"exe", "lnk"}, 0}));

TEST(ParseExtensionList, LongTextStaysInsideTheField) {
    std::string text(400, 'a');
    std::unique_ptr<char[]> field(new char[kField]);
    memset(field.get(), 'X', kField);
    ParseExtensionList(text.c_str(), field.get());
    std::vector<std::string> entries = Entries(field.get(), kField);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(257u, entries[0].size());
    EXPECT_EQ(0, field[257]);
    EXPECT_EQ(0, field[258]);
    EXPECT_EQ('X', field[259]) << "the last byte of the field is never needed";
}

TEST(ParseExtensionList, ManyEntriesFillTheFieldAndStayTerminated) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "*.ab, ";
    std::unique_ptr<char[]> field(new char[kField]);
    memset(field.get(), 'X', kField);
    ParseExtensionList(text.c_str(), field.get());
    std::vector<std::string> entries = Entries(field.get(), kField);
    ASSERT_FALSE(entries.empty());
    size_t used = 0;
    for (const std::string& e : entries) {
        EXPECT_TRUE(e == "ab" || e == "a") << e;
        used += e.size() + 1;
    }
    EXPECT_LT(used, kField);
    EXPECT_EQ(0, field[used]);
}

std::unique_ptr<char[]> MakeList(const std::vector<std::string>& entries, size_t size) {
    std::unique_ptr<char[]> field(new char[size]);
    memset(field.get(), 0, size);
    size_t at = 0;
    for (const std::string& e : entries) {
        memcpy(field.get() + at, e.c_str(), e.size() + 1);
        at += e.size() + 1;
    }
    return field;
}

TEST(FormatStringList, JoinsEntriesWithCommaAndBlank) {
    auto field = MakeList({"exe", "lnk", "bat"}, kField);
    char out[1040];
    FormatStringList(field.get(), kField, out, sizeof(out));
    EXPECT_STREQ("exe, lnk, bat", out);
}

TEST(FormatStringList, EmptyListGivesEmptyText) {
    auto field = MakeList({}, kField);
    char out[16];
    memset(out, 'X', sizeof(out));
    FormatStringList(field.get(), kField, out, sizeof(out));
    EXPECT_STREQ("", out);
}

TEST(FormatStringList, RoundTripsWhatParseStores) {
    char field[kField];
    ParseExtensionList("*.exe, *.lnk,*.*", field);
    char out[260];
    FormatStringList(field, kField, out, sizeof(out));
    EXPECT_STREQ("exe, lnk, *", out);
}

// Every room from nothing up to more than enough: the output is a terminated prefix of the
// whole text, never longer than room - 1, and nothing past room is touched.
TEST(FormatStringList, NeverWritesPastItsRoom) {
    auto field = MakeList({"exe", "lnk", "bat"}, kField);
    const std::string whole = "exe, lnk, bat";
    for (size_t room = 0; room <= whole.size() + 3; ++room) {
        SCOPED_TRACE(room);
        std::vector<char> out(room + 8, 'X');
        FormatStringList(field.get(), kField, out.data(), room);
        for (size_t i = room; i < out.size(); ++i) ASSERT_EQ('X', out[i]) << "byte " << i;
        if (room == 0) continue;
        size_t len = strnlen(out.data(), room);
        ASSERT_LT(len, room) << "not terminated inside the room";
        EXPECT_EQ(whole.substr(0, len), std::string(out.data(), len));
        if (room > whole.size()) {
            EXPECT_EQ(whole, out.data());
        }
    }
}

TEST(FormatStringList, StopsBetweenEntriesWhenLittleRoomIsLeft) {
    auto field = MakeList({"exe", "lnk"}, kField);
    char out[6];
    FormatStringList(field.get(), kField, out, sizeof(out));
    EXPECT_STREQ("exe", out);
}

TEST(FormatStringList, LongEntryIsCutAtTheRoom) {
    auto field = MakeList({"abc", std::string(250, 'z')}, kField);
    std::vector<char> out(300, 'X');
    FormatStringList(field.get(), kField, out.data(), 100);
    EXPECT_EQ(99u, strlen(out.data()));
    EXPECT_EQ(0, out[99]);
    EXPECT_EQ('X', out[100]);
}

// A field whose bytes never end: the walk stops inside the field (the sanitizer catches a
// read past this exact-size allocation natively).
TEST(FormatStringList, UnterminatedFieldIsBoundedByItsSize) {
    for (size_t size : {size_t(260), size_t(1024)}) {
        std::unique_ptr<char[]> field(new char[size]);
        memset(field.get(), 'a', size);
        std::vector<char> out(2000, 'X');
        FormatStringList(field.get(), size, out.data(), 1040);
        size_t len = strlen(out.data());
        EXPECT_EQ(size - 2, len) << "the field's last two bytes count as its terminators";
        EXPECT_EQ(std::string(len, 'a'), std::string(out.data(), len));
    }
}

TEST(FormatStringList, FieldTooSmallForAListGivesEmptyText) {
    char field[1] = {'a'};
    char out[8];
    FormatStringList(field, sizeof(field), out, sizeof(out));
    EXPECT_STREQ("", out);
}

TEST(ClampInt, ClampsIntoEitherOrderOfBounds) {
    struct Case {
        int32_t value, a, b, expected;
    } cases[] = {
        {5, 1, 64, 5},     {0, 1, 64, 1},      {65, 1, 64, 64},   {5, 64, 1, 5},
        {0, 64, 1, 1},     {100, 64, 1, 64},   {-7, 64, 1, 1},    {INT32_MIN, 1, 64, 1},
        {INT32_MAX, 64, 1, 64}, {3, 3, 3, 3},  {-200, -100, 100, -100}, {200, 100, -100, 100},
    };
    for (const Case& c : cases) {
        int32_t v = c.value;
        ClampInt(&v, c.a, c.b);
        EXPECT_EQ(c.expected, v) << c.value << " in " << c.a << ".." << c.b;
    }
}

TEST(FieldLength, CountsUpToTheTerminatorOrTheLastByte) {
    char field[8] = {'a', 'b', 0, 'c', 'd', 'e', 'f', 'g'};
    EXPECT_EQ(2u, FieldLength(field, sizeof(field)));
    char full[8];
    memset(full, 'x', sizeof(full));
    EXPECT_EQ(7u, FieldLength(full, sizeof(full))) << "the last byte is the terminator";
    EXPECT_EQ(0u, FieldLength(full, 0));
    EXPECT_EQ(0u, FieldLength(full, 1));
}

}  // namespace
