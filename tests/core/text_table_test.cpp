#include "framework/core/text_table.h"
#include "app/program_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A table in its own heap block of exactly the right size, so that a search past the
// end record shows up in the sanitizer build.
class Table {
public:
    Table& Add(uint16_t id, std::initializer_list<const char*> texts) {
        TextRecord r = {};
        r.id = id;
        int i = 0;
        for (const char* t : texts) r.texts[i++] = t;
        records_.push_back(r);
        return *this;
    }
    TextRecord* Get() {
        block_.reset(new TextRecord[records_.size() + 1]);
        std::copy(records_.begin(), records_.end(), block_.get());
        TextRecord end = {};
        end.id = kTextTableEnd;
        block_[records_.size()] = end;
        return block_.get();
    }

private:
    std::vector<TextRecord> records_;
    std::unique_ptr<TextRecord[]> block_;
};

std::string Str(const char* text) { return text ? text : "<none>"; }

// The program table is sorted in place when installed; each test installs a copy so
// the tests do not depend on each other.
class TextTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        const TextRecord* r = g_programTexts;
        do program_.push_back(*r); while ((r++)->id != kTextTableEnd);
        ASSERT_EQ(0, texts_.SetTextTable(0, program_.data()));
    }
    std::vector<TextRecord> program_;
    CTextTable texts_;
};

TEST_F(TextTableTest, FindsFrameworkTextsBySubText) {
    EXPECT_STREQ("No", texts_.GetText(61952, 5, 0));
    EXPECT_STREQ("OK", texts_.GetText(61952, 0, 0));
    EXPECT_EQ(nullptr, texts_.GetText(61952, 6, 0));
    EXPECT_STREQ(" * ", texts_.GetText(61442, 0, 0));
    EXPECT_EQ(nullptr, texts_.GetText(61442, 1, 0));   // the record exists, the slot does not
    EXPECT_STREQ("Additional Items", texts_.GetText(61442, 3, 0));
    EXPECT_STREQ("", texts_.GetText(61701, 0, 0));
    EXPECT_EQ(nullptr, texts_.GetText(61441, 0, 0));
    EXPECT_EQ(nullptr, texts_.GetText(61446, 0, 0));
}

TEST_F(TextTableTest, RejectsEndIdAndSubTextsOutside0To15) {
    EXPECT_EQ(nullptr, texts_.GetText(kTextTableEnd, 0, 0));
    for (int32_t sub : {-1, 16, 17, INT_MIN, INT_MAX}) EXPECT_EQ(nullptr, texts_.GetText(61952, sub, 0)) << sub;
}

TEST_F(TextTableTest, ProgramTexts) {
    EXPECT_STREQ("Plexaro", texts_.GetText(0, 0, 0));
    EXPECT_EQ(nullptr, texts_.GetText(1, 0, 0));
    EXPECT_STREQ("Executable Files (.EXE)", texts_.GetText(10, 0, 0));
    EXPECT_STREQ("You must restart your computer before the new settings will take effect.",
                 texts_.GetText(11, 0, 0));
    EXPECT_STREQ("You must restart your computer before the new settings will take effect.\n\n"
                 "Do you want to restart your computer now?",
                 texts_.GetText(11, 1, 0));
    EXPECT_STREQ("Invalid path!", texts_.GetText(20, 0, 0));
    EXPECT_EQ(nullptr, texts_.GetText(20, 1, 0));
    EXPECT_STREQ("The list of excluded objects is full.\nRemove an object before adding another one.",
                 texts_.GetText(21, 0, 0));
    EXPECT_EQ(nullptr, texts_.GetText(22, 0, 0));
}

struct TextCase {
    uint16_t id;
    int sub;
    const char* text;
};

TEST_F(TextTableTest, FrameworkTextsAreExact) {
    const TextCase cases[] = {
        {61443, 0, "Error initializing the application!\nError code 0x%08X."},
        {61443, 1, "Ag"},
        {61444, 0, "Ready"},
        {61445, 0, "%s v%d.%d.%d"},
        {61447, 0, "Could not display the manual \"%s\".\nPlease make sure that a viewer for this file type is installed on your system."},
        {61447, 1, "Could not find the manual \"%s\".\nPlease reinstall the program."},
        {61448, 0, "Could not access the data path!\n%s\nPlease make sure that this path is accessible or choose a different data path during setup."},
        {61448, 1, "Waiting for data folder..."},
        {61448, 2, "Quit %s"},
        {61449, 0, "Warning: your current configuration will be overwritten!\nDo you want to continue?"},
        {61449, 3, "Wrong product!"},
        {61449, 4, "Some file(s) could not be backed up!\nMaybe they are in use by the program."},
        {61450, 2, "Data reset successfully!"},
        {61451, 0, "The program must be restarted to apply the changes.\nClick OK to restart the program now."},
        {61452, 0, "Update Check"},
        {61452, 1, "Checking..."},
        {61452, 2, "Version download error"},
        {61452, 3, "Version format error"},
        {61452, 4, "New version available"},
        {61452, 5, "No update available"},
        {61452, 6, "Could not start update check"},
        {61712, 0, "Always on Top"},
        {61712, 2, "Keeps the window on top of all others"},
        {61732, 2, "No window borders at all"},
        {61751, 0, "Highlighted Text"},
        {61762, 0, "Custom..."},
        {61777, 2, "Locks the positions of the stoolbars"},
        {61782, 2, "Locks the size and position of the window if the screen resolution changes"},
        {61793, 2, "Switches transparency off"},
        {61803, 0, "Ghost"},
        {61803, 2, "Let the mouse click through the window"},
        {61952, 3, "Help"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(c.text, Str(texts_.GetText(c.id, c.sub, 0))) << c.id << "/" << c.sub;
    EXPECT_EQ(nullptr, texts_.GetText(61452, 7, 0));
    for (int step = 1; step <= 9; ++step) {
        char caption[8], status[32];
        std::snprintf(caption, sizeof(caption), "%d%%", step * 10);
        std::snprintf(status, sizeof(status), "%d%% transparency", step * 10);
        uint16_t id = (uint16_t)(61793 + step);
        EXPECT_EQ(caption, Str(texts_.GetText(id, 0, 0))) << id;
        EXPECT_EQ(status, Str(texts_.GetText(id, 2, 0))) << id;
        EXPECT_EQ(nullptr, texts_.GetText(id, 1, 0)) << id;
    }
}

TEST_F(TextTableTest, FindsEveryRecordOfAnUnsortedCopyOfTheFrameworkTable) {
    // The framework table is already sorted by now; shuffle a copy and install it as the
    // second language so the installation sort is run on the real records.
    std::vector<TextRecord> shuffled;
    for (const TextRecord* r = g_frameworkTexts; r->id != kTextTableEnd; ++r) shuffled.push_back(*r);
    EXPECT_EQ(49u, shuffled.size());
    std::mt19937 random(4711);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    TextRecord end = {};
    end.id = kTextTableEnd;
    shuffled.push_back(end);
    ASSERT_EQ(0, texts_.SetFrameworkTable(1, shuffled.data()));

    for (const TextRecord* r = g_frameworkTexts; r->id != kTextTableEnd; ++r) {
        for (int sub = 0; sub < 16; ++sub) {
            const char* english = r->texts[sub];
            EXPECT_EQ(english, texts_.GetText(r->id, sub, 0)) << r->id << "/" << sub;
            EXPECT_EQ(english, texts_.GetText(r->id, sub, 1)) << r->id << "/" << sub;
        }
    }
    for (size_t i = 1; i + 1 < shuffled.size(); ++i) EXPECT_LT(shuffled[i - 1].id, shuffled[i].id);
}

TEST_F(TextTableTest, LanguageOneFallsBackToEnglish) {
    EXPECT_STREQ("Invalid path!", texts_.GetText(20, 0, 1));
    // Framework texts fall back too, so boxes and buttons never lose their captions.
    EXPECT_STREQ("Ready", texts_.GetText(61444, 0, 1));
    EXPECT_STREQ("Yes", texts_.GetText(61952, 4, 1));
}

TEST_F(TextTableTest, InstalledSecondLanguageIsUsedWithoutPerRecordFallBack) {
    Table german;
    german.Add(20, {"Ungueltiger Pfad!"});
    Table germanFramework;
    germanFramework.Add(61444, {"Bereit"});
    ASSERT_EQ(0, texts_.SetTextTable(1, german.Get()));
    ASSERT_EQ(0, texts_.SetFrameworkTable(1, germanFramework.Get()));
    EXPECT_STREQ("Ungueltiger Pfad!", texts_.GetText(20, 0, 1));
    EXPECT_EQ(nullptr, texts_.GetText(0, 0, 1));   // a table of its own has no gaps filled
    EXPECT_STREQ("Bereit", texts_.GetText(61444, 0, 1));
    EXPECT_STREQ("Invalid path!", texts_.GetText(20, 0, 0));
    EXPECT_STREQ("Ready", texts_.GetText(61444, 0, 0));
}

TEST_F(TextTableTest, LanguageIndexOutsideTheTablesReadsAsEnglish) {
    Table german;
    german.Add(20, {"Ungueltiger Pfad!"});
    ASSERT_EQ(0, texts_.SetTextTable(1, german.Get()));
    for (int32_t language : {-1, 2, 5, INT_MIN, INT_MAX}) {
        EXPECT_STREQ("Invalid path!", texts_.GetText(20, 0, language)) << language;
        EXPECT_STREQ("No", texts_.GetText(61952, 5, language)) << language;
    }
}

TEST(TextTable, LanguagesWithDifferentRecordCountsKeepTheirOwnCount) {
    CTextTable texts;
    Table english, german;
    english.Add(30, {"thirty"}).Add(10, {"ten"}).Add(20, {"twenty"});
    for (uint16_t id = 1; id <= 12; ++id) german.Add(id, {"de"});
    ASSERT_EQ(0, texts.SetTextTable(0, english.Get()));
    ASSERT_EQ(0, texts.SetTextTable(1, german.Get()));
    // The shorter table is still searched within its own three records.
    EXPECT_STREQ("thirty", texts.GetText(30, 0, 0));
    EXPECT_STREQ("ten", texts.GetText(10, 0, 0));
    EXPECT_EQ(nullptr, texts.GetText(40, 0, 0));
    EXPECT_EQ(nullptr, texts.GetText(11, 0, 0));
    // And the longer one in all of its twelve.
    EXPECT_STREQ("de", texts.GetText(12, 0, 1));
    EXPECT_STREQ("de", texts.GetText(1, 0, 1));
    EXPECT_EQ(nullptr, texts.GetText(13, 0, 1));

    // The other order of installation as well.
    CTextTable reversed;
    Table longFirst, shortSecond;
    for (uint16_t id = 1; id <= 12; ++id) longFirst.Add(id, {"en"});
    shortSecond.Add(5, {"de"});
    ASSERT_EQ(0, reversed.SetTextTable(0, longFirst.Get()));
    ASSERT_EQ(0, reversed.SetTextTable(1, shortSecond.Get()));
    EXPECT_STREQ("en", reversed.GetText(12, 0, 0));
    EXPECT_STREQ("de", reversed.GetText(5, 0, 1));
    EXPECT_EQ(nullptr, reversed.GetText(12, 0, 1));
}

TEST(TextTable, BinarySearchFindsEveryIdForEveryTableSize) {
    for (int n = 0; n <= 40; ++n) {
        SCOPED_TRACE(n);
        CTextTable texts;
        Table table;
        std::vector<std::string> names;
        for (int i = 0; i < n; ++i) names.push_back(std::to_string(i));
        for (int i = n - 1; i >= 0; --i) table.Add((uint16_t)(10 * (i + 1)), {names[i].c_str()});
        ASSERT_EQ(0, texts.SetTextTable(0, table.Get()));
        for (int i = 0; i < n; ++i) EXPECT_EQ(names[i], Str(texts.GetText((uint16_t)(10 * (i + 1)), 0, 0)));
        for (int id = 0; id <= 10 * (n + 1); id += 5) {
            if (id % 10 != 0 || id == 0 || id > 10 * n) {
                EXPECT_EQ(nullptr, texts.GetText((uint16_t)id, 0, 0)) << id;
            }
        }
    }
}

TEST(TextTable, NoProgramTableGivesNone) {
    CTextTable texts;
    EXPECT_EQ(nullptr, texts.GetText(0, 0, 0));
    EXPECT_EQ(nullptr, texts.GetText(0, 0, 1));
    EXPECT_STREQ("OK", texts.GetText(61952, 0, 0));
}

TEST(TextTable, InstallsALanguageOnlyOnce) {
    CTextTable texts;
    Table first, second;
    first.Add(1, {"first"});
    second.Add(1, {"second"});
    EXPECT_EQ(0, texts.SetTextTable(0, first.Get()));
    EXPECT_EQ(0, texts.SetTextTable(0, second.Get()));
    EXPECT_STREQ("first", texts.GetText(1, 0, 0));
}

TEST(TextTable, RefusesLanguagesBeyondTwo) {
    CTextTable texts;
    Table table;
    table.Add(1, {"x"});
    TextRecord* t = table.Get();
    EXPECT_EQ(kErrorBadLanguage, texts.SetTextTable(2, t));
    EXPECT_EQ(kErrorBadLanguage, texts.SetTextTable(0xFFFF, t));
    EXPECT_EQ(kErrorBadLanguage, texts.SetFrameworkTable(2, t));
    EXPECT_EQ(nullptr, texts.GetText(1, 0, 0));
    EXPECT_EQ(nullptr, texts.GetText(1, 0, 1));
}

TEST(TextTable, NullTableStandsForTheLanguageZeroTable) {
    CTextTable texts;
    EXPECT_EQ(0, texts.SetTextTable(1, nullptr));   // nothing to stand for yet
    Table english, german;
    english.Add(1, {"one"});
    german.Add(1, {"eins"});
    ASSERT_EQ(0, texts.SetTextTable(0, english.Get()));
    EXPECT_EQ(0, texts.SetTextTable(1, nullptr));
    EXPECT_STREQ("one", texts.GetText(1, 0, 1));
    // Language 1 is now installed and keeps that table.
    EXPECT_EQ(0, texts.SetTextTable(1, german.Get()));
    EXPECT_STREQ("one", texts.GetText(1, 0, 1));
}

TEST(TextTable, SortCountsAndOrdersWholeRecords) {
    Table table;
    table.Add(300, {"c0", nullptr, "c2"}).Add(100, {"a0"}).Add(200, {nullptr, "b1"}).Add(100, {"a0'"});
    TextRecord* t = table.Get();
    EXPECT_EQ(4, SortTextTable(t));
    const uint16_t ids[] = {100, 100, 200, 300};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ids[i], t[i].id);
    // Each record moved with all of its slots.
    EXPECT_EQ(nullptr, t[2].texts[0]);
    EXPECT_STREQ("b1", t[2].texts[1]);
    EXPECT_STREQ("c0", t[3].texts[0]);
    EXPECT_STREQ("c2", t[3].texts[2]);
    EXPECT_EQ(kTextTableEnd, t[4].id);

    Table empty;
    EXPECT_EQ(0, SortTextTable(empty.Get()));
    EXPECT_EQ(0, SortTextTable(nullptr));
}

TEST(TextTable, OneRecordTableFindsOnlyItself) {
    CTextTable texts;
    Table table;
    table.Add(7, {"seven"});
    ASSERT_EQ(0, texts.SetTextTable(0, table.Get()));
    EXPECT_STREQ("seven", texts.GetText(7, 0, 0));
    for (uint16_t id : {0, 6, 8, 61439}) EXPECT_EQ(nullptr, texts.GetText(id, 0, 0)) << id;
}

TEST(TextTable, EmptyProgramTableFindsNothing) {
    CTextTable texts;
    Table table;
    ASSERT_EQ(0, texts.SetTextTable(0, table.Get()));
    EXPECT_EQ(nullptr, texts.GetText(0, 0, 0));
    EXPECT_EQ(nullptr, texts.GetText(61439, 0, 0));
}

TEST(TextTable, SetTextPointsASlotAtTheCallersText) {
    CTextTable texts;
    Table table;
    table.Add(5, {"caption"}).Add(9, {"other"});
    ASSERT_EQ(0, texts.SetTextTable(0, table.Get()));
    char buffer[32] = "Window title";
    texts.SetText(5, 0, buffer, 0);
    EXPECT_EQ(buffer, texts.GetText(5, 0, 0));
    texts.SetText(5, 3, buffer, 0);   // a slot that did not exist yet
    EXPECT_EQ(buffer, texts.GetText(5, 3, 0));

    // Ignored: unknown ids, bad sub-texts, framework ids, the end id.
    texts.SetText(6, 0, buffer, 0);
    EXPECT_EQ(nullptr, texts.GetText(6, 0, 0));
    texts.SetText(9, 16, buffer, 0);
    texts.SetText(9, -1, buffer, 0);
    EXPECT_STREQ("other", texts.GetText(9, 0, 0));
    const char* ok = texts.GetText(61952, 0, 0);
    texts.SetText(61952, 0, buffer, 0);
    EXPECT_EQ(ok, texts.GetText(61952, 0, 0));
    texts.SetText(kTextTableEnd, 0, buffer, 0);
}

TEST(TextTable, SetTextDoesNotFallBackToAnotherLanguage) {
    CTextTable texts;
    Table table;
    table.Add(5, {"caption"});
    ASSERT_EQ(0, texts.SetTextTable(0, table.Get()));
    char buffer[] = "changed";
    texts.SetText(5, 0, buffer, 1);   // language 1 has no table: nothing to change
    EXPECT_STREQ("caption", texts.GetText(5, 0, 0));
    texts.SetText(5, 0, buffer, -1);  // an index outside the tables reads as English
    EXPECT_STREQ("changed", texts.GetText(5, 0, 0));
}

TEST(TextTable, LanguageNames) {
    EXPECT_STREQ("English", CTextTable::LanguageName(0));
    EXPECT_STREQ("Deutsch", CTextTable::LanguageName(1));
    EXPECT_EQ(nullptr, CTextTable::LanguageName(2));
    EXPECT_EQ(nullptr, CTextTable::LanguageName(-1));
}

}  // namespace
