#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "../../framework/core/application.h"
#include "../../framework/core/dialog_helpers.h"

namespace {

constexpr int kTestDialog = 59001;
constexpr int kGroup = 100, kLiftedCheck = 101, kInsideCheck = 102, kPlainGroup = 103, kFarCheck = 104, kEdit = 105,
              kBoldButton = 106;

// What the test dialog answers to WM_USER (0: it leaves the message to the dialog manager).
int g_boldAnswer = 0;

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            if (lParam) PrepareDialog(dialog);
            return TRUE;
        case WM_USER:
            if (!g_boldAnswer) return FALSE;
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, g_boldAnswer);
            return TRUE;
    }
    return FALSE;
}

HFONT FontOf(HWND dialog, int id) {
    return reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0));
}

std::string TextOf(HWND dialog, int id) {
    char text[2048];
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// In the dialog's client coordinates: the dialog itself moves when it is centred.
RECT WindowRectOf(HWND dialog, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int TextWidth(HDC dc, const char* text) {
    SIZE size;
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &size);
    return size.cx;
}

class DialogHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedNormal_ = App().painter.uiFont;
        savedBold_ = App().painter.uiBoldFont;
        normal_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        bold_ = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        App().painter.uiFont = normal_;
        App().painter.uiBoldFont = bold_;
        g_boldAnswer = 0;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DialogHelpersTestOwner";
        RegisterClassA(&windowClass);
    }
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
        if (owner_) DestroyWindow(owner_);
        App().painter.uiFont = savedNormal_;
        App().painter.uiBoldFont = savedBold_;
        DeleteObject(normal_);
        DeleteObject(bold_);
        g_boldAnswer = 0;
    }

    HWND MakeOwner(DWORD exStyle, int x, int y, int width, int height) {
        owner_ = CreateWindowExA(exStyle, "DialogHelpersTestOwner", "Owner", WS_POPUP | WS_VISIBLE, x, y, width,
                                 height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        return owner_;
    }

    // The test dialog, prepared from its WM_INITDIALOG when prepare is set.
    HWND MakeDialog(HWND owner, bool prepare) {
        dialog_ = CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(kTestDialog), owner, TestDialogProc, prepare);
        return dialog_;
    }

    HFONT normal_ = nullptr, bold_ = nullptr;
    HFONT savedNormal_ = nullptr, savedBold_ = nullptr;
    HWND owner_ = nullptr, dialog_ = nullptr;
};

TEST_F(DialogHelpersTest, CheckBoxOnTheTopEdgeOfAGroupBoxBecomesItsTitle) {
    HWND dialog = MakeDialog(nullptr, false);
    ASSERT_NE(nullptr, dialog);
    const RECT before = WindowRectOf(dialog, kLiftedCheck);
    const int height = before.bottom - before.top;
    PrepareDialog(dialog);

    EXPECT_EQ("", TextOf(dialog, kLiftedCheck));
    const RECT after = WindowRectOf(dialog, kLiftedCheck);
    EXPECT_EQ(before.left, after.left) << "not moved";
    EXPECT_EQ(before.top, after.top) << "not moved";
    EXPECT_EQ(height, after.right - after.left) << "a square of its own height";
    EXPECT_EQ(height, after.bottom - after.top);

    // The title starts with enough bold blanks to cover the check box, then its caption.
    HWND group = GetDlgItem(dialog, kGroup);
    EXPECT_EQ(bold_, FontOf(dialog, kGroup));
    HDC dc = GetDC(group);
    HGDIOBJ old = SelectObject(dc, bold_);
    const int blank = TextWidth(dc, " A") - TextWidth(dc, "A");
    SelectObject(dc, old);
    ReleaseDC(group, dc);
    ASSERT_GT(blank, 0);
    const int blanks = height / blank + 1;
    EXPECT_EQ(std::string(blanks, ' ') + "Extras", TextOf(dialog, kGroup));
    EXPECT_GT(blanks * blank, height) << "the gap is wider than the check box";
}

TEST_F(DialogHelpersTest, OtherCheckBoxesStayAndGroupBoxesAreBold) {
    HWND dialog = MakeDialog(nullptr, true);
    ASSERT_NE(nullptr, dialog);
    // Inside a group, but far below its top edge.
    EXPECT_EQ("Inside", TextOf(dialog, kInsideCheck));
    // Beside no group box at all: the probe finds the dialog itself.
    EXPECT_EQ("Far", TextOf(dialog, kFarCheck));
    const RECT farRect = WindowRectOf(dialog, kFarCheck);
    EXPECT_GT(farRect.right - farRect.left, farRect.bottom - farRect.top) << "not squared";
    EXPECT_EQ("Plain", TextOf(dialog, kPlainGroup)) << "a group box without a check box keeps its title";
    EXPECT_EQ(bold_, FontOf(dialog, kPlainGroup));
    EXPECT_NE(bold_, FontOf(dialog, kInsideCheck));
    EXPECT_NE(bold_, FontOf(dialog, kEdit));
}

TEST_F(DialogHelpersTest, TheControlTheDialogNamesIsBoldAndNothingElse) {
    g_boldAnswer = kBoldButton;
    HWND named = MakeDialog(nullptr, true);
    ASSERT_NE(nullptr, named);
    EXPECT_EQ(bold_, FontOf(named, kBoldButton));
    EXPECT_NE(bold_, FontOf(named, IDOK));
    DestroyWindow(named);
    dialog_ = nullptr;

    // Without an answer the dialog manager answers WM_USER (DM_GETDEFID) with its default
    // push button: that is not a request for bold.
    g_boldAnswer = 0;
    HWND plain = MakeDialog(nullptr, true);
    ASSERT_NE(nullptr, plain);
    EXPECT_NE(bold_, FontOf(plain, kBoldButton));
    EXPECT_NE(bold_, FontOf(plain, IDOK));
}

TEST_F(DialogHelpersTest, DialogIsCentredOnItsOwner) {
    HWND owner = MakeOwner(0, 100, 120, 600, 400);
    ASSERT_NE(nullptr, owner);
    HWND dialog = MakeDialog(owner, true);
    ASSERT_NE(nullptr, dialog);
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(100 + (600 - (r.right - r.left)) / 2, r.left);
    EXPECT_EQ(120 + (400 - (r.bottom - r.top)) / 2, r.top);
    EXPECT_FALSE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(DialogHelpersTest, DialogOfATopmostOwnerIsTopmost) {
    HWND owner = MakeOwner(WS_EX_TOPMOST, 100, 120, 600, 400);
    ASSERT_NE(nullptr, owner);
    HWND dialog = MakeDialog(owner, true);
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(DialogHelpersTest, EnableControlsStopsAtTheFirstIdOfZeroOrLess) {
    HWND dialog = MakeDialog(nullptr, false);
    ASSERT_NE(nullptr, dialog);
    EnableControls(FALSE, dialog, kEdit, kBoldButton, 0, IDOK);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kEdit)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kBoldButton)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << "listed after the end";
    EnableControls(TRUE, dialog, kEdit, -1, kBoldButton, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kEdit)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kBoldButton))) << "listed after a negative id";
    // An id the dialog does not have is passed over.
    EnableControls(TRUE, dialog, 4242, kBoldButton, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kBoldButton)));
}

TEST_F(DialogHelpersTest, SetControlTextFFormatsAndCutsAt1023Characters) {
    HWND dialog = MakeDialog(nullptr, false);
    ASSERT_NE(nullptr, dialog);
    SetControlTextF(dialog, kEdit, "%s: %d of %u", "Item", -3, 7u);
    EXPECT_EQ("Item: -3 of 7", TextOf(dialog, kEdit));
    const std::string huge(5000, 'y');
    SetControlTextF(dialog, kEdit, "<%s>", huge.c_str());
    EXPECT_EQ("<" + std::string(1022, 'y'), TextOf(dialog, kEdit));
}

TEST_F(DialogHelpersTest, FocusControlFocusesAndSelectsAllText) {
    HWND dialog = MakeDialog(nullptr, false);
    ASSERT_NE(nullptr, dialog);
    ShowWindow(dialog, SW_SHOW);
    SetDlgItemTextA(dialog, kEdit, "C:\\Backups");
    FocusControl(dialog, kEdit);
    EXPECT_EQ(GetDlgItem(dialog, kEdit), GetFocus());
    DWORD start = 1, end = 0;
    SendDlgItemMessageA(dialog, kEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(10u, end);
}

// Ends itself at once, reporting what it saw while it was open.
struct ModalReport {
    int depth = -1;
    HWND owner = nullptr;
    bool ownerVisible = false;
};

INT_PTR CALLBACK SelfEndingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ModalReport* report = reinterpret_cast<ModalReport*>(lParam);
        report->depth = App().modalDepth;
        report->owner = GetWindow(dialog, GW_OWNER);
        report->ownerVisible = report->owner && IsWindowVisible(report->owner);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 42);
        return TRUE;
    }
    return FALSE;
}

TEST_F(DialogHelpersTest, RunModalDialogShowsTheOwnerAndKeepsTheModalDepth) {
    owner_ = CreateWindowExA(0, "DialogHelpersTestOwner", "Owner", WS_POPUP, 100, 100, 300, 200, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, owner_);
    ASSERT_FALSE(IsWindowVisible(owner_));
    const int depth = App().modalDepth;
    ModalReport report;
    EXPECT_EQ(42, RunModalDialog(owner_, kTestDialog, SelfEndingProc, reinterpret_cast<LPARAM>(&report)));
    EXPECT_EQ(depth + 1, report.depth);
    EXPECT_EQ(owner_, report.owner);
    EXPECT_TRUE(report.ownerVisible) << "the owner is shown before the dialog";
    EXPECT_EQ(depth, App().modalDepth);

    // A resource that does not exist: -1, and the depth is back where it was.
    EXPECT_EQ(-1, RunModalDialog(nullptr, 59999, SelfEndingProc, reinterpret_cast<LPARAM>(&report)));
    EXPECT_EQ(depth, App().modalDepth);
}

TEST_F(DialogHelpersTest, FontsFallBackToTheDialogsOwnBeforeThePainterHasThem) {
    App().painter.uiFont = nullptr;
    App().painter.uiBoldFont = nullptr;
    HWND dialog = MakeDialog(nullptr, true);
    ASSERT_NE(nullptr, dialog);
    HFONT own = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(own, DialogFont(dialog));
    EXPECT_EQ(own, DialogBoldFont(dialog));
    EXPECT_EQ(own, FontOf(dialog, kPlainGroup));
    EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), DialogFont(nullptr));
}

TEST(FitListWidth, SetsTheExtentToTheWidestTextPlusTheMargin) {
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_HSCROLL, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, list);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    FitListWidth(list, 2);
    EXPECT_EQ(2, SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0)) << "an empty list";

    // The longest item is longer than any fixed name buffer of the dialogs.
    const std::string longest(1500, 'W');
    const char* texts[] = {"short", longest.c_str(), "mid length"};
    for (const char* text : texts) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE widest = {};
    GetTextExtentPoint32A(dc, longest.c_str(), static_cast<int>(longest.size()), &widest);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    for (int margin : {2, 4}) {
        FitListWidth(list, margin);
        EXPECT_EQ(widest.cx + margin, SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0)) << margin;
    }
    DestroyWindow(list);
}

}  // namespace
