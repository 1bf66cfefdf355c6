#include "framework/window/frame_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/program_texts.h"
#include "framework/core/application.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr UINT kPing = WM_APP + 7;   // answered by the program procedure with 1000 + window index

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Received> g_received;
std::vector<uint16_t> g_destroyed;   // window indexes in the order their windows went down
bool g_sawCreate = false;
bool g_createWasZero = false;

// The program's procedure in front of the framework's: it records what the tests look for
// and passes everything on, as the program's own procedure does.
LRESULT CALLBACK ProgramProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            g_sawCreate = true;
            const CREATESTRUCTA zero = {};
            g_createWasZero = lParam && std::memcmp(reinterpret_cast<void*>(lParam), &zero, sizeof(zero)) == 0;
            break;
        }
        case WM_DESTROY:
            if (CFrameWindow* frame = CFrameWindow::FromHandle(window)) g_destroyed.push_back(frame->index);
            break;
        case kMsgModalDepth:
        case kMsgLayoutChanged:
            g_received.push_back({window, message, wParam, lParam});
            break;
        case kPing: {
            CFrameWindow* frame = App().FindFrameWindowByHandle(window);
            return frame ? 1000 + frame->index : -2;
        }
    }
    return CallWindowProcA(App().chainedWindowProc, window, message, wParam, lParam);
}

RECT WorkArea() {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

class FrameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        ASSERT_LT(temp_.Path().size(), sizeof(App().perUserDataFolder));
        std::memcpy(savedFolder_, App().perUserDataFolder, sizeof(savedFolder_));
        std::strcpy(App().perUserDataFolder, temp_.Path().c_str());
        savedStamp_ = App().stampChanged;
        savedDepth_ = App().modalDepth;
        App().stampChanged = 0;
        App().modalDepth = 0;
        ASSERT_EQ(0, App().windows.Count()) << "another test left framework windows behind";
        g_received.clear();
        g_destroyed.clear();
        g_sawCreate = g_createWasZero = false;
    }
    void TearDown() override {
        // Before the folder goes back: destroying a window writes its record.
        App().DestroyAllFrameWindows();
        std::memcpy(App().perUserDataFolder, savedFolder_, sizeof(savedFolder_));
        App().stampChanged = savedStamp_;
        App().modalDepth = savedDepth_;
    }

    // Creates a framework window with the test's program procedure; null on failure.
    static CFrameWindow* Make(uint16_t id, uint32_t flags = 0, int x = 0, int y = 0, int w = 0, int h = 0) {
        int at = App().CreateFrameWindow(id, ProgramProc, "Frame test", 0, flags, x, y, w, h);
        return at < 0 ? nullptr : App().windows[at];
    }
    std::string RecordFile(int index) const { return temp_.File("(OMX)Win" + std::to_string(index) + ".dcf"); }
    bool WriteRecordFile(int index, const WindowPositionRecord& record) const {
        return WriteBytes(RecordFile(index), std::string(reinterpret_cast<const char*>(&record), sizeof(record)));
    }
    static std::vector<int32_t> StatusIds(const CFrameWindow& frame) {
        std::vector<int32_t> ids;
        for (int i = 0; i < frame.statusTexts.Count(); ++i) ids.push_back(frame.statusTexts[i].id);
        return ids;
    }

    TempFolder temp_;

private:
    char savedFolder_[260] = {};
    uint8_t savedStamp_ = 0;
    int32_t savedDepth_ = 0;
};

// The default place: two thirds of the work area, centred, each further index 40 pixels
// right and down, wrapped back into the area.
RECT DefaultRect(const RECT& work, int index) {
    const int w = (work.right - work.left) * 2 / 3, h = (work.bottom - work.top) * 2 / 3;
    const int x = ((work.right - work.left) - w) / 2 + index * 40;
    const int y = ((work.bottom - work.top) - h) / 2 + index * 40;
    const int left = x % (work.right - w), top = y % (work.bottom - h);
    return RECT{left, top, left + w, top + h};
}

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST_F(FrameWindowTest, SecondWindowOpensFortyPixelsFurtherWithTheSameSize) {
    const RECT work = WorkArea();
    ASSERT_GT(work.right - work.left, 300);
    CFrameWindow* first = Make(0);
    CFrameWindow* second = Make(1);
    ASSERT_TRUE(first && second);

    ExpectRect(DefaultRect(work, 0), first->normalRect);
    EXPECT_EQ((work.right - work.left) * 2 / 3, first->normalRect.right - first->normalRect.left);
    EXPECT_EQ(first->normalRect.left + 40, second->normalRect.left);
    EXPECT_EQ(first->normalRect.top + 40, second->normalRect.top);
    EXPECT_EQ(first->normalRect.right + 40, second->normalRect.right);
    EXPECT_EQ(first->normalRect.bottom + 40, second->normalRect.bottom);

    RECT actual;
    GetWindowRect(second->window, &actual);
    ExpectRect(second->normalRect, actual);
    EXPECT_FALSE(IsWindowVisible(second->window));
}

TEST_F(FrameWindowTest, CascadedWindowWrapsBackIntoTheWorkArea) {
    const RECT work = WorkArea();
    const int w = (work.right - work.left) * 2 / 3;
    const int h = (work.bottom - work.top) * 2 / 3;
    // The first index whose unwrapped place would run past the right and the bottom edge.
    int index = 1;
    while ((work.right - work.left - w) / 2 + index * 40 < work.right - w ||
           (work.bottom - work.top - h) / 2 + index * 40 < work.bottom - h)
        ++index;
    CFrameWindow* frame = Make(static_cast<uint16_t>(index));
    ASSERT_NE(nullptr, frame);
    ExpectRect(DefaultRect(work, index), frame->normalRect);
    EXPECT_LE(frame->normalRect.right, work.right);
    EXPECT_LE(frame->normalRect.bottom, work.bottom);
    EXPECT_LT(frame->normalRect.left, (work.right - work.left - w) / 2 + index * 40);
}

TEST_F(FrameWindowTest, GivenValuesReplaceTheDefaultsAndWrapToo) {
    const RECT work = WorkArea();
    struct Case {
        int x, y, w, h;
        int left, top, width, height;
    };
    const int span = work.right - 400;
    const Case cases[] = {
        {100, 50, 400, 300, 100, 50, 400, 300},
        {span + 30, 60, 400, 300, 30, 60, 400, 300},   // past the edge: wraps
        // As wide as the area's right edge: nothing to wrap into, the place is kept.
        {10, 20, static_cast<int>(work.right), 200, 10, 20, static_cast<int>(work.right), 200},
    };
    uint16_t id = 0;
    for (const Case& c : cases) {
        CFrameWindow* frame = Make(id++, 0, c.x, c.y, c.w, c.h);
        ASSERT_NE(nullptr, frame) << c.x;
        ExpectRect(RECT{c.left, c.top, c.left + c.width, c.top + c.height}, frame->normalRect);
    }
}

TEST_F(FrameWindowTest, CloseStoresThePositionRecordAndKeepsTheWindow) {
    CFrameWindow* frame = Make(0, 0x10000400, 120, 80, 500, 300);
    ASSERT_NE(nullptr, frame);
    frame->Move(130, 90, 510, 310, false);
    frame->SetTransparency(30, true);
    EXPECT_FALSE(FileExists(RecordFile(0)));

    EXPECT_EQ(0, SendMessageA(frame->window, WM_CLOSE, 0, 0));
    EXPECT_TRUE(IsWindow(frame->window));
    const std::string bytes = ReadBytes(RecordFile(0));
    ASSERT_EQ(16u, bytes.size());
    WindowPositionRecord record;
    std::memcpy(&record, bytes.data(), sizeof(record));
    EXPECT_EQ(130, record.left);
    EXPECT_EQ(90, record.top);
    EXPECT_EQ(510, record.width);
    EXPECT_EQ(310, record.height);
    EXPECT_EQ(0x10000400u, record.flags);
    EXPECT_EQ(30u | 0x1000u, record.transparency);
}

TEST_F(FrameWindowTest, DestroyingWindowsGoesLastToFirstAndStoresEachPlace) {
    for (uint16_t id : {3, 1, 2}) ASSERT_NE(nullptr, Make(id));
    App().DestroyAllFrameWindows();
    EXPECT_EQ(0, App().windows.Count());
    EXPECT_EQ((std::vector<uint16_t>{3, 2, 1}), g_destroyed);
    for (int id : {1, 2, 3}) EXPECT_EQ(16u, ReadBytes(RecordFile(id)).size()) << id;
}

class StoredRecordTest : public FrameWindowTest {
protected:
    void SetUp() override {
        FrameWindowTest::SetUp();
        WindowPositionRecord record = {};
        record.left = -100;
        record.top = 44;
        record.width = 300;
        record.height = 200;
        record.flags = kWindowTopmost | kWindowMain;
        record.transparency = 30 | 0x1000;
        ASSERT_TRUE(WriteRecordFile(3, record));
    }
};

TEST_F(StoredRecordTest, StoredPlaceFlagsAndTransparencyAreTakenAtCreation) {
    CFrameWindow* frame = Make(3, 0x10000400);
    ASSERT_NE(nullptr, frame);
    ExpectRect(RECT{-100, 44, 200, 244}, frame->normalRect);
    EXPECT_EQ(kWindowTopmost | kWindowMain, frame->flags);
    EXPECT_EQ(30u, frame->transparency);
    EXPECT_EQ(1, frame->ghost);

    const LONG_PTR ex = GetWindowLongPtrA(frame->window, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TRANSPARENT);
    BYTE alpha = 0;
    DWORD how = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(frame->window, nullptr, &alpha, &how));
    EXPECT_EQ(178, alpha);   // 30 % transparent
    EXPECT_TRUE(how & LWA_ALPHA);
}

TEST_F(StoredRecordTest, ChangedSettingsStampIgnoresTheStoredPlace) {
    App().stampChanged = 1;
    CFrameWindow* frame = Make(3, 0x10000400);
    ASSERT_NE(nullptr, frame);
    ExpectRect(DefaultRect(WorkArea(), 3), frame->normalRect);
    EXPECT_EQ(0x10000400u, frame->flags);
    EXPECT_EQ(0u, frame->transparency);
    EXPECT_FALSE(GetWindowLongPtrA(frame->window, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOPMOST));
}

TEST_F(FrameWindowTest, TransparencyBeyondTheScaleIsHeldAtNinety) {
    WindowPositionRecord record = {10, 10, 300, 200, 0, 0xFF};
    ASSERT_TRUE(WriteRecordFile(0, record));
    CFrameWindow* frame = Make(0);
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(90u, frame->transparency);
    BYTE alpha = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(frame->window, nullptr, &alpha, nullptr));
    EXPECT_EQ(25, alpha);
}

struct StyleCase {
    uint32_t flags;
    DWORD style;
    DWORD exStyle;
};

const StyleCase kStyleCases[] = {
    {0x0, 0x86C80000, 0},                    // caption and dialog frame
    {0x10000400, 0x86C80000, 0},             // the program's main window
    {0x2, 0x86CF0000, 0},                    // resizable
    {0x8, 0x86480000, 0},                    // no caption
    {0x800, 0x86080000, 0},                  // borderless
    {0x802, 0x86080000, 0},                  // borderless wins over resizable
    {0x808, 0x86080000, 0},
    {0x200, 0x87C80000, 0},                  // maximised
    {0x10A4 | 0x40, 0x86C80000, 0},          // locks and resolution change: no style
    {0x1, 0x86C80000, WS_EX_APPWINDOW},
    {0x10, 0x86C80000, WS_EX_TOOLWINDOW},
    {0x100, 0x86C80000, WS_EX_TOPMOST},
    {0x2000, 0x86C80000, WS_EX_ACCEPTFILES},
    {0x2111, 0x86C80000, WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_ACCEPTFILES},
};

class FrameWindowStyleTest : public FrameWindowTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(FrameWindowStyleTest, FlagsGiveTheirStyles) {
    const StyleCase& c = GetParam();
    DWORD style = 0, ex = 0;
    CFrameWindow::StylesForFlags(c.flags, &style, &ex);
    EXPECT_EQ(c.style, style);
    EXPECT_EQ(c.exStyle, ex);

    App().stampChanged = 1;
    CFrameWindow* frame = Make(0, c.flags, 50, 50, 400, 300);
    ASSERT_NE(nullptr, frame);
    const DWORD styleBits = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_CAPTION | WS_THICKFRAME |
                            WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_MAXIMIZE;
    const DWORD exBits = WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_ACCEPTFILES;
    EXPECT_EQ(c.style & styleBits, static_cast<DWORD>(GetWindowLongPtrA(frame->window, GWL_STYLE)) & styleBits);
    EXPECT_EQ(c.exStyle & exBits, static_cast<DWORD>(GetWindowLongPtrA(frame->window, GWL_EXSTYLE)) & exBits);
}

INSTANTIATE_TEST_SUITE_P(Flags, FrameWindowStyleTest, ::testing::ValuesIn(kStyleCases));

TEST_F(FrameWindowTest, ModalDepthBringsTheBusyOverlayAndTakesItAway) {
    CFrameWindow* first = Make(0, 0, 50, 50, 400, 300);
    CFrameWindow* second = Make(1, 0, 80, 80, 300, 200);
    ASSERT_TRUE(first && second);

    App().BeginModal();
    for (CFrameWindow* frame : {first, second}) {
        ASSERT_NE(nullptr, frame->busyOverlay);
        EXPECT_EQ(0, lstrcmpiA("OMXBUSY", ClassOf(frame->busyOverlay).c_str()));
        EXPECT_EQ(frame->window, GetParent(frame->busyOverlay));
        const LONG_PTR style = GetWindowLongPtrA(frame->busyOverlay, GWL_STYLE);
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_TRUE(GetWindowLongPtrA(frame->busyOverlay, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
        RECT client, overlay;
        GetClientRect(frame->window, &client);
        GetClientRect(frame->busyOverlay, &overlay);
        ExpectRect(client, overlay);
    }
    HWND overlay = first->busyOverlay;
    App().BeginModal();
    EXPECT_EQ(overlay, first->busyOverlay);   // a deeper dialog keeps the one overlay
    App().EndModal();
    EXPECT_EQ(overlay, first->busyOverlay);
    App().EndModal();
    EXPECT_EQ(nullptr, first->busyOverlay);
    EXPECT_EQ(nullptr, second->busyOverlay);
    EXPECT_FALSE(IsWindow(overlay));
    App().EndModal();
    EXPECT_EQ(0, App().modalDepth);

    // Every change reached both windows with the new depth, the extra EndModal as 0.
    std::vector<WPARAM> toFirst, toSecond;
    for (const Received& r : g_received) {
        if (r.message != kMsgModalDepth) continue;
        (r.window == first->window ? toFirst : toSecond).push_back(r.wParam);
    }
    const std::vector<WPARAM> expected = {1, 2, 1, 0, 0};
    EXPECT_EQ(expected, toFirst);
    EXPECT_EQ(expected, toSecond);
}

TEST_F(FrameWindowTest, BusyOverlayFollowsTheWindowSize) {
    CFrameWindow* frame = Make(0, 0, 50, 50, 400, 300);
    ASSERT_NE(nullptr, frame);
    App().BeginModal();
    frame->Move(60, 60, 500, 350, false);
    RECT client, overlay;
    GetClientRect(frame->window, &client);
    GetClientRect(frame->busyOverlay, &overlay);
    ExpectRect(client, overlay);
    App().EndModal();
}

struct StatusStep {
    int32_t id;
    const char* text;
};
struct StatusCase {
    const char* name;
    std::vector<StatusStep> steps;
    std::vector<int32_t> ids;   // after the steps, in list order
    int32_t checkId;
    const char* checkText;
};

TEST_F(FrameWindowTest, StatusTextsAreAddedReplacedAndRemoved) {
    const StatusCase cases[] = {
        {"add", {{5, "Five"}}, {-3, -2, 5}, 5, "Five"},
        {"replace in place", {{5, "Five"}, {6, "Six"}, {5, "Again"}}, {-3, -2, 5, 6}, 5, "Again"},
        {"null removes", {{5, "Five"}, {5, nullptr}}, {-3, -2}, 0, nullptr},
        {"empty removes", {{5, "Five"}, {5, ""}}, {-3, -2}, 0, nullptr},
        {"empty adds nothing", {{5, ""}}, {-3, -2}, 0, nullptr},
        {"-1 goes with the last non-negative", {{-1, "Hover"}, {7, "Seven"}, {7, nullptr}}, {-3, -2}, 0, nullptr},
        {"-1 stays beside a non-negative", {{-1, "Hover"}, {7, "a"}, {8, "b"}, {7, nullptr}}, {-3, -2, -1, 8}, -1,
         "Hover"},
        {"any removal among negatives takes -1", {{-1, "Hover"}, {9, nullptr}}, {-3, -2}, 0, nullptr},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFrameWindow* frame = Make(0);
        ASSERT_NE(nullptr, frame);
        ASSERT_EQ((std::vector<int32_t>{-3, -2}), StatusIds(*frame));
        EXPECT_STREQ("Ready", frame->statusTexts[0].text);
        for (const StatusStep& step : c.steps) EXPECT_EQ(0, frame->SetStatusText(step.id, step.text));
        EXPECT_EQ(c.ids, StatusIds(*frame));
        if (c.checkText) {
            for (int i = 0; i < frame->statusTexts.Count(); ++i) {
                if (frame->statusTexts[i].id == c.checkId) {
                    EXPECT_STREQ(c.checkText, frame->statusTexts[i].text);
                }
            }
        }
        App().DestroyFrameWindow(0);
    }
}

TEST_F(FrameWindowTest, LongStatusTextIsCutToItsField) {
    CFrameWindow* frame = Make(0);
    ASSERT_NE(nullptr, frame);
    const std::string text(2000, 'a');
    EXPECT_EQ(0, frame->SetStatusText(4, text.c_str()));
    EXPECT_EQ(std::string(1023, 'a'), frame->statusTexts[2].text);
}

TEST_F(FrameWindowTest, StatusTextGivesUpWhenAnotherThreadHoldsTheLock) {
    CFrameWindow* frame = Make(0);
    ASSERT_NE(nullptr, frame);
    HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        WaitForSingleObject(frame->statusLock, INFINITE);
        SetEvent(taken);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(frame->statusLock);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 5000));

    const ULONGLONG start = GetTickCount64();
    const int result = frame->SetStatusText(5, "Five");
    const ULONGLONG waited = GetTickCount64() - start;
    SetEvent(release);
    holder.join();
    CloseHandle(taken);
    CloseHandle(release);

    EXPECT_EQ(static_cast<int>(WAIT_TIMEOUT), result);
    EXPECT_GE(waited, 950u);
    EXPECT_LT(waited, 5000u);
    EXPECT_EQ((std::vector<int32_t>{-3, -2}), StatusIds(*frame));   // nothing changed
    EXPECT_EQ(0, frame->SetStatusText(5, "Five"));                    // free again
    EXPECT_EQ((std::vector<int32_t>{-3, -2, 5}), StatusIds(*frame));
}

// The status command's caption follows the status texts and never points into storage
// the list has moved away from or freed.
class StatusCommandTest : public FrameWindowTest {
protected:
    static constexpr uint16_t kCommand = kTextInvalidPath;
    void SetUp() override {
        FrameWindowTest::SetUp();
        App().texts.SetTextTable(0, g_programTexts);
        saved_ = App().GetText(kCommand, 0);
        if (!saved_) GTEST_SKIP() << "another program table is installed";
        ASSERT_EQ(-1, App().commands.FindCommand(kCommand));
        ASSERT_GE(App().commands.RegisterCommand(kCommand, ITEM_STATIC, 0, 0, kCommand, 0), 0);
        savedRefresh_ = App().commands.onRefresh;
        App().commands.onRefresh = [](uint16_t id) { if (id == kCommand) ++refreshes_; };
        refreshes_ = 0;
    }
    void TearDown() override {
        FrameWindowTest::TearDown();
        if (!saved_) return;
        App().commands.onRefresh = savedRefresh_;
        App().commands.RemoveCommand(kCommand);
        App().texts.SetText(kCommand, 0, saved_, 0);
    }
    static std::string Caption() { return App().Text(kCommand, 0); }

    const char* saved_ = nullptr;
    CCommandTable::RefreshHook savedRefresh_ = nullptr;
    static int refreshes_;
};
int StatusCommandTest::refreshes_ = 0;

TEST_F(StatusCommandTest, CaptionFollowsTheStatusTexts) {
    CFrameWindow* frame = Make(0);
    ASSERT_NE(nullptr, frame);
    frame->statusCommand = kCommand;

    EXPECT_EQ(0, frame->SetStatusText(7, "Seven"));
    EXPECT_EQ("Seven", Caption());
    EXPECT_EQ(1, refreshes_);
    EXPECT_EQ(0, frame->SetStatusText(-1, "Hover"));
    EXPECT_EQ(0, frame->SetStatusText(8, "Eight"));
    EXPECT_EQ("Hover", Caption());   // the entry -1 wins over the last one
    // Enough entries to move the list's storage: the caption moves along.
    for (int id = 100; id < 140; ++id) frame->SetStatusText(id, "many");
    EXPECT_EQ("Hover", Caption());
    EXPECT_EQ(0, frame->SetStatusText(-1, nullptr));
    EXPECT_EQ("many", Caption());   // the last entry

    for (int id = 100; id < 140; ++id) frame->SetStatusText(id, nullptr);
    for (int id : {7, 8, -2, -3}) frame->SetStatusText(id, nullptr);
    EXPECT_EQ(0, frame->statusTexts.Count());
    EXPECT_EQ("", Caption());
}

TEST_F(StatusCommandTest, DestroyLeavesTheCaptionEmpty) {
    CFrameWindow* frame = Make(0);
    ASSERT_NE(nullptr, frame);
    frame->statusCommand = kCommand;
    frame->SetStatusText(7, "Seven");
    App().DestroyFrameWindow(0);
    EXPECT_EQ("", Caption());
}

struct RoutingCase {
    std::vector<uint32_t> flags;   // of windows 0, 1, ...
    LRESULT expected;
};

TEST_F(FrameWindowTest, SendToMainWindowPrefersTheLastMainWindow) {
    App().stampChanged = 1;   // each round's windows store flags the next round must not read
    EXPECT_EQ(-1, App().SendToMainWindow(kPing, 0, 0));
    const RoutingCase cases[] = {
        {{0, 0}, 1000},
        {{0, 0x400}, 1001},
        {{0x400, 0}, 1000},
        {{0x400, 0x400}, 1001},
        {{0, 0x400, 0}, 1001},
        {{0, 0x400, 0x400}, 1002},
    };
    for (const RoutingCase& c : cases) {
        for (size_t i = 0; i < c.flags.size(); ++i) ASSERT_NE(nullptr, Make(static_cast<uint16_t>(i), c.flags[i]));
        EXPECT_EQ(c.expected, App().SendToMainWindow(kPing, 0, 0)) << c.flags.size() << " windows";
        App().DestroyAllFrameWindows();
    }
}

TEST_F(FrameWindowTest, WindowsAreKeptInIdOrder) {
    const struct {
        uint16_t id;
        int position;
    } steps[] = {{5, 0}, {2, 0}, {9, 2}, {7, 2}, {0, 0}, {65535, 5}};
    for (const auto& step : steps) EXPECT_EQ(step.position, App().CreateFrameWindow(step.id, ProgramProc, "t", 0, 0, 0, 0, 0, 0));
    std::vector<uint16_t> order;
    for (int i = 0; i < App().windows.Count(); ++i) order.push_back(App().windows[i]->index);
    EXPECT_EQ((std::vector<uint16_t>{0, 2, 5, 7, 9, 65535}), order);

    CFrameWindow* seven = App().FindFrameWindowById(7);
    ASSERT_NE(nullptr, seven);
    EXPECT_EQ(7, seven->index);
    EXPECT_EQ(seven, App().FindFrameWindowByHandle(seven->window));
    EXPECT_EQ(nullptr, App().FindFrameWindowById(4));
    EXPECT_EQ(nullptr, App().FindFrameWindowByHandle(GetDesktopWindow()));

    HWND five = App().FindFrameWindowById(5)->window;
    App().DestroyFrameWindow(5);
    App().DestroyFrameWindow(4);   // unknown: nothing happens
    EXPECT_FALSE(IsWindow(five));
    EXPECT_EQ(nullptr, App().FindFrameWindowById(5));
    EXPECT_EQ(5, App().windows.Count());
    EXPECT_EQ(3, App().CreateFrameWindow(8, ProgramProc, "t", 0, 0, 0, 0, 0, 0));
}

TEST_F(FrameWindowTest, FailedCreationLeavesNoWindowBehind) {
    // An owner that no longer exists makes the window creation fail.
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(gone);
    DestroyWindow(gone);
    ASSERT_NE(nullptr, Make(1));
    struct PhantomSwap {
        HWND saved = App().phantomWindow;
        explicit PhantomSwap(HWND owner) { App().phantomWindow = owner; }
        ~PhantomSwap() { App().phantomWindow = saved; }
    } swap(gone);

    EXPECT_EQ(-1, App().CreateFrameWindow(4, ProgramProc, "t", 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(1, App().windows.Count());
    EXPECT_EQ(nullptr, App().FindFrameWindowById(4));
    EXPECT_FALSE(FileExists(RecordFile(4)));

    CFrameWindow alone;
    EXPECT_EQ(kErrorWindowNotCreated, alone.Create(4, ProgramProc, "t", 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(nullptr, alone.window);
    EXPECT_EQ(0, alone.items.Count());
    EXPECT_EQ(nullptr, alone.statusLock);
}

TEST_F(FrameWindowTest, ProgramProcedureGetsCreateAndPassesTheRestToTheFramework) {
    CFrameWindow* frame = Make(0, 0, 50, 50, 400, 300);
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(g_sawCreate);
    EXPECT_TRUE(g_createWasZero);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(ProgramProc), GetWindowLongPtrA(frame->window, GWLP_WNDPROC));
    ASSERT_NE(nullptr, App().chainedWindowProc);

    // Answered only by the framework procedure.
    EXPECT_EQ(TRUE, SendMessageA(frame->window, WM_ERASEBKGND, 0, 0));
    int marker = 0;
    EXPECT_EQ(0, SendMessageA(frame->window, UIM_SETOPENMENU, 0, reinterpret_cast<LPARAM>(&marker)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(&marker), SendMessageA(frame->window, UIM_GETOPENMENU, 0, 0));
    SendMessageA(frame->window, UIM_SETOPENMENU, 0, 0);
    MINMAXINFO limits = {};
    SendMessageA(frame->window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(150, limits.ptMinTrackSize.x);
    EXPECT_EQ(100, limits.ptMinTrackSize.y);

    // The framework's WM_SIZE handling reports the new layout back through the program's procedure.
    g_received.clear();
    SendMessageA(frame->window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(321, 123));
    ASSERT_EQ(1u, g_received.size());
    EXPECT_EQ(static_cast<UINT>(kMsgLayoutChanged), g_received[0].message);
    EXPECT_EQ(MAKELPARAM(321, 123), g_received[0].lParam);
}

TEST_F(FrameWindowTest, FourEmptyBaysFrameTheClientArea) {
    CFrameWindow* frame = Make(0, 0, 50, 50, 400, 300);
    ASSERT_NE(nullptr, frame);
    ASSERT_EQ(4, frame->items.Count());
    for (int side = 0; side < 4; ++side) {
        EXPECT_EQ(side, frame->items[side]->side);
        EXPECT_EQ(0, frame->items[side]->thickness);
    }
    RECT client;
    GetClientRect(frame->window, &client);
    frame->Move(0, 0, -1, 0, false);
    ExpectRect(client, frame->clientArea);

    // Bars docked in the bays would give them these thicknesses: top, bottom, left, right.
    const int thickness[4] = {10, 20, 30, 40};
    for (int side = 0; side < 4; ++side) frame->items[side]->thickness = thickness[side];
    frame->Move(0, 0, -1, 0, false);
    const int W = client.right, H = client.bottom;
    ExpectRect(RECT{30, 10, W - 40, H - 20}, frame->clientArea);
    ExpectRect(RECT{0, 0, W, 10}, frame->items[0]->rect);
    ExpectRect(RECT{0, H - 20, W, H}, frame->items[1]->rect);
    ExpectRect(RECT{0, 10, 30, H - 20}, frame->items[2]->rect);
    ExpectRect(RECT{W - 40, 10, W, H - 20}, frame->items[3]->rect);
}

TEST_F(FrameWindowTest, LockedWindowRefusesMovesButTheProgramStillMovesIt) {
    CFrameWindow* frame = Make(0, kWindowLockPosition | kWindowLockSize, 50, 50, 400, 300);
    ASSERT_NE(nullptr, frame);
    SetWindowPos(frame->window, nullptr, 90, 90, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT actual;
    GetWindowRect(frame->window, &actual);
    ExpectRect(RECT{50, 50, 450, 350}, actual);
    EXPECT_EQ(TRUE, SendMessageA(frame->window, WM_SETCURSOR, reinterpret_cast<WPARAM>(frame->window),
                                 MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE)));

    frame->Move(90, 90, 500, 400, false);
    GetWindowRect(frame->window, &actual);
    ExpectRect(RECT{90, 90, 590, 490}, actual);
    EXPECT_EQ(kWindowLockPosition | kWindowLockSize, frame->flags);
    ExpectRect(actual, frame->normalRect);
    ExpectRect(actual, frame->lastRect);
}

TEST_F(FrameWindowTest, ShownWindowBecomesTheActiveForegroundWindow) {
    CFrameWindow* frame = Make(0, 0, 50, 50, 400, 300);
    ASSERT_NE(nullptr, frame);
    frame->Show(SW_SHOW, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(frame->window));
    EXPECT_EQ(SW_SHOW, frame->shown);
    EXPECT_EQ(frame, App().activeWindow);
    EXPECT_EQ(frame->window, App().GetOwnForegroundWindow());
    App().DestroyFrameWindow(0);
    EXPECT_EQ(nullptr, App().activeWindow);
}

}  // namespace
