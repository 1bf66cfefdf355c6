#include "framework/core/command_table.h"
#include "framework/core/text_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

std::vector<uint16_t> Ids(const CCommandTable& table) {
    std::vector<uint16_t> ids;
    for (int i = 0; i < table.Count(); ++i) ids.push_back(table.At(i).id);
    return ids;
}

// The hooks are plain function pointers: they count into these.
std::vector<uint16_t> g_refreshed;
std::vector<uint16_t> g_disabled;
void OnRefresh(uint16_t id) { g_refreshed.push_back(id); }
void OnDisable(uint16_t id) { g_disabled.push_back(id); }

class CommandTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_refreshed.clear();
        g_disabled.clear();
        table.onRefresh = OnRefresh;
        table.onDisable = OnDisable;
    }
    CCommandTable table;
};

TEST_F(CommandTableTest, RegistersInIdOrder) {
    EXPECT_EQ(0, table.RegisterCommand(61712, ITEM_BUTTON, 0, 0, 0, 0));
    EXPECT_EQ(0, table.RegisterCommand(61440, ITEM_SEPARATOR, 0, 0, 0, 0));
    EXPECT_EQ(2, table.RegisterCommand(61800, ITEM_BUTTON, 0, 0, 0, 0));
    EXPECT_EQ((std::vector<uint16_t>{61440, 61712, 61800}), Ids(table));
    EXPECT_EQ(1, table.FindCommand(61712));
    EXPECT_EQ(0, table.FindCommand(61440));
    EXPECT_EQ(2, table.FindCommand(61800));
}

TEST_F(CommandTableTest, FindOnEmptyAndOneRecordTables) {
    EXPECT_EQ(-1, table.FindCommand(0));
    EXPECT_EQ(-1, table.FindCommand(61440));
    table.RegisterCommand(500, ITEM_BUTTON, 0, 0, 0, 0);
    EXPECT_EQ(0, table.FindCommand(500));
    for (uint16_t other : {0, 499, 501, 0xFFFE, 0xFFFF}) EXPECT_EQ(-1, table.FindCommand(other)) << other;
}

TEST_F(CommandTableTest, ShuffledRegistrationEndsSortedAndFindsEveryId) {
    // Well past the first 16 elements, and ids across the whole unsigned range.
    std::vector<uint16_t> ids;
    for (int i = 0; i < 300; ++i) ids.push_back((uint16_t)(i * 217 + 3));
    ids.push_back(0);
    ids.push_back(0xFFFE);
    ids.push_back(61440);
    std::mt19937 random(12345);
    std::shuffle(ids.begin(), ids.end(), random);
    for (uint16_t id : ids) ASSERT_GE(table.RegisterCommand(id, ITEM_BUTTON, 0, 0, 0, 0), 0);

    std::vector<uint16_t> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, Ids(table));
    for (size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ((int)i, table.FindCommand(sorted[i])) << sorted[i];
    EXPECT_EQ(-1, table.FindCommand(1));
    EXPECT_EQ(-1, table.FindCommand(0xFFFF));
}

TEST_F(CommandTableTest, RegistrationStoresFlagsAndOwnIds) {
    float w = 1.5f, h = 2.5f;
    table.RegisterCommand(61729, ITEM_MENU, 0x80, 0xFFFF, 0xFFFF, 1234, w, h);
    CommandRecord r;
    ASSERT_EQ(0, table.GetCommand(61729, &r));
    EXPECT_EQ(61729, r.id);
    EXPECT_EQ(ITEM_MENU, r.type);
    EXPECT_EQ(0x1081u, r.flags);
    EXPECT_EQ(61729, r.imageId);
    EXPECT_EQ(61729, r.textId);
    EXPECT_EQ(1234u, r.data);
    EXPECT_EQ(w, r.widthFactor);
    EXPECT_EQ(h, r.heightFactor);

    table.RegisterCommand(100, ITEM_BUTTON, 0, 7, kOwnerSuppliesText, 0);
    ASSERT_EQ(0, table.GetCommand(100, &r));
    EXPECT_EQ(0x1001u, r.flags);
    EXPECT_EQ(7, r.imageId);
    EXPECT_EQ(kOwnerSuppliesText, r.textId);
}

TEST_F(CommandTableTest, UnknownIdsGive61447AndChangeNothing) {
    table.RegisterCommand(10, ITEM_BUTTON, 0, 0, 0, 0);
    CommandRecord before;
    table.GetCommand(10, &before);
    CommandRecord r = before;
    r.id = 11;
    EXPECT_EQ(kErrorUnknownCommand, table.GetCommand(11, &r));
    EXPECT_EQ(kErrorUnknownCommand, table.ReplaceCommand(11, r));
    EXPECT_EQ(kErrorUnknownCommand, table.EnableCommand(11, false));
    EXPECT_EQ(kErrorUnknownCommand, table.CheckCommand(11, true));
    table.RemoveCommand(11);
    EXPECT_EQ(1, table.Count());
    EXPECT_EQ(before.flags, table.At(0).flags);
    EXPECT_TRUE(g_refreshed.empty());
    EXPECT_TRUE(g_disabled.empty());
}

TEST_F(CommandTableTest, DisableClearsEnabledHotAndPressedOnce) {
    table.RegisterCommand(61712, ITEM_BUTTON, CMD_HOT | CMD_PRESSED | CMD_CHECKED | 0x80, 0, 0, 0);
    EXPECT_EQ(0, table.EnableCommand(61712, false));
    EXPECT_EQ((uint32_t)(CMD_CHECKED | CMD_OPTIONAL | 0x80), table.At(0).flags);
    EXPECT_EQ(std::vector<uint16_t>{61712}, g_disabled);
    EXPECT_EQ(std::vector<uint16_t>{61712}, g_refreshed);

    // Disabling again changes nothing, so nothing is refreshed or cleared.
    EXPECT_EQ(0, table.EnableCommand(61712, false));
    EXPECT_EQ(1u, g_disabled.size());
    EXPECT_EQ(1u, g_refreshed.size());

    // Enabling sets only the enabled bit and does not call the disable hook.
    EXPECT_EQ(0, table.EnableCommand(61712, true));
    EXPECT_EQ((uint32_t)(CMD_ENABLED | CMD_CHECKED | CMD_OPTIONAL | 0x80), table.At(0).flags);
    EXPECT_EQ(1u, g_disabled.size());
    EXPECT_EQ(2u, g_refreshed.size());
    EXPECT_EQ(0, table.EnableCommand(61712, true));
    EXPECT_EQ(2u, g_refreshed.size());
}

TEST_F(CommandTableTest, CheckRefreshesOnlyOnChange) {
    table.RegisterCommand(5, ITEM_BUTTON, 0, 0, 0, 0);
    EXPECT_EQ(0, table.CheckCommand(5, true));
    EXPECT_EQ(0x1801u, table.At(0).flags);
    EXPECT_EQ(0, table.CheckCommand(5, true));
    EXPECT_EQ(1u, g_refreshed.size());
    EXPECT_EQ(0, table.CheckCommand(5, false));
    EXPECT_EQ(0x1001u, table.At(0).flags);
    EXPECT_EQ(2u, g_refreshed.size());
    EXPECT_TRUE(g_disabled.empty());
}

TEST_F(CommandTableTest, HooksAreOptional) {
    table.onRefresh = nullptr;
    table.onDisable = nullptr;
    table.RegisterCommand(5, ITEM_BUTTON, 0, 0, 0, 0);
    EXPECT_EQ(0, table.EnableCommand(5, false));
    EXPECT_EQ(0, table.CheckCommand(5, true));
    EXPECT_EQ(0x1800u, table.At(0).flags);
}

TEST_F(CommandTableTest, ReplaceOverwritesTheWholeRecordAndRefreshes) {
    table.RegisterCommand(1, ITEM_BUTTON, 0, 0, 0, 0);
    table.RegisterCommand(2, ITEM_BUTTON, 0, 0, 0, 0);
    CommandRecord r;
    ASSERT_EQ(0, table.GetCommand(2, &r));
    r.type = ITEM_SLIDER;
    r.flags = 0x42;
    r.imageId = 9;
    r.textId = 8;
    r.data = 77;
    r.widthFactor = 3.0f;
    EXPECT_EQ(0, table.ReplaceCommand(2, r));
    CommandRecord back;
    ASSERT_EQ(0, table.GetCommand(2, &back));
    EXPECT_EQ(ITEM_SLIDER, back.type);
    EXPECT_EQ(0x42u, back.flags);
    EXPECT_EQ(9, back.imageId);
    EXPECT_EQ(8, back.textId);
    EXPECT_EQ(77u, back.data);
    EXPECT_EQ(3.0f, back.widthFactor);
    EXPECT_EQ(std::vector<uint16_t>{2}, g_refreshed);
}

TEST_F(CommandTableTest, RemoveTakesOutOnlyThatId) {
    for (uint16_t id : {30, 10, 20}) table.RegisterCommand(id, ITEM_BUTTON, 0, 0, 0, 0);
    table.RemoveCommand(20);
    EXPECT_EQ((std::vector<uint16_t>{10, 30}), Ids(table));
    EXPECT_EQ(1, table.FindCommand(30));
    table.RemoveCommand(10);
    table.RemoveCommand(30);
    EXPECT_EQ(0, table.Count());
    EXPECT_EQ(-1, table.FindCommand(30));
}

// --- standard commands ---------------------------------------------------------------

std::vector<uint16_t> Children(const CommandRecord& r) {
    std::vector<uint16_t> out;
    const uint16_t* p = reinterpret_cast<const uint16_t*>(r.data);
    while (*p != kChildListEnd) out.push_back(*p++);
    return out;
}

class StandardCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, RegisterStandardCommands(&table)); }
    CommandRecord Get(uint16_t id) {
        CommandRecord r{};
        EXPECT_EQ(0, table.GetCommand(id, &r)) << id;
        return r;
    }
    CCommandTable table;
};

TEST_F(StandardCommandsTest, RegistersEveryCommandOnceInIdOrder) {
    std::vector<uint16_t> expected = {61440, 61441, 61696, 61701, 61712, 61713};
    for (int id = 61728; id <= 61732; ++id) expected.push_back((uint16_t)id);
    for (int id = 61744; id <= 61751; ++id) expected.push_back((uint16_t)id);
    for (int id = 61760; id <= 61762; ++id) expected.push_back((uint16_t)id);
    for (int id = 61776; id <= 61782; ++id) expected.push_back((uint16_t)id);
    for (int id = 61792; id <= 61803; ++id) expected.push_back((uint16_t)id);
    EXPECT_EQ(expected, Ids(table));
    EXPECT_EQ(-1, table.FindCommand(61804));   // images only
    EXPECT_EQ(-1, table.FindCommand(61805));
}

struct StandardRecord {
    uint16_t id;
    uint16_t type;
    uint32_t flags;   // as stored, with enabled and optional added
    uint16_t imageId;
    uint16_t textId;
};

TEST_F(StandardCommandsTest, RecordsCarryTheirTypeFlagsAndIds) {
    const StandardRecord expected[] = {
        {61440, ITEM_SEPARATOR, 0x1005, 0, 61440},
        {61441, ITEM_SEPARATOR, 0x1001001, 0, 61441},
        {61696, ITEM_MENU, 0x1081, 0, 61442},
        {61701, ITEM_MENU, 0x1081, 0, 61701},
        {61712, ITEM_BUTTON, 0x1181, 61712, 61712},
        {61713, ITEM_BUTTON, 0x1181, 61713, 61713},
        {61728, ITEM_MENU, 0x1181, 61728, 61728},
        {61731, ITEM_BUTTON, 0x1081, 0, 61731},
        {61744, ITEM_MENU, 0x1181, 61744, 61744},
        {61746, ITEM_BUTTON, 0x1081, 0, 61746},
        {61747, ITEM_MENU, 0x1001001, 0, 61747},
        {61748, ITEM_BUTTON, 0x1181, 61748, 61748},
        {61751, ITEM_BUTTON, 0x1181, 61751, 61751},
        {61760, ITEM_MENU, 0x1181, 61760, 61760},
        {61762, ITEM_BUTTON, 0x1081, 0, 61762},
        {61776, ITEM_MENU, 0x1181, 61776, 61776},
        {61782, ITEM_BUTTON, 0x1081, 0, 61782},
        {61792, ITEM_MENU, 0x1181, 61792, 61792},
        {61803, ITEM_BUTTON, 0x1081, 0, 61803},
    };
    for (const StandardRecord& e : expected) {
        SCOPED_TRACE(e.id);
        CommandRecord r = Get(e.id);
        EXPECT_EQ(e.type, r.type);
        EXPECT_EQ(e.flags, r.flags);
        EXPECT_EQ(e.imageId, r.imageId);
        EXPECT_EQ(e.textId, r.textId);
        EXPECT_EQ(0.0f, r.widthFactor);
        EXPECT_EQ(0.0f, r.heightFactor);
    }
}

TEST_F(StandardCommandsTest, MenusListTheirChildrenWithSeparators) {
    EXPECT_EQ((std::vector<uint16_t>{61729, 61730, 61731, 61732}), Children(Get(61728)));
    EXPECT_EQ((std::vector<uint16_t>{61745, 61746, 61747}), Children(Get(61744)));
    EXPECT_EQ((std::vector<uint16_t>{61748, 61749, 61750, 61751}), Children(Get(61747)));
    EXPECT_EQ((std::vector<uint16_t>{61761, 61762}), Children(Get(61760)));
    EXPECT_EQ((std::vector<uint16_t>{61777, 61778, 61779, 61780, 61781, 61440, 61782}), Children(Get(61776)));
    EXPECT_EQ((std::vector<uint16_t>{61793, 61440, 61794, 61795, 61796, 61797, 61798, 61799, 61800, 61801,
                                     61802, 61440, 61803}),
              Children(Get(61792)));
    EXPECT_EQ((uintptr_t)-1, Get(61696).data);
    EXPECT_EQ(0u, Get(61701).data);
    EXPECT_EQ(0u, Get(61712).data);
}

TEST_F(StandardCommandsTest, EveryChildIsARegisteredCommandAndHasACaption) {
    CTextTable texts;
    for (int i = 0; i < table.Count(); ++i) {
        const CommandRecord& r = table.At(i);
        if (r.type != ITEM_MENU || r.data == 0 || r.data == (uintptr_t)-1) continue;
        for (uint16_t child : Children(r)) {
            EXPECT_GE(table.FindCommand(child), 0) << child;
            if (child == kMenuSeparatorId) continue;
            EXPECT_NE(nullptr, texts.GetText(child, 0, 0)) << child;
            EXPECT_NE(nullptr, texts.GetText(child, 2, 0)) << child;
        }
    }
}

TEST_F(StandardCommandsTest, RegisteringIntoAFilledTableKeepsOrder) {
    CCommandTable mixed;
    mixed.RegisterCommand(100, ITEM_BUTTON, 0, 0, 0, 0);
    mixed.RegisterCommand(61750, ITEM_BUTTON, 0, 0, 0, 0);   // also a standard id
    mixed.RegisterCommand(65000, ITEM_BUTTON, 0, 0, 0, 0);
    ASSERT_EQ(0, RegisterStandardCommands(&mixed));
    std::vector<uint16_t> ids = Ids(mixed);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(0, mixed.FindCommand(100));
    EXPECT_EQ(mixed.Count() - 1, mixed.FindCommand(65000));
}

}  // namespace
