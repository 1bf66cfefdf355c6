#include "framework/core/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Entry {
    std::string name;
    std::vector<std::string> values;
};

std::vector<Entry> Entries(const CArgumentList& list) {
    std::vector<Entry> out;
    for (int i = 0; i < list.Count(); ++i) {
        Entry e{list.Name(i), {}};
        for (int v = 0; v < list.ValueCount(i); ++v) e.values.push_back(list.Value(i, v));
        out.push_back(e);
    }
    return out;
}

bool operator==(const Entry& a, const Entry& b) { return a.name == b.name && a.values == b.values; }

void PrintTo(const Entry& e, std::ostream* os) {
    *os << "{\"" << e.name << "\":";
    for (const std::string& v : e.values) *os << " \"" << v << "\"";
    *os << "}";
}

struct ParseCase {
    const char* line;
    int result;
    std::vector<Entry> entries;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << "\"" << c.line << "\""; }

class ParseTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, GivesEntriesAndResult) {
    const ParseCase& c = GetParam();
    CArgumentList list;
    CommandLineFlags flags;
    EXPECT_EQ(c.result, ParseCommandLine(c.line, &list, &flags));
    EXPECT_EQ(c.entries, Entries(list));
}

const ParseCase kParseCases[] = {
    {"", 0, {}},
    {"   ", 0, {}},
    {"-WAITFORDATAPATH", 1, {{"-WAITFORDATAPATH", {}}}},
    {"-waitfordatapath", 1, {{"-waitfordatapath", {}}}},
    // -QUIT wins whatever the order and letter case.
    {"-quit -WAITFORDATAPATH", -1, {{"-quit", {}}, {"-WAITFORDATAPATH", {}}}},
    {"-WAITFORDATAPATH -Quit", -1, {{"-WAITFORDATAPATH", {}}, {"-Quit", {}}}},
    // Values before any switch go to an entry with an empty name.
    {"\"C:\\Program Files\\Plexaro\\a b.txt\"", 0, {{"", {"C:\\Program Files\\Plexaro\\a b.txt"}}}},
    {"\"C:\\Program Files\\x\" -SAVEASADMIN", 0, {{"", {"C:\\Program Files\\x"}}, {"-SAVEASADMIN", {}}}},
    {"first second", 0, {{"", {"first", "second"}}}},
    // An unterminated quote takes the rest of the line, blanks and all.
    {"-OPEN \"C:\\a b -QUIT", 0, {{"-OPEN", {"C:\\a b -QUIT"}}}},
    {"\"", 0, {{"", {""}}}},
    {"-A one two -B", 0, {{"-A", {"one", "two"}}, {"-B", {}}}},
    {"   -A    one     two   ", 0, {{"-A", {"one", "two"}}}},
    // Only the space is a blank: a tab stays inside its word.
    {"-A\tone two", 0, {{"-A\tone", {"two"}}}},
    {"\t-QUIT", 0, {{"", {"\t-QUIT"}}}},
    // Quotes mean something only at the start of a value word.
    {"-A x\"y z\"", 0, {{"-A", {"x\"y", "z\""}}}},
    {"\"a\"b", 0, {{"", {"a", "b"}}}},
    {"-A \"\" \"\"", 0, {{"-A", {"", ""}}}},
    {"-", 0, {{"-", {}}}},
    {"-A --B", 0, {{"-A", {}}, {"--B", {}}}},
};

INSTANTIATE_TEST_SUITE_P(CommandLine, ParseTable, ::testing::ValuesIn(kParseCases));

TEST(CommandLine, QuoteAfterSwitchNameIsPartOfTheName) {
    // The entry for "-\"A" and then the word B\" with no switch of its own.
    CArgumentList list;
    CommandLineFlags flags;
    ParseCommandLine("-\"A B\"", &list, &flags);
    ASSERT_EQ(1, list.Count());
    EXPECT_STREQ("-\"A", list.Name(0));
    ASSERT_EQ(1, list.ValueCount(0));
    EXPECT_STREQ("B\"", list.Value(0, 0));
}

TEST(CommandLine, NullCommandLineGivesEmptyList) {
    CArgumentList list;
    CommandLineFlags flags;
    ParseCommandLine("-A x", &list, &flags);
    EXPECT_EQ(0, ParseCommandLine(nullptr, &list, &flags));
    EXPECT_EQ(0, list.Count());
}

struct FlagCase {
    const char* line;
    bool autostart;
    bool minimized;
};

TEST(CommandLine, SetsFlagsOnlyForTheirExactSwitches) {
    const FlagCase cases[] = {
        {"", false, false},
        {"-AUTOSTART", true, false},
        {"-autostart", true, false},
        {"-MINIMIZE", false, true},
        {"-Minimize -AutoStart", true, true},
        {"-AUTOSTARTX -MINIMIZED", false, false},
        {"AUTOSTART MINIMIZE", false, false},
        {"\"-MINIMIZE\"", false, false},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.line);
        CArgumentList list;
        CommandLineFlags flags;
        ParseCommandLine(c.line, &list, &flags);
        EXPECT_EQ(c.autostart, flags.autostart);
        EXPECT_EQ(c.minimized, flags.startMinimized);
    }
}

TEST(CommandLine, NeverClearsAStartMinimizedFlagSetBefore) {
    // The show command may have decided to start minimized; the parse only adds to it.
    CArgumentList list;
    CommandLineFlags flags;
    flags.startMinimized = true;
    flags.autostart = true;
    ParseCommandLine("-QUIT value", &list, &flags);
    EXPECT_TRUE(flags.startMinimized);
    EXPECT_TRUE(flags.autostart);
}

TEST(CommandLine, CutsOverlongWordsAndSkipsTheirRest) {
    const std::string longSwitch = "-" + std::string(999, 'S');              // 1,000 characters
    const std::string longValue(1000, 'v');
    const std::string longQuoted = std::string(600, 'q') + " " + std::string(400, 'r');
    const std::string line = longSwitch + " " + longValue + " \"" + longQuoted + "\" next -B";

    CArgumentList list;
    CommandLineFlags flags;
    EXPECT_EQ(0, ParseCommandLine(line.c_str(), &list, &flags));
    ASSERT_EQ(2, list.Count());
    EXPECT_EQ(longSwitch.substr(0, 259), list.Name(0));
    ASSERT_EQ(3, list.ValueCount(0));
    EXPECT_EQ(longValue.substr(0, 259), list.Value(0, 0));
    EXPECT_EQ(longQuoted.substr(0, 259), list.Value(0, 1));
    // The skipped rest never turns into words of its own.
    EXPECT_STREQ("next", list.Value(0, 2));
    EXPECT_STREQ("-B", list.Name(1));
}

TEST(CommandLine, KeepsWordsOfExactly259AndCutsAt260) {
    for (size_t length : {258u, 259u, 260u, 261u}) {
        SCOPED_TRACE(length);
        const std::string word(length, 'w');
        const std::string name = "-" + std::string(length - 1, 'n');
        const std::string line = name + " " + word;
        CArgumentList list;
        CommandLineFlags flags;
        ParseCommandLine(line.c_str(), &list, &flags);
        ASSERT_EQ(1, list.Count());
        EXPECT_EQ(name.substr(0, 259), list.Name(0));
        ASSERT_EQ(1, list.ValueCount(0));
        EXPECT_EQ(word.substr(0, 259), list.Value(0, 0));
    }
}

TEST(CommandLine, CutSwitchNameIsNotRecognisedAsAShorterSwitch) {
    // A cut word must not become "-QUIT" by accident: only the whole word counts.
    const std::string line = "-QUIT" + std::string(400, 'X');
    CArgumentList list;
    CommandLineFlags flags;
    EXPECT_EQ(0, ParseCommandLine(line.c_str(), &list, &flags));
}

TEST(CommandLine, ReparseReplacesThePreviousList) {
    CArgumentList list;
    CommandLineFlags flags;
    ParseCommandLine("-A 1 2 3 -B 4 -C", &list, &flags);
    EXPECT_EQ(3, list.Count());
    ParseCommandLine("-D", &list, &flags);
    ASSERT_EQ(1, list.Count());
    EXPECT_STREQ("-D", list.Name(0));
    EXPECT_EQ(0, list.ValueCount(0));
}

TEST(CommandLine, ManyValuesGrowTheValueList) {
    std::string line = "-LIST";
    for (int i = 0; i < 100; ++i) line += " v" + std::to_string(i);
    CArgumentList list;
    CommandLineFlags flags;
    ParseCommandLine(line.c_str(), &list, &flags);
    ASSERT_EQ(1, list.Count());
    ASSERT_EQ(100, list.ValueCount(0));
    EXPECT_STREQ("v0", list.Value(0, 0));
    EXPECT_STREQ("v99", list.Value(0, 99));
}

TEST(ArgumentList, FindArgumentIgnoresCaseAndReturnsTheFirstMatch) {
    CArgumentList list;
    CommandLineFlags flags;
    ParseCommandLine("lead -SaveAsAdmin x -restartasadmin -SAVEASADMIN", &list, &flags);
    EXPECT_EQ(0, list.FindArgument(""));
    EXPECT_EQ(1, list.FindArgument("-SAVEASADMIN"));
    EXPECT_EQ(1, list.FindArgument("-saveasadmin"));
    EXPECT_EQ(2, list.FindArgument("-RESTARTASADMIN"));
    EXPECT_EQ(-1, list.FindArgument("-SAVEASADMI"));
    EXPECT_EQ(-1, list.FindArgument("-SAVEASADMINX"));
    EXPECT_EQ(-1, list.FindArgument(nullptr));
}

TEST(ArgumentList, FindArgumentOnEmptyListIsMinusOne) {
    CArgumentList list;
    EXPECT_EQ(-1, list.FindArgument("-QUIT"));
    EXPECT_EQ(-1, list.FindArgument(""));
}

TEST(ArgumentList, AppendKeepsOrderAndOwnsValues) {
    CArgumentList list;
    auto* values = new CGrowableList<ArgumentValue>();
    ArgumentValue v = {"first"};
    values->Append(v);
    EXPECT_EQ(0, list.Append("-A", values));
    EXPECT_EQ(1, list.Append("-B", nullptr));
    ASSERT_EQ(2, list.Count());
    EXPECT_EQ(1, list.ValueCount(0));
    EXPECT_STREQ("first", list.Value(0, 0));
    EXPECT_EQ(0, list.ValueCount(1));
    // Clear frees the value lists (the sanitizer build reports a leak otherwise).
    list.Clear();
    EXPECT_EQ(0, list.Count());
}

TEST(ArgumentList, AppendCutsAnOverlongName) {
    CArgumentList list;
    const std::string name(300, 'n');
    list.Append(name.c_str(), nullptr);
    EXPECT_EQ(name.substr(0, 259), list.Name(0));
}

}  // namespace
