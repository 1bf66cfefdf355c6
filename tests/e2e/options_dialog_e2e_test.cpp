// The options dialog of the real program, driven with window messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>

#include "../../app/options_record.h"
#include "../support/installation.h"
#include "../support/window_driver.h"

namespace {

OptionsRecord ReadOptionsFile(const std::string& path) {
    OptionsRecord record = {};
    std::string bytes = ReadBytes(path);
    memcpy(&record, bytes.data(), bytes.size() < sizeof(record) ? bytes.size() : sizeof(record));
    return record;
}

bool ReadMenuShowDelay(std::string* out) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    char text[64] = "";
    DWORD size = sizeof(text) - 1;
    bool ok = RegQueryValueExA(key, "MenuShowDelay", nullptr, nullptr, (BYTE*)text, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    *out = text;
    return ok;
}

void WriteMenuShowDelay(const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "MenuShowDelay", 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
}

class OptionsDialogE2E : public ::testing::Test {
protected:
    void SetUp() override {
        hadDelay_ = ReadMenuShowDelay(&savedDelay_);
        WriteMenuShowDelay("400");
    }
    void TearDown() override {
        if (hadDelay_) WriteMenuShowDelay(savedDelay_);
    }

    // Starts the program and waits for its options dialog.
    HWND Open(RunningProgram& program) {
        HWND dialog = program.WaitForWindow("Plexaro", "#32770");
        EXPECT_NE(nullptr, dialog) << "the options dialog did not appear";
        return dialog;
    }

    TestInstallation install;

private:
    bool hadDelay_ = false;
    std::string savedDelay_;
};

TEST_F(OptionsDialogE2E, SliderAndOkWriteTheDelayToTheRecordAndTheRegistry) {
    RunningProgram program("");
    HWND dialog = Open(program);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(400, SliderPosition(dialog, 1027));
    EXPECT_EQ("0.4 seconds", GetText(dialog, 1028));

    SetSlider(dialog, 1027, 700);
    EXPECT_EQ("0.7 seconds", GetText(dialog, 1028));
    ClickButton(dialog, IDOK);
    ASSERT_NO_FATAL_FAILURE(program.ExpectCleanExit(10000));

    std::string delay;
    ASSERT_TRUE(ReadMenuShowDelay(&delay));
    EXPECT_EQ("700", delay);
    EXPECT_EQ(700, ReadOptionsFile(install.DataFile("Options.dcf")).MenuDelay);
}

TEST_F(OptionsDialogE2E, CancelLeavesTheDiskAndTheRegistryAlone) {
    RunningProgram program("");
    HWND dialog = Open(program);
    ASSERT_NE(nullptr, dialog);
    // The start-up has saved by now; this is what must survive the cancelled edits.
    std::string before = ReadBytes(install.DataFile("Options.dcf"));
    ASSERT_EQ(2516u, before.size());

    SetSlider(dialog, 1027, 900);
    SetCheck(dialog, 1034, !IsChecked(dialog, 1034));
    SetText(dialog, 1037, "17");
    ClickButton(dialog, IDCANCEL);
    ASSERT_NO_FATAL_FAILURE(program.ExpectCleanExit(10000));

    EXPECT_EQ(before, ReadBytes(install.DataFile("Options.dcf")));
    std::string delay;
    ASSERT_TRUE(ReadMenuShowDelay(&delay));
    EXPECT_EQ("400", delay);
}

// Typed counts are clamped on Apply, which saves while the dialog stays open.
struct TypedCase { int box; const char* typed; int32_t OptionsRecord::*field; int32_t stored; };

TEST_F(OptionsDialogE2E, ApplySavesWhileTheDialogStaysAndClampsTypedNumbers) {
    const TypedCase cases[] = {
        {1037, "0", &OptionsRecord::RecentCount, 1},        {1037, "500", &OptionsRecord::RecentCount, 64},
        {1059, "2000", &OptionsRecord::SubOpenAreaWidth, 1024}, {1059, "7", &OptionsRecord::SubOpenAreaWidth, 16},
        {1045, "-250", &OptionsRecord::ItemHeightAdd, -250}, {1053, "99", &OptionsRecord::FavoriteCount, 64},
        {1053, "12", &OptionsRecord::FavoriteCount, 12},
    };
    RunningProgram program("");
    HWND dialog = Open(program);
    ASSERT_NE(nullptr, dialog);
    for (const TypedCase& c : cases) {
        SetText(dialog, c.box, c.typed);
        ClickButton(dialog, 3);
        EXPECT_TRUE(IsWindow(dialog)) << c.typed;
        EXPECT_EQ(c.stored, ReadOptionsFile(install.DataFile("Options.dcf")).*c.field) << "box " << c.box << " typed " << c.typed;
    }
    // Text without a number keeps the value the box had before.
    SetText(dialog, 1037, "many");
    ClickButton(dialog, 3);
    EXPECT_EQ(64, ReadOptionsFile(install.DataFile("Options.dcf")).RecentCount);
    ClickButton(dialog, IDCANCEL);
}

TEST_F(OptionsDialogE2E, CheckBoxesEnableTheirGroupsAndChangeTheRecordAtOnce) {
    RunningProgram program("");
    HWND dialog = Open(program);
    ASSERT_NE(nullptr, dialog);
    SetCheck(dialog, 1042, false);
    for (int id : {1057, 1037, 1038, 1039, 1040, 1043, 1044}) EXPECT_FALSE(IsEnabled(dialog, id)) << id;
    SetCheck(dialog, 1042, true);
    for (int id : {1057, 1037, 1038, 1039, 1040, 1043, 1044}) EXPECT_TRUE(IsEnabled(dialog, id)) << id;

    SetCheck(dialog, 1064, true);
    SetCheck(dialog, 1065, true);
    SetCheck(dialog, 1064, false);
    EXPECT_FALSE(IsEnabled(dialog, 1065));
    EXPECT_TRUE(IsChecked(dialog, 1065));   // greyed out, value kept

    EXPECT_TRUE(IsChecked(dialog, 1050));   // "Default", the stored position
    SetCheck(dialog, 1048, true);           // "Bottom of menu"
    for (int id : {1050, 1049, 1047}) EXPECT_FALSE(IsChecked(dialog, id)) << id;
    SetCheck(dialog, 1035, true);
    // The program's "store your data" request saves what was never confirmed.
    HWND main = FindWindowA("OMXWindow", "Plexaro");
    ASSERT_NE(nullptr, main);
    SendMessageA(main, 33772, 0, 0);
    OptionsRecord saved = ReadOptionsFile(install.DataFile("Options.dcf"));
    EXPECT_EQ(3, saved.MenuPosition);
    EXPECT_EQ(1, saved.DragFoldersOnly);
    EXPECT_EQ(0, saved.IncludeHidden);
    EXPECT_EQ(1, saved.IncludeSystemHidden);
    EXPECT_EQ(1, saved.ShowRecent);
    ClickButton(dialog, IDCANCEL);
}

TEST_F(OptionsDialogE2E, OpeningShowsTheRecordAndReadsSlidersBack) {
    // A stored delay beyond the slider and a tool tip speed of 0 are brought into range.
    ASSERT_EQ(0u, RunProgram("-SAVEASADMIN").exitCode);
    OptionsRecord record = ReadOptionsFile(install.DataFile("Options.dcf"));
    record.MenuDelay = 4000;
    record.ToolTips = (1u << 16) | 0;
    record.MenuPosition = 2;
    record.SizeUnits = 1;
    memcpy(record.IncludeExtensions, "exe\0lnk\0bat\0", 13);
    ASSERT_TRUE(WriteBytes(install.DataFile("Options.dcf"), std::string((const char*)&record, sizeof(record))));
    WriteMenuShowDelay("4000");

    RunningProgram program("");
    HWND dialog = Open(program);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(1000, SliderPosition(dialog, 1027));
    EXPECT_EQ("1 second", GetText(dialog, 1028));
    EXPECT_EQ(1, SliderPosition(dialog, 1030));
    EXPECT_TRUE(IsChecked(dialog, 1047));
    for (int id : {1050, 1049, 1048}) EXPECT_FALSE(IsChecked(dialog, id)) << id;
    // Still an automatic radio button, and the group's tab stop.
    LONG style = GetWindowLongA(GetDlgItem(dialog, 1047), GWL_STYLE);
    EXPECT_EQ(BS_AUTORADIOBUTTON, style & BS_TYPEMASK);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_TRUE(IsChecked(dialog, 1033));
    EXPECT_EQ("exe, lnk, bat", GetText(dialog, 1020));
    EXPECT_EQ("MB", GetText(dialog, 1081));
    EXPECT_EQ("Plexaro V1.0.0", GetText(dialog, 1001));

    SetText(dialog, 1020, "*.txt, *.doc");
    ClickButton(dialog, IDOK);
    DWORD exitCode = 99;
    ASSERT_TRUE(program.WaitForExit(10000, &exitCode));
    OptionsRecord saved = ReadOptionsFile(install.DataFile("Options.dcf"));
    EXPECT_EQ(1000, saved.MenuDelay);
    EXPECT_EQ((1u << 16) | 1u, saved.ToolTips);
    EXPECT_EQ(0, memcmp(saved.IncludeExtensions, "txt\0doc\0\0", 9));
    EXPECT_EQ(0, saved.IncludeAllExtensions);
}

}  // namespace
