// The message box is opened for real: the test thread runs it while a second thread finds
// the box, records its controls and presses a button.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "../../framework/core/application.h"
#include "../../framework/core/message_box.h"
#include "../support/dialog_driver.h"

namespace {

struct ControlInfo {
    HWND hwnd = nullptr;
    bool exists = false;
    bool visible = false;
    RECT rect = {};   // client coordinates of the box
    std::string text;
    HFONT font = nullptr;
    LONG style = 0;
    SIZE extent = {};   // widest line and the sum of the lines' heights, in the control's font
};

struct BoxInfo {
    bool found = false;
    HWND box = nullptr;
    HWND owner = nullptr;
    RECT window = {};
    RECT client = {};
    HWND focus = nullptr;
    int modalDepth = 0;
    HICON icon = nullptr;
    // The template's rectangles (dialog units mapped to pixels), before the layout.
    RECT templateIcon = {}, templateFirst = {}, templateButton = {}, templateClient = {};
    std::map<int, ControlInfo> controls;
    const ControlInfo& operator[](int id) const { return controls.at(id); }
};

const int kIds[] = {kMessageBoxIcon, kMessageBoxFirstLine, kMessageBoxMoreLines, IDOK, IDCANCEL, IDYES, IDNO};

SIZE MeasureLines(HWND control, HFONT font, const std::string& text) {
    SIZE total = {0, 0};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (line.empty()) line = " ";
        SIZE size;
        GetTextExtentPoint32A(dc, line.c_str(), (int)line.size(), &size);
        if (size.cx > total.cx) total.cx = size.cx;
        total.cy += size.cy;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return total;
}

RECT TemplateRect(HWND box, int x, int y, int width, int height) {
    RECT r = {x, y, x + width, y + height};
    MapDialogRect(box, &r);
    return r;
}

BoxInfo Inspect(HWND box, DWORD boxThread) {
    BoxInfo info;
    info.found = true;
    info.box = box;
    info.owner = GetWindow(box, GW_OWNER);
    GetWindowRect(box, &info.window);
    GetClientRect(box, &info.client);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    if (GetGUIThreadInfo(boxThread, &gui)) info.focus = gui.hwndFocus;
    info.modalDepth = App().modalDepth;
    info.templateIcon = TemplateRect(box, 8, 6, 20, 20);
    info.templateFirst = TemplateRect(box, 36, 6, 119, 10);
    info.templateButton = TemplateRect(box, 8, 36, 50, 14);
    info.templateClient = TemplateRect(box, 0, 0, 180, 57);
    for (int id : kIds) {
        ControlInfo c;
        HWND control = GetDlgItem(box, id);
        if (control) {
            c.hwnd = control;
            c.exists = true;
            c.visible = IsWindowVisible(control) != FALSE;
            GetWindowRect(control, &c.rect);
            MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&c.rect), 2);
            char text[4096];
            GetWindowTextA(control, text, sizeof(text));
            c.text = text;
            c.font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
            c.style = GetWindowLongA(control, GWL_STYLE);
            if (id == kMessageBoxIcon)
                info.icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
            else
                c.extent = MeasureLines(control, c.font, c.text);
        }
        info.controls[id] = c;
    }
    return info;
}

// Runs show() on this thread while a second thread waits for the box with the caption,
// records it and then ends it with act(box). A box that never shows is reported as not
// found; any dialog left open on this thread is cancelled so that the test cannot hang.
int RunBox(const char* caption, BoxInfo* info, const std::function<void(HWND)>& act,
           const std::function<int()>& show) {
    const DWORD thread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND box = WaitForProcessDialog(caption);
        if (box) {
            *info = Inspect(box, thread);
            act(box);
            for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
        }
        // Whatever happened, nothing may stay open (the box, or a wrongly captioned one).
        for (int i = 0; i < (box ? 1 : 25); ++i) {
            CancelThreadDialogs(thread);
            Sleep(20);
        }
    });
    const int result = show();
    driver.join();
    return result;
}

std::function<void(HWND)> Press(int id) {
    return [id](HWND box) { PostMessageA(box, WM_COMMAND, id, 0); };
}

std::function<void(HWND)> Key(WPARAM key) {
    return [key](HWND box) {
        PostMessageA(box, WM_KEYDOWN, key, 1);
        PostMessageA(box, WM_KEYUP, key, 0xC0000001);
    };
}

// The framework's fonts, made here because the painter is not initialised in tests.
class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedNormal_ = App().painter.uiFont;
        savedBold_ = App().painter.uiBoldFont;
        strcpy(savedProduct_, App().productName);
        strcpy(App().productName, "MessageBoxTestProduct");
        normal_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        bold_ = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        App().painter.uiFont = normal_;
        App().painter.uiBoldFont = bold_;
    }
    void TearDown() override {
        App().painter.uiFont = savedNormal_;
        App().painter.uiBoldFont = savedBold_;
        strcpy(App().productName, savedProduct_);
        DeleteObject(normal_);
        DeleteObject(bold_);
    }

    static void ExpectTextFits(const BoxInfo& box, int id) {
        const ControlInfo& c = box[id];
        ASSERT_TRUE(c.exists) << id;
        EXPECT_GE(c.rect.right - c.rect.left, c.extent.cx) << "text of " << id << " is cut on the right";
        EXPECT_GE(c.rect.bottom - c.rect.top, c.extent.cy) << "text of " << id << " is cut at the bottom";
        EXPECT_GE(c.rect.left, 0) << id;
        EXPECT_GE(c.rect.top, 0) << id;
        EXPECT_LE(c.rect.right, box.client.right) << "control " << id << " reaches past the box";
        EXPECT_LE(c.rect.bottom, box.client.bottom) << "control " << id << " reaches past the box";
    }

    static void ExpectButtonsInside(const BoxInfo& box) {
        for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
            const ControlInfo& b = box[id];
            if (!b.visible) continue;
            EXPECT_GE(b.rect.left, 0) << id;
            EXPECT_LE(b.rect.right, box.client.right) << id;
            EXPECT_LE(b.rect.bottom, box.client.bottom) << id;
        }
    }

    HFONT normal_ = nullptr, bold_ = nullptr;
    HFONT savedNormal_ = nullptr, savedBold_ = nullptr;
    char savedProduct_[260] = {};
};

TEST_F(MessageBoxTest, TwoLinesStandAsAPairBesideTheIconWithTheFirstBold) {
    BoxInfo box;
    const int result = RunBox("Two lines", &box, Press(IDOK), [] {
        return ShowMessage(nullptr, "Two lines", "Error initializing the application!\nError code 0x%08X.", 0x111, 0,
                           0x1234);
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDOK, result);
    const ControlInfo& first = box[kMessageBoxFirstLine];
    const ControlInfo& second = box[kMessageBoxMoreLines];
    EXPECT_EQ("Error initializing the application!", first.text);
    EXPECT_EQ("Error code 0x00001234.", second.text);
    EXPECT_EQ(bold_, first.font);
    EXPECT_EQ(normal_, second.font);
    EXPECT_NE(nullptr, box.icon) << "the error icon";

    // The pair is centred on the icon as it stood in the template.
    const int iconHeight = box.templateIcon.bottom - box.templateIcon.top;
    const int h0 = first.rect.bottom - first.rect.top, h1 = second.rect.bottom - second.rect.top;
    EXPECT_EQ(box.templateFirst.left, first.rect.left);
    EXPECT_EQ(box.templateFirst.top + (iconHeight - h1 - h0) / 2, first.rect.top);
    EXPECT_EQ(first.rect.bottom, second.rect.top) << "the second line follows the first directly";
    EXPECT_EQ(first.rect.left, second.rect.left);
    ExpectTextFits(box, kMessageBoxFirstLine);
    ExpectTextFits(box, kMessageBoxMoreLines);

    // Only OK, centred, default and focused.
    const ControlInfo& ok = box[IDOK];
    EXPECT_TRUE(ok.visible);
    EXPECT_FALSE(box[IDCANCEL].visible);
    EXPECT_FALSE(box[IDYES].visible);
    EXPECT_FALSE(box[IDNO].visible);
    EXPECT_EQ(BS_DEFPUSHBUTTON, ok.style & 0xF);
    EXPECT_EQ(bold_, ok.font);
    EXPECT_EQ(ok.hwnd, box.focus);
    EXPECT_EQ("OK", ok.text);
    EXPECT_EQ((box.client.right - (ok.rect.right - ok.rect.left)) / 2, ok.rect.left);
    ExpectButtonsInside(box);
}

TEST_F(MessageBoxTest, OneLineIsCentredOnTheIconAndTheSecondControlIsGone) {
    BoxInfo box;
    // No caption: the product name is the caption.
    const int result = RunBox("MessageBoxTestProduct", &box, Press(IDOK),
                              [] { return ShowMessage(nullptr, nullptr, "Backup complete.", 0x14, 0); });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDOK, result);
    const ControlInfo& first = box[kMessageBoxFirstLine];
    EXPECT_EQ("Backup complete.", first.text);
    EXPECT_EQ(normal_, first.font) << "without 0x100 the first line is not bold";
    EXPECT_FALSE(box[kMessageBoxMoreLines].exists);
    const int iconHeight = box.templateIcon.bottom - box.templateIcon.top;
    const int h0 = first.rect.bottom - first.rect.top;
    EXPECT_EQ(box.templateFirst.top + (iconHeight - h0) / 2, first.rect.top);
    const int iconMiddle = (box.templateIcon.top + box.templateIcon.bottom) / 2;
    EXPECT_NEAR(iconMiddle, (first.rect.top + first.rect.bottom) / 2, 1);
    EXPECT_NE(nullptr, box.icon) << "the information icon";
    ExpectTextFits(box, kMessageBoxFirstLine);
    // A short text leaves the button row where the template has it.
    EXPECT_EQ(box.templateButton.top, box[IDOK].rect.top);
}

TEST_F(MessageBoxTest, FourLinesPutTheFirstAtTheTopAndGrowTheBox) {
    BoxInfo box;
    const std::string wide(110, 'W');
    const int result = RunBox("Four lines", &box, Press(IDCANCEL), [&] {
        return ShowMessage(nullptr, "Four lines", "Warning: overwrite?\nSecond line\n%s\nFourth line", 0x128, 0,
                           wide.c_str());
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDCANCEL, result);
    const ControlInfo& first = box[kMessageBoxFirstLine];
    const ControlInfo& rest = box[kMessageBoxMoreLines];
    EXPECT_EQ("Warning: overwrite?", first.text);
    EXPECT_EQ(bold_, first.font);
    EXPECT_EQ(normal_, rest.font);
    EXPECT_EQ("Second line\n" + wide + "\nFourth line", rest.text);
    EXPECT_EQ(box.templateFirst.left, first.rect.left);
    EXPECT_EQ(box.templateFirst.top, first.rect.top);
    EXPECT_EQ(first.rect.bottom, rest.rect.top);
    EXPECT_EQ(first.rect.left, rest.rect.left);
    ExpectTextFits(box, kMessageBoxFirstLine);
    ExpectTextFits(box, kMessageBoxMoreLines);

    // The button row sits half a first line below the text block, and the box grew by as
    // much as the row moved: the margin below the buttons is the template's.
    const ControlInfo& ok = box[IDOK];
    const ControlInfo& cancel = box[IDCANCEL];
    const int h0 = first.rect.bottom - first.rect.top;
    EXPECT_EQ(rest.rect.bottom + h0 / 2, ok.rect.top);
    EXPECT_GT(ok.rect.top, box.templateButton.top);
    EXPECT_EQ(box.templateClient.bottom - box.templateButton.bottom, box.client.bottom - ok.rect.bottom);
    ExpectButtonsInside(box);

    // Wide enough for the text with a margin of two first-line heights.
    const int widest = rest.rect.right - rest.rect.left;
    EXPECT_EQ(first.rect.left + 2 * h0 + widest, box.window.right - box.window.left);

    // OK and Cancel side by side, a third of a button height apart, OK the default.
    EXPECT_TRUE(ok.visible);
    EXPECT_TRUE(cancel.visible);
    EXPECT_FALSE(box[IDYES].visible);
    EXPECT_FALSE(box[IDNO].visible);
    const int bh = ok.rect.bottom - ok.rect.top;
    EXPECT_EQ(ok.rect.top, cancel.rect.top);
    EXPECT_EQ(ok.rect.right + bh / 3, cancel.rect.left);
    EXPECT_EQ(BS_DEFPUSHBUTTON, ok.style & 0xF);
    EXPECT_EQ(BS_PUSHBUTTON, cancel.style & 0xF);
    EXPECT_EQ("Cancel", cancel.text);
}

TEST_F(MessageBoxTest, YesNoCancelWithCancelAsDefaultAndEscapeCancels) {
    BoxInfo box;
    const int result = RunBox("Three buttons", &box, Key(VK_ESCAPE), [] {
        return ShowMessage(nullptr, "Three buttons", "Restore the configuration?", 0x588, 0);
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDCANCEL, result);
    const ControlInfo& yes = box[IDYES];
    const ControlInfo& no = box[IDNO];
    const ControlInfo& cancel = box[IDCANCEL];
    EXPECT_FALSE(box[IDOK].visible);
    EXPECT_TRUE(yes.visible);
    EXPECT_TRUE(no.visible);
    EXPECT_TRUE(cancel.visible);
    EXPECT_EQ("Yes", yes.text);
    EXPECT_EQ("No", no.text);
    EXPECT_EQ(BS_DEFPUSHBUTTON, cancel.style & 0xF);
    EXPECT_EQ(BS_PUSHBUTTON, yes.style & 0xF);
    EXPECT_EQ(bold_, cancel.font);
    EXPECT_EQ(normal_, yes.font);
    EXPECT_EQ(cancel.hwnd, box.focus);
    EXPECT_LT(yes.rect.right, no.rect.left);
    EXPECT_LT(no.rect.right, cancel.rect.left);
    EXPECT_EQ(yes.rect.top, cancel.rect.top);
    ExpectButtonsInside(box);
}

TEST_F(MessageBoxTest, ButtonSetsAndTheirDefaults) {
    struct Case {
        uint32_t flags;
        std::vector<int> visible;
        int defaultId;
    } cases[] = {
        {0x111, {IDOK}, IDOK},
        {0x128, {IDOK, IDCANCEL}, IDOK},
        {0x328, {IDOK, IDCANCEL}, IDOK},
        {0x428, {IDOK, IDCANCEL}, IDCANCEL},
        {0x148, {IDYES, IDNO}, IDYES},
        {0x1048, {IDYES, IDNO}, IDNO},
        {0x588, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
        // A default the set does not show falls back to the set's own.
        {0x1011, {IDOK}, IDOK},
        {0x248, {IDYES, IDNO}, IDYES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
        BoxInfo box;
        // Enter presses the default button.
        const int result = RunBox("Button sets", &box, Key(VK_RETURN),
                                  [&] { return ShowMessage(nullptr, "Button sets", "Go on?", c.flags, 0); });
        ASSERT_TRUE(box.found);
        EXPECT_EQ(c.defaultId, result);
        for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
            const bool expected = std::find(c.visible.begin(), c.visible.end(), id) != c.visible.end();
            EXPECT_EQ(expected, box[id].visible) << "button " << id;
            EXPECT_EQ(id == c.defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, box[id].style & 0xF) << "button " << id;
        }
        EXPECT_EQ(box[c.defaultId].hwnd, box.focus);
        // The visible row is centred, give or take the spacing's rounding.
        int left = box.client.right, right = 0;
        for (int id : c.visible) {
            left = std::min<int>(left, box[id].rect.left);
            right = std::max<int>(right, box[id].rect.right);
        }
        const int bh = box[c.visible[0]].rect.bottom - box[c.visible[0]].rect.top;
        EXPECT_NEAR(left, box.client.right - right, bh / 2 + 1);
        ExpectButtonsInside(box);
    }
}

TEST_F(MessageBoxTest, CloseBoxAndEscapeReturnCancelEvenWithoutACancelButton) {
    BoxInfo box;
    EXPECT_EQ(IDCANCEL, RunBox("Escape", &box, Key(VK_ESCAPE),
                               [] { return ShowMessage(nullptr, "Escape", "Only OK here.", 0x111, 0); }));
    EXPECT_TRUE(box.found);
    box = BoxInfo();
    EXPECT_EQ(IDCANCEL, RunBox("Close box", &box,
                               [](HWND b) { PostMessageA(b, WM_SYSCOMMAND, SC_CLOSE, 0); },
                               [] { return ShowMessage(nullptr, "Close box", "Only Yes and No.", 0x148, 0); }));
    EXPECT_TRUE(box.found);
    // The ids of the buttons the box does not have end nothing.
    box = BoxInfo();
    EXPECT_EQ(IDNO, RunBox("Ignored ids", &box,
                           [](HWND b) {
                               for (int id : {3, 4, 5}) SendMessageA(b, WM_COMMAND, id, 0);
                               EXPECT_TRUE(IsWindowVisible(b));
                               PostMessageA(b, WM_COMMAND, IDNO, 0);
                           },
                           [] { return ShowMessage(nullptr, "Ignored ids", "Really?", 0x148, 0); }));
}

TEST_F(MessageBoxTest, ALongArgumentIsCutAt1023Characters) {
    const std::string huge(5000, 'x');
    BoxInfo box;
    const int result = RunBox("Long text", &box, Press(IDOK), [&] {
        return ShowMessage(nullptr, "Long text", "Start %s end", 0x111, 0, huge.c_str());
    });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDOK, result);
    const std::string& text = box[kMessageBoxFirstLine].text;
    EXPECT_EQ(1023u, text.size());
    EXPECT_EQ("Start " + std::string(1017, 'x'), text);
}

TEST_F(MessageBoxTest, MoreThanSixteenLinesAreAllShownWithoutOverrun) {
    std::string message = "line 0";
    std::string rest;
    for (int i = 1; i < 40; ++i) rest += (i > 1 ? "\n" : "") + std::string("line ") + std::to_string(i);
    message += "\n" + rest;
    BoxInfo box;
    const int result = RunBox("Forty lines", &box, Press(IDOK),
                              [&] { return ShowMessage(nullptr, "Forty lines", "%s", 0x111, 0, message.c_str()); });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("line 0", box[kMessageBoxFirstLine].text);
    EXPECT_EQ(rest, box[kMessageBoxMoreLines].text);
    // The sixteenth slot holds the rest of the text and is measured line by line, so the
    // block is tall enough for all 39 lines.
    ExpectTextFits(box, kMessageBoxMoreLines);
    ExpectButtonsInside(box);
}

TEST_F(MessageBoxTest, AThousandLineFeedsShowABoxWithoutOverrun) {
    const std::string feeds(3000, '\n');
    BoxInfo box;
    const int result = RunBox("Line feeds", &box, Press(IDOK),
                              [&] { return ShowMessage(nullptr, "Line feeds", "a%sb", 0x111, 0, feeds.c_str()); });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("a", box[kMessageBoxFirstLine].text);
    EXPECT_EQ(std::string(1021, '\n'), box[kMessageBoxMoreLines].text) << "cut at 1023 characters: b is gone";
}

TEST_F(MessageBoxTest, MissingTextShowsAnEmptyBox) {
    BoxInfo box;
    EXPECT_EQ(IDOK, RunBox("No text", &box, Press(IDOK),
                           [] { return ShowMessage(nullptr, "No text", App().GetText(65000, 0), 0x111, 0); }));
    ASSERT_TRUE(box.found);
    EXPECT_EQ("", box[kMessageBoxFirstLine].text);
}

// The owner is shown, owns the box, is busy for its time, and gets the focus back on the
// control named.
TEST_F(MessageBoxTest, OwnerIsShownAndTheNamedControlGetsTheFocusAfterwards) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MessageBoxTestOwner";
    RegisterClassA(&windowClass);
    HWND owner = CreateWindowExA(0, "MessageBoxTestOwner", "Owner", WS_POPUP | WS_CAPTION, 50, 50, 300, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, owner);
    HWND edit = CreateWindowExA(0, "Edit", "some text", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20, owner,
                                reinterpret_cast<HMENU>(100), GetModuleHandleA(nullptr), nullptr);
    ASSERT_FALSE(IsWindowVisible(owner));
    const int depthBefore = App().modalDepth;
    BoxInfo box;
    const int result = RunBox("Owned", &box, Press(IDYES),
                              [&] { return ShowMessage(owner, "Owned", "Keep it?", 0x148, 100); });
    ASSERT_TRUE(box.found);
    EXPECT_EQ(IDYES, result);
    EXPECT_EQ(owner, box.owner);
    EXPECT_EQ(depthBefore + 1, box.modalDepth);
    EXPECT_EQ(depthBefore, App().modalDepth);
    EXPECT_TRUE(IsWindowVisible(owner));
    EXPECT_EQ(edit, GetFocus());
    DWORD start = 1, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(9u, end) << "all of the text is selected";
    DestroyWindow(owner);
}

}  // namespace
