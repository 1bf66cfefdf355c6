// The colours dialog in the real program: opened with the options dialog's "Edit" button,
// worked with window messages, its results read back from Options.dcf.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "../../app/options_record.h"
#include "../support/installation.h"
#include "../support/window_driver.h"

namespace {

constexpr int kEditColors = 1068;   // in the options dialog
// The colour chooser's red, green and blue boxes, "Add to Custom Colors" and its cells.
constexpr int kChooserRed = 706, kChooserGreen = 707, kChooserBlue = 708;
constexpr int kChooserAddCustom = 712, kChooserCustomCells = 721;

constexpr size_t kColorsOffset = 2428, kColorsSize = 5 * 16;

int32_t Int32At(const std::string& bytes, size_t offset) {
    int32_t value = 0;
    if (bytes.size() >= offset + 4) memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::string ColorBytes(const std::string& record) {
    return record.size() >= kColorsOffset + kColorsSize ? record.substr(kColorsOffset, kColorsSize) : std::string();
}

class ColorsE2E : public ::testing::Test {
protected:
    // Starts the program, keeps the record its start-up saved and opens the colours dialog.
    HWND OpenColors(RunningProgram& program) {
        options_ = program.WaitForWindow("Plexaro", "#32770");
        if (!options_) {
            ADD_FAILURE() << "the options dialog did not appear";
            return nullptr;
        }
        before_ = ReadBytes(install.DataFile("Options.dcf"));
        EXPECT_EQ(2516u, before_.size());
        // Posted: the colours dialog runs modally inside the program's handling of the click.
        PostMessageA(options_, WM_COMMAND, MAKEWPARAM(kEditColors, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(options_, kEditColors)));
        HWND colors = program.WaitForWindow("Colors", "#32770");
        EXPECT_NE(nullptr, colors) << "the colours dialog did not open";
        if (colors) SendMessageA(colors, WM_NULL, 0, 0);
        return colors;
    }

    // Opens a swatch's chooser with a click and waits for it.
    HWND OpenChooser(RunningProgram& program, HWND colors, int swatchId) {
        HWND swatch = GetDlgItem(colors, swatchId);
        PostMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        PostMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        HWND chooser = WaitForOwnedDialog(program.ProcessId(), colors);
        EXPECT_NE(nullptr, chooser) << "no colour chooser for swatch " << swatchId;
        return chooser;
    }

    static void TypeColor(HWND chooser, int r, int g, int b) {
        SetDlgItemInt(chooser, kChooserRed, r, FALSE);
        SetDlgItemInt(chooser, kChooserGreen, g, FALSE);
        SetDlgItemInt(chooser, kChooserBlue, b, FALSE);
    }

    static void CloseChooser(HWND chooser, int button) {
        PostMessageA(chooser, WM_COMMAND, button, 0);
        EXPECT_TRUE(WaitGone(chooser));
    }

    static std::string ChooserColor(HWND chooser) {
        return GetText(chooser, kChooserRed) + "," + GetText(chooser, kChooserGreen) + "," +
               GetText(chooser, kChooserBlue);
    }

    static void ClickFirstCustomCell(HWND chooser) {
        RECT r;
        GetWindowRect(GetDlgItem(chooser, kChooserCustomCells), &r);
        POINT p = {r.left + (r.right - r.left) / 16, r.top + (r.bottom - r.top) / 4};
        ScreenToClient(chooser, &p);
        SendMessageA(chooser, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageA(chooser, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }

    // Ends a button's dialog and waits until it is gone.
    static void Close(HWND dialog, int button) {
        ClickButton(dialog, button);
        EXPECT_TRUE(WaitGone(dialog));
    }

    void FinishWithOk(RunningProgram& program) {
        ClickButton(options_, IDOK);
        program.ExpectCleanExit();
    }

    TestInstallation install;
    HWND options_ = nullptr;
    std::string before_;
};

TEST_F(ColorsE2E, ACheckBoxAndAPickedColourReachOptionsDcfAfterOkAndOk) {
    RunningProgram program("");
    HWND colors = OpenColors(program);
    ASSERT_NE(nullptr, colors);
    const int32_t useNormal = Int32At(before_, 2428);
    EXPECT_EQ(useNormal != 0, IsChecked(colors, 1065)) << "the background check box shows the stored flag";
    SetCheck(colors, 1065, useNormal == 0);

    HWND chooser = OpenChooser(program, colors, 1078);   // selected background
    ASSERT_NE(nullptr, chooser);
    TypeColor(chooser, 17, 130, 240);
    CloseChooser(chooser, IDOK);
    Close(colors, IDOK);
    FinishWithOk(program);

    const std::string after = ReadBytes(install.DataFile("Options.dcf"));
    ASSERT_EQ(2516u, after.size());
    EXPECT_EQ(useNormal == 0 ? 1 : 0, Int32At(after, 2428)) << "BackgroundColors.UseNormal";
    EXPECT_EQ(Int32At(before_, 2432), Int32At(after, 2432)) << "BackgroundColors.UseSelected";
    EXPECT_EQ(int32_t(RGB(17, 130, 240)), Int32At(after, 2440)) << "BackgroundColors.Selected";
    // The rest of the colour settings are as they were.
    std::string expected = ColorBytes(before_), stored = ColorBytes(after);
    expected.replace(0, 4, stored.substr(0, 4));
    expected.replace(12, 4, stored.substr(12, 4));
    EXPECT_EQ(expected, stored);
}

TEST_F(ColorsE2E, CancelInTheColoursDialogLeavesTheStoredColoursAlone) {
    RunningProgram program("");
    HWND colors = OpenColors(program);
    ASSERT_NE(nullptr, colors);
    SetCheck(colors, 1065, !IsChecked(colors, 1065));
    SetCheck(colors, 1081, !IsChecked(colors, 1081));
    HWND chooser = OpenChooser(program, colors, 1066);
    ASSERT_NE(nullptr, chooser);
    TypeColor(chooser, 1, 2, 3);
    CloseChooser(chooser, IDOK);
    Close(colors, IDCANCEL);
    FinishWithOk(program);

    const std::string after = ReadBytes(install.DataFile("Options.dcf"));
    ASSERT_EQ(2516u, after.size());
    EXPECT_EQ(ColorBytes(before_), ColorBytes(after));
}

// Custom colours are shared by the choosers of one run and never stored.
TEST_F(ColorsE2E, CustomColoursLastForTheRunOnly) {
    {
        RunningProgram program("");
        HWND colors = OpenColors(program);
        ASSERT_NE(nullptr, colors);
        HWND chooser = OpenChooser(program, colors, 1066);
        ASSERT_NE(nullptr, chooser);
        TypeColor(chooser, 222, 111, 33);
        SendMessageA(chooser, WM_COMMAND, kChooserAddCustom, 0);
        CloseChooser(chooser, IDCANCEL);

        chooser = OpenChooser(program, colors, 1080);
        ASSERT_NE(nullptr, chooser);
        ClickFirstCustomCell(chooser);
        EXPECT_EQ("222,111,33", ChooserColor(chooser)) << "the next chooser offers the custom colour";
        CloseChooser(chooser, IDCANCEL);
        Close(colors, IDCANCEL);
        FinishWithOk(program);
    }
    RunningProgram program("");
    HWND colors = OpenColors(program);
    ASSERT_NE(nullptr, colors);
    HWND chooser = OpenChooser(program, colors, 1066);
    ASSERT_NE(nullptr, chooser);
    TypeColor(chooser, 5, 6, 7);
    ClickFirstCustomCell(chooser);
    EXPECT_EQ("0,0,0", ChooserColor(chooser)) << "a restart starts with an empty custom colour table";
    CloseChooser(chooser, IDCANCEL);
    Close(colors, IDCANCEL);
    FinishWithOk(program);
}

}  // namespace
