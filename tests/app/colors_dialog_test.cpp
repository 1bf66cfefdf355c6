// The colours dialog and its swatches, opened for real: the test thread runs the dialog
// (or a swatch's colour chooser) while a second thread finds the windows, works them with
// window messages and records what it saw; the checks run on the test thread afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "../../app/colors_dialog.h"
#include "../../app/options_store.h"
#include "../../framework/core/dialog_helpers.h"
#include "../support/dialog_driver.h"

namespace {

// The colour chooser's own controls: the red, green and blue boxes, "Add to Custom Colors"
// and the custom colour cells.
constexpr int kChooserRed = 706, kChooserGreen = 707, kChooserBlue = 708;
constexpr int kChooserAddCustom = 712;
constexpr int kChooserCustomCells = 721;

struct Row {
    int checkId;
    const char* text;
    RECT checkRect;   // x, y, width, height in dialog units
    int swatchId;
    RECT swatchRect;
    ColorSetting OptionsRecord::*group;
    bool selected;
};

const Row kRows[] = {
    {1065, "Background:", {15, 19, 57, 10}, 1066, {105, 18, 45, 12}, &OptionsRecord::BackgroundColors, false},
    {1085, "Item size background:", {15, 36, 85, 10}, 1086, {105, 35, 45, 12}, &OptionsRecord::SizeBackgroundColors, false},
    {1075, "Submenu open area:", {15, 53, 82, 10}, 1076, {105, 52, 45, 12}, &OptionsRecord::SubOpenAreaColors, false},
    {1067, "Text:", {15, 70, 32, 10}, 1068, {105, 69, 45, 12}, &OptionsRecord::TextColors, false},
    {1069, "Item size text:", {15, 87, 59, 10}, 1070, {105, 86, 45, 12}, &OptionsRecord::SizeTextColors, false},
    {1077, "Background:", {180, 19, 57, 10}, 1078, {270, 17, 45, 12}, &OptionsRecord::BackgroundColors, true},
    {1087, "Item size background:", {180, 36, 85, 10}, 1088, {270, 35, 45, 12}, &OptionsRecord::SizeBackgroundColors, true},
    {1083, "Submenu open area:", {180, 53, 82, 10}, 1084, {270, 52, 45, 12}, &OptionsRecord::SubOpenAreaColors, true},
    {1079, "Text:", {180, 70, 32, 10}, 1080, {270, 69, 45, 12}, &OptionsRecord::TextColors, true},
    {1081, "Item size text:", {180, 87, 59, 10}, 1082, {270, 86, 45, 12}, &OptionsRecord::SizeTextColors, true},
};
constexpr int kRowCount = sizeof(kRows) / sizeof(kRows[0]);

int32_t& Flag(OptionsRecord& record, const Row& row) {
    return row.selected ? (record.*row.group).UseSelected : (record.*row.group).UseNormal;
}
uint32_t& Color(OptionsRecord& record, const Row& row) {
    return row.selected ? (record.*row.group).Selected : (record.*row.group).Normal;
}

// ---- finding windows ----------------------------------------------------------------

bool WaitGone(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

// Runs show() on this thread and drive() on a second one. Should the driver leave a dialog
// open (a failed step), it is cancelled after a while so that the test cannot hang.
INT_PTR RunDriven(const std::function<INT_PTR()>& show, const std::function<void()>& drive) {
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> finished(false);
    std::thread driver([&] {
        drive();
        const DWORD start = GetTickCount();
        while (!finished) {
            if (GetTickCount() - start > 3000) CancelThreadDialogs(thread);
            Sleep(50);
        }
    });
    const INT_PTR result = show();
    finished = true;
    driver.join();
    return result;
}

INT_PTR RunColorsDialog(const std::function<void(HWND)>& drive) {
    return RunDriven([] { return RunModalDialog(nullptr, kColorsDialogId, ColorsDialog, 0); },
                     [&] {
                         HWND dialog = WaitForProcessDialog("Colors");
                         if (dialog) drive(dialog);
                     });
}

// ---- working controls from the driver -----------------------------------------------

// What a click on an automatic check box does: toggle it and tell the dialog.
void ClickCheck(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool Checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string Text(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

COLORREF* SwatchColor(HWND swatch) {
    return reinterpret_cast<COLORREF*>(GetWindowLongPtrA(swatch, GWLP_USERDATA));
}

// What the driver saw of a colour chooser.
struct ChooserSeen {
    bool found = false;
    HWND owner = nullptr;
    bool ownerDisabled = false;    // modal on its owner
    bool fullOpen = false;         // the colour boxes are shown at once
    std::string red, green, blue;  // the colour it started from
};

// A user's click on a swatch, posted: the chooser runs inside the swatch's window procedure.
void ClickSwatch(HWND swatch) {
    PostMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// Waits for the chooser that belongs to the top-level window owner and records it.
HWND FindChooser(HWND owner, ChooserSeen* seen, DWORD timeoutMs = 10000) {
    HWND chooser = WaitForProcessDialog(nullptr, timeoutMs, owner, owner);
    if (!chooser) return nullptr;
    seen->found = true;
    seen->owner = GetWindow(chooser, GW_OWNER);
    seen->ownerDisabled = !IsWindowEnabled(owner);
    seen->fullOpen = IsWindowVisible(GetDlgItem(chooser, kChooserRed)) != FALSE;
    seen->red = Text(chooser, kChooserRed);
    seen->green = Text(chooser, kChooserGreen);
    seen->blue = Text(chooser, kChooserBlue);
    return chooser;
}

// Types a colour into the chooser's red, green and blue boxes, as the user would.
void TypeColor(HWND chooser, int r, int g, int b) {
    SetDlgItemInt(chooser, kChooserRed, r, FALSE);
    SetDlgItemInt(chooser, kChooserGreen, g, FALSE);
    SetDlgItemInt(chooser, kChooserBlue, b, FALSE);
}

bool CloseChooser(HWND chooser, int button) {
    PostMessageA(chooser, WM_COMMAND, button, 0);
    return WaitGone(chooser, 10000);
}

// The swatch's colour once the click that opened the chooser has been handled to its end:
// the chooser's window goes a moment before the swatch stores the colour.
COLORREF SettledColor(HWND swatch, COLORREF before) {
    for (int i = 0; i < 100 && *SwatchColor(swatch) == before; ++i) Sleep(20);
    return *SwatchColor(swatch);
}

// Clicks the first custom colour cell of the chooser.
void ClickFirstCustomCell(HWND chooser) {
    HWND cells = GetDlgItem(chooser, kChooserCustomCells);
    RECT r;
    GetWindowRect(cells, &r);
    POINT p = {r.left + (r.right - r.left) / 16, r.top + (r.bottom - r.top) / 4};   // middle of cell 0
    ScreenToClient(chooser, &p);
    SendMessageA(chooser, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(chooser, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

// ---- fixtures -----------------------------------------------------------------------

// Every row gets its own colour and an irregular on/off pattern, so that a row read from or
// written to another row's field shows.
class ColorsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_options;
        memset(&g_options, 0x5A, sizeof(g_options));   // the other fields must come through
        for (int i = 0; i < kRowCount; ++i) {
            Flag(g_options, kRows[i]) = kInitialFlags[i];
            Color(g_options, kRows[i]) = RGB(10 + i, 100 + 2 * i, 200 - 3 * i);
        }
        before_ = g_options;
    }
    void TearDown() override { g_options = saved_; }

    static constexpr int kInitialFlags[kRowCount] = {1, 0, 0, 1, 1, 0, 1, 0, 0, 1};
    OptionsRecord before_;

private:
    OptionsRecord saved_;
};
constexpr int ColorsDialogTest::kInitialFlags[kRowCount];

struct OpenSeen {
    bool checked[kRowCount] = {};
    bool swatchEnabled[kRowCount] = {};
    COLORREF* pointer[kRowCount] = {};
    COLORREF shown[kRowCount] = {};
    bool subclassed[kRowCount] = {};
    std::string checkText[kRowCount];
    RECT checkRect[kRowCount] = {}, swatchRect[kRowCount] = {};
    RECT expectedCheck[kRowCount] = {}, expectedSwatch[kRowCount] = {};
    RECT client = {}, expectedClient = {};
};

// Where a control of the template lands: the dialog manager converts the position and the
// size separately, so the far edge is rounded like the size, not like x + w.
RECT DialogUnits(HWND dialog, const RECT& xywh) {
    RECT r = xywh;
    MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

TEST_F(ColorsDialogTest, OpeningShowsTheFlagsAndPointsEachSwatchAtItsColourInACopy) {
    OpenSeen seen;
    const INT_PTR result = RunColorsDialog([&](HWND dialog) {
        GetClientRect(dialog, &seen.client);
        seen.expectedClient = DialogUnits(dialog, {0, 0, 332, 135});
        for (int i = 0; i < kRowCount; ++i) {
            HWND check = GetDlgItem(dialog, kRows[i].checkId);
            HWND swatch = GetDlgItem(dialog, kRows[i].swatchId);
            seen.checked[i] = Checked(dialog, kRows[i].checkId);
            seen.checkText[i] = Text(dialog, kRows[i].checkId);
            seen.swatchEnabled[i] = IsWindowEnabled(swatch) != FALSE;
            seen.pointer[i] = SwatchColor(swatch);
            if (seen.pointer[i]) seen.shown[i] = *seen.pointer[i];
            seen.subclassed[i] =
                GetWindowLongPtrA(swatch, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ColorSwatchProc);
            seen.checkRect[i] = ChildRectInClient(dialog, check);
            seen.swatchRect[i] = ChildRectInClient(dialog, swatch);
            seen.expectedCheck[i] = DialogUnits(dialog, kRows[i].checkRect);
            seen.expectedSwatch[i] = DialogUnits(dialog, kRows[i].swatchRect);
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(seen.expectedClient.right, seen.client.right);
    EXPECT_EQ(seen.expectedClient.bottom, seen.client.bottom);
    for (int i = 0; i < kRowCount; ++i) {
        SCOPED_TRACE(kRows[i].checkId);
        EXPECT_EQ(kInitialFlags[i] != 0, seen.checked[i]);
        EXPECT_EQ(kRows[i].text, seen.checkText[i]);
        EXPECT_TRUE(seen.subclassed[i]);
        ASSERT_NE(nullptr, seen.pointer[i]);
        EXPECT_NE(reinterpret_cast<COLORREF*>(&Color(g_options, kRows[i])), seen.pointer[i])
            << "the swatch must edit a copy, not the record";
        EXPECT_EQ(Color(before_, kRows[i]), seen.shown[i]);
        EXPECT_TRUE(seen.swatchEnabled[i]);
        EXPECT_EQ(0, memcmp(&seen.expectedCheck[i], &seen.checkRect[i], sizeof(RECT)));
        EXPECT_EQ(0, memcmp(&seen.expectedSwatch[i], &seen.swatchRect[i], sizeof(RECT)));
    }
    EXPECT_EQ(0, memcmp(&before_, &g_options, sizeof(g_options)));
}

TEST_F(ColorsDialogTest, OkStoresEachCheckBoxInItsOwnFlagAndKeepsEverythingElse) {
    // Toggled rows: a pattern unlike the initial one, so that no two rows can be confused.
    const bool toggle[kRowCount] = {true, true, false, false, true, false, false, true, true, false};
    const INT_PTR result = RunColorsDialog([&](HWND dialog) {
        for (int i = 0; i < kRowCount; ++i)
            if (toggle[i]) ClickCheck(dialog, kRows[i].checkId);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, result);
    OptionsRecord expected = before_;
    for (int i = 0; i < kRowCount; ++i)
        if (toggle[i]) Flag(expected, kRows[i]) = kInitialFlags[i] ? 0 : 1;
    for (int i = 0; i < kRowCount; ++i)
        EXPECT_EQ(Flag(expected, kRows[i]), Flag(g_options, kRows[i])) << kRows[i].checkId;
    EXPECT_EQ(0, memcmp(&expected, &g_options, sizeof(g_options))) << "only the toggled flags may change";
}

// What the driver saw while picking a colour for one swatch.
struct PickSeen {
    ChooserSeen chooser;
    bool closed = false;
    COLORREF stored = 0;
    bool swatchEnabledWithCheckOff = false;
    bool swatchEnabledWithCheckOn = false;
};

// A colour picked while its check box is off is kept, with the flag off; the check box and
// its swatch are independent.
TEST_F(ColorsDialogTest, ASwatchPicksAColourThroughTheChooserEvenWithItsCheckBoxOff) {
    const Row& row = kRows[2];   // "Submenu open area:", off at the start
    ASSERT_EQ(0, kInitialFlags[2]);
    PickSeen seen;
    const INT_PTR result = RunColorsDialog([&](HWND dialog) {
        HWND swatch = GetDlgItem(dialog, row.swatchId);
        seen.swatchEnabledWithCheckOff = IsWindowEnabled(swatch) != FALSE;
        ClickCheck(dialog, row.checkId);
        seen.swatchEnabledWithCheckOn = IsWindowEnabled(swatch) != FALSE;
        ClickCheck(dialog, row.checkId);

        ClickSwatch(swatch);
        HWND chooser = FindChooser(dialog, &seen.chooser);
        if (!chooser) return;
        TypeColor(chooser, 12, 34, 56);
        seen.closed = CloseChooser(chooser, IDOK);
        seen.stored = SettledColor(swatch, Color(before_, row));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(seen.swatchEnabledWithCheckOff);
    EXPECT_TRUE(seen.swatchEnabledWithCheckOn);
    ASSERT_TRUE(seen.chooser.found) << "a click on the swatch opens the colour chooser";
    EXPECT_TRUE(seen.chooser.ownerDisabled) << "the chooser is modal on the colours dialog";
    EXPECT_TRUE(seen.chooser.fullOpen);
    const COLORREF start = Color(before_, row);
    EXPECT_EQ(std::to_string(GetRValue(start)), seen.chooser.red) << "the chooser starts from the swatch's colour";
    EXPECT_EQ(std::to_string(GetGValue(start)), seen.chooser.green);
    EXPECT_EQ(std::to_string(GetBValue(start)), seen.chooser.blue);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ(RGB(12, 34, 56), seen.stored);

    OptionsRecord expected = before_;
    Color(expected, row) = RGB(12, 34, 56);
    EXPECT_EQ(0, Flag(g_options, row));
    EXPECT_EQ(RGB(12, 34, 56), Color(g_options, row));
    EXPECT_EQ(0, memcmp(&expected, &g_options, sizeof(g_options)));
}

TEST_F(ColorsDialogTest, CancelLeavesTheRecordAloneThoughTheSwatchShowedANewColour) {
    const Row& row = kRows[5];   // selected "Background:"
    PickSeen seen;
    const INT_PTR result = RunColorsDialog([&](HWND dialog) {
        ClickCheck(dialog, kRows[0].checkId);
        ClickCheck(dialog, row.checkId);
        HWND swatch = GetDlgItem(dialog, row.swatchId);
        ClickSwatch(swatch);
        HWND chooser = FindChooser(dialog, &seen.chooser);
        if (!chooser) return;
        TypeColor(chooser, 250, 1, 2);
        seen.closed = CloseChooser(chooser, IDOK);
        seen.stored = SettledColor(swatch, Color(before_, row));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, result);
    ASSERT_TRUE(seen.chooser.found);
    EXPECT_EQ(RGB(250, 1, 2), seen.stored) << "the copy held the new colour";
    EXPECT_EQ(0, memcmp(&before_, &g_options, sizeof(g_options)));
}

TEST_F(ColorsDialogTest, AChooserClosedWithoutConfirmingChangesNothing) {
    const Row& row = kRows[8];
    PickSeen seen;
    const INT_PTR result = RunColorsDialog([&](HWND dialog) {
        HWND swatch = GetDlgItem(dialog, row.swatchId);
        ClickSwatch(swatch);
        HWND chooser = FindChooser(dialog, &seen.chooser);
        if (!chooser) return;
        TypeColor(chooser, 7, 7, 7);
        seen.closed = CloseChooser(chooser, IDCANCEL);
        seen.stored = SettledColor(swatch, Color(before_, row));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_TRUE(seen.chooser.found);
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ(Color(before_, row), seen.stored);
    EXPECT_EQ(0, memcmp(&before_, &g_options, sizeof(g_options)));
}

// ---- a swatch on a window of the test's own ----------------------------------------

constexpr int kSwatchId = 1066;

// Records the commands a swatch sends its parent.
struct HostLog {
    int commands = 0;
    WPARAM wParam = 0;
    LPARAM lParam = -1;
};
HostLog g_hostLog;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        ++g_hostLog.commands;
        g_hostLog.wParam = wParam;
        g_hostLog.lParam = lParam;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class SwatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = "PlexaroSwatchTestHost";
        RegisterClassA(&wc);
        host_ = CreateWindowExA(0, wc.lpszClassName, "Swatch host", WS_POPUP | WS_VISIBLE, 40, 40, 200, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
        swatch_ = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 20, 20, 60, 20, host_,
                                  reinterpret_cast<HMENU>(kSwatchId), wc.hInstance, nullptr);
        SetWindowLongPtrA(swatch_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ColorSwatchProc));
        g_hostLog = HostLog();
    }
    void TearDown() override {
        if (host_) DestroyWindow(host_);
    }

    void Point(COLORREF* color) {
        SetWindowLongPtrA(swatch_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(color));
    }

    // Paints the swatch as the system would and reads back a pixel of it.
    COLORREF PixelAt(int x, int y) {
        InvalidateRect(swatch_, nullptr, TRUE);
        UpdateWindow(swatch_);
        HDC dc = GetDC(swatch_);
        const COLORREF pixel = GetPixel(dc, x, y);
        ReleaseDC(swatch_, dc);
        return pixel;
    }

    // Clicks the swatch here (the chooser runs inside the click) while drive() works it.
    void Click(const std::function<void()>& drive) {
        RunDriven(
            [&] {
                SendMessageA(swatch_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
                SendMessageA(swatch_, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
                return INT_PTR(0);
            },
            drive);
    }

    HWND host_ = nullptr, swatch_ = nullptr;
};

TEST_F(SwatchTest, PaintsItsColourInAGrayFrameAndTheButtonFaceWithoutOne) {
    ASSERT_NE(nullptr, swatch_);
    const COLORREF gray = RGB(128, 128, 128);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), PixelAt(30, 10)) << "no colour: the button face";
    EXPECT_EQ(gray, PixelAt(0, 0));

    COLORREF color = RGB(200, 30, 90);
    Point(&color);
    EXPECT_EQ(color, PixelAt(30, 10));
    EXPECT_EQ(gray, PixelAt(59, 19)) << "the frame's far corner";
    EXPECT_EQ(gray, PixelAt(30, 0));
}

TEST_F(SwatchTest, AConfirmedColourIsStoredRepaintedAndReportedToTheParent) {
    COLORREF color = RGB(1, 2, 3);
    Point(&color);
    ChooserSeen seen;
    bool closed = false;
    Click([&] {
        HWND chooser = FindChooser(host_, &seen);
        if (!chooser) return;
        TypeColor(chooser, 90, 180, 45);
        closed = CloseChooser(chooser, IDOK);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(host_, seen.owner) << "owned by the swatch's top-level window";
    EXPECT_EQ("1", seen.red);
    EXPECT_EQ("2", seen.green);
    EXPECT_EQ("3", seen.blue);
    EXPECT_TRUE(closed);
    EXPECT_EQ(RGB(90, 180, 45), color);
    EXPECT_EQ(1, g_hostLog.commands);
    EXPECT_EQ(WPARAM(kSwatchId), g_hostLog.wParam);
    EXPECT_EQ(0, g_hostLog.lParam);
    EXPECT_EQ(RGB(90, 180, 45), PixelAt(30, 10)) << "the swatch shows the new colour";
}

TEST_F(SwatchTest, ACancelledChooserStoresNothingAndTellsNobody) {
    COLORREF color = RGB(4, 5, 6);
    Point(&color);
    ChooserSeen seen;
    Click([&] {
        HWND chooser = FindChooser(host_, &seen);
        if (!chooser) return;
        TypeColor(chooser, 99, 99, 99);
        CloseChooser(chooser, IDCANCEL);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(RGB(4, 5, 6), color);
    EXPECT_EQ(0, g_hostLog.commands);
}

TEST_F(SwatchTest, WithoutAColourAClickOpensNoChooser) {
    ChooserSeen seen;
    Click([&] { FindChooser(host_, &seen, 1500); });
    EXPECT_FALSE(seen.found);
    EXPECT_EQ(0, g_hostLog.commands);
}

// The custom colour table is shared by every chooser of the run.
TEST_F(SwatchTest, ACustomColourAddedInOneChooserCanBePickedInTheNext) {
    COLORREF color = RGB(0, 0, 0);
    Point(&color);
    ChooserSeen first, second;
    std::string pickedRed;
    Click([&] {
        HWND chooser = FindChooser(host_, &first);
        if (!chooser) return;
        TypeColor(chooser, 201, 102, 51);
        SendMessageA(chooser, WM_COMMAND, kChooserAddCustom, 0);
        TypeColor(chooser, 1, 2, 3);
        CloseChooser(chooser, IDOK);
    });
    ASSERT_TRUE(first.found);
    ASSERT_EQ(RGB(1, 2, 3), color);
    Click([&] {
        HWND chooser = FindChooser(host_, &second);
        if (!chooser) return;
        ClickFirstCustomCell(chooser);
        pickedRed = Text(chooser, kChooserRed);
        CloseChooser(chooser, IDOK);
    });
    ASSERT_TRUE(second.found);
    EXPECT_EQ("1", second.red);
    EXPECT_EQ("201", pickedRed);
    EXPECT_EQ(RGB(201, 102, 51), color);
}

}  // namespace
