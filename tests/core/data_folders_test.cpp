#include "framework/core/data_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/application.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr char kWaiterClass[] = "OMXWaitForDataPath";

// A drive letter that names no drive here, e.g. "Q:".
std::string MissingDrive() {
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        const char root[] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) return std::string(1, letter) + ":";
    }
    return "";
}

void SetField(char* field, const std::string& value) {
    ASSERT_LT(value.size(), 260u);
    std::strcpy(field, value.c_str());
}

// Saves and restores the parts of the application object the tests change.
class DataFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        std::memcpy(savedPerUser_, App().perUserDataFolder, sizeof(savedPerUser_));
        std::memcpy(savedCommon_, App().commonDataFolder, sizeof(savedCommon_));
        std::memcpy(savedProduct_, App().productName, sizeof(savedProduct_));
        savedInstallation_ = App().installation;
        SetField(App().productName, "Plexaro");
    }
    void TearDown() override {
        std::memcpy(App().perUserDataFolder, savedPerUser_, sizeof(savedPerUser_));
        std::memcpy(App().commonDataFolder, savedCommon_, sizeof(savedCommon_));
        std::memcpy(App().productName, savedProduct_, sizeof(savedProduct_));
        App().installation = savedInstallation_;
    }

    TempFolder temp_;

private:
    char savedPerUser_[260] = {};
    char savedCommon_[260] = {};
    char savedProduct_[260] = {};
    InstallationRecord savedInstallation_ = {};
};

TEST_F(DataFoldersTest, TestDataFolder) {
    const std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    ASSERT_TRUE(WriteBytes(temp_.File("file"), "f"));
    ASSERT_TRUE(MakeFolders(temp_.File("blocked\\OMXWriteTest.tmp")));   // the test file cannot be made
    struct Case {
        std::string folder;
        int expected;
    };
    const Case cases[] = {
        {temp_.Path(), 0},
        {temp_.File("new\\deeper"), 0},   // created with its parents
        {temp_.File("slash") + "\\", 0},
        {temp_.File("file"), 1},
        {temp_.File("file\\sub"), 1},
        {drive + "\\Plexaro", 1},
        {temp_.File("blocked"), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(c.expected, TestDataFolder(c.folder.c_str()));
        if (c.expected == 0) {
            EXPECT_TRUE(FolderExists(c.folder));
            EXPECT_FALSE(FileExists(c.folder + (c.folder.back() == '\\' ? "" : "\\") + "OMXWriteTest.tmp"));
        }
    }
}

TEST_F(DataFoldersTest, WaitForFolderReturnsAtOnceWhenTheFolderCanBeMade) {
    for (const std::string& folder : {temp_.Path(), temp_.File("x\\y\\z")}) {
        SCOPED_TRACE(folder);
        const DWORD start = GetTickCount();
        EXPECT_EQ(0, WaitForFolder(folder.c_str(), -1, 1, "tip", "Quit"));
        EXPECT_LT(GetTickCount() - start, 500u);   // no waiting cycle ran
        EXPECT_TRUE(FolderExists(folder));
    }
}

TEST_F(DataFoldersTest, WaitForFolderGivesUpWhenTheTriesRunOut) {
    const std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    const std::string folder = drive + "\\Ombrix\\Plexaro";
    DWORD start = GetTickCount();
    EXPECT_EQ(2, WaitForFolder(folder.c_str(), 0, 1, "tip", "Quit"));
    EXPECT_EQ(2, WaitForFolder("", -1, 1, "tip", "Quit"));   // can never appear: no endless wait
    EXPECT_LT(GetTickCount() - start, 500u);

    start = GetTickCount();
    EXPECT_EQ(2, WaitForFolder(folder.c_str(), 2, 1, "tip", "Quit"));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1800u);   // two cycles of about a second
    EXPECT_LT(elapsed, 10000u);  // (Wine takes two more seconds to remove a tray icon)
    EXPECT_EQ(nullptr, FindWindowA(kWaiterClass, nullptr));   // the window is gone again
}

// Finds the waiter's window from another thread, as the notification area would.
HWND WaitForWaiterWindow() {
    for (int i = 0; i < 100; ++i) {
        HWND window = FindWindowA(kWaiterClass, nullptr);
        if (window) return window;
        Sleep(50);
    }
    return nullptr;
}

TEST_F(DataFoldersTest, QuitFromTheIconMenuEndsTheWait) {
    const std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    std::atomic<bool> running{true};
    std::atomic<bool> stillWaitingAfterOtherCommands{false};
    std::atomic<bool> found{false};
    std::thread user([&] {
        HWND window = WaitForWaiterWindow();
        if (!window) return;
        found = true;
        // Other icon notifications and other commands leave the wait running.
        PostMessageA(window, 33777, 1, WM_MOUSEMOVE);
        PostMessageA(window, WM_COMMAND, 2, 0);
        Sleep(1500);
        stillWaitingAfterOtherCommands = running.load();
        PostMessageA(window, WM_COMMAND, 1, 0);   // the menu's only item
    });
    const int result = WaitForFolder((drive + "\\Plexaro").c_str(), 10, 1, "Plexaro: Waiting", "Quit Plexaro");
    running = false;
    user.join();
    ASSERT_TRUE(found);
    EXPECT_TRUE(stillWaitingAfterOtherCommands);
    EXPECT_EQ(1, result);
    EXPECT_EQ(nullptr, FindWindowA(kWaiterClass, nullptr));
}

TEST_F(DataFoldersTest, FolderThatBecomesAvailableEndsTheWait) {
    // A file in the way keeps the folder from being made until it goes.
    ASSERT_TRUE(WriteBytes(temp_.File("share"), "not yet"));
    const std::string folder = temp_.File("share\\Plexaro");
    std::thread network([&] {
        Sleep(1200);
        DeleteFileA(temp_.File("share").c_str());
    });
    const int result = WaitForFolder(folder.c_str(), 6, 1, "tip", "Quit");
    network.join();
    EXPECT_EQ(0, result);
    EXPECT_TRUE(FolderExists(folder));
}

TEST(DimIconPixels, RecoloursVisiblePixelsBetweenLightAndShadow) {
    // Black and white: mean brightness 127.5, so white lands on the light colour and
    // black (almost) on the shadow colour. COLORREF red is the pixels' bits 16-23.
    const uint32_t red = 0x000000FF, blue = 0x00FF0000;
    uint32_t pixels[] = {0x80000000, 0x40FFFFFF, 0x12345678};
    const uint32_t mask[] = {0x000000, 0x000000, 0xFFFFFF};   // the last is transparent
    DimIconPixels(pixels, mask, 3, red, blue);
    EXPECT_EQ(0x800000FFu, pixels[0]);   // blue, alpha kept
    EXPECT_EQ(0x40FF0000u, pixels[1]);   // red, alpha kept
    EXPECT_EQ(0x12345678u, pixels[2]);   // transparent pixels stay as they are

    // A mid-grey icon: t = (3g + 128 - g) / 765, here between white and black.
    uint32_t grey[] = {0xFF808080, 0xFF808080};
    const uint32_t visible[] = {0, 0};
    DimIconPixels(grey, visible, 2, 0x00FFFFFF, 0x00000000);
    EXPECT_EQ(0xFF808080u, grey[0]);
    EXPECT_EQ(grey[0], grey[1]);

    // A darker pixel ends nearer the shadow than a brighter one.
    uint32_t mixed[] = {0xFF202020, 0xFFC0C0C0};
    DimIconPixels(mixed, visible, 2, 0x00FFFFFF, 0x00000000);
    EXPECT_LT(mixed[0] & 0xFF, mixed[1] & 0xFF);
}

std::vector<uint32_t> IconBits(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return lines == height ? bits : std::vector<uint32_t>();
}

TEST(MakeDimmedIcon, KeepsSizeAndMaskAndRecoloursTheVisiblePixels) {
    EXPECT_EQ(nullptr, MakeDimmedIcon(nullptr));
    HICON source = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(32512) /* IDI_APPLICATION */, IMAGE_ICON,
                                                 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    ASSERT_NE(nullptr, source);
    HICON dimmed = MakeDimmedIcon(source);
    ASSERT_NE(nullptr, dimmed);

    ICONINFO before = {}, after = {};
    ASSERT_TRUE(GetIconInfo(source, &before));
    ASSERT_TRUE(GetIconInfo(dimmed, &after));
    BITMAP bitmap = {};
    ASSERT_TRUE(GetObjectA(before.hbmColor, sizeof(bitmap), &bitmap));
    const int width = bitmap.bmWidth, height = bitmap.bmHeight;
    ASSERT_TRUE(GetObjectA(after.hbmColor, sizeof(bitmap), &bitmap));
    EXPECT_EQ(width, bitmap.bmWidth);
    EXPECT_EQ(height, bitmap.bmHeight);
    const std::vector<uint32_t> colour = IconBits(before.hbmColor, width, height);
    const std::vector<uint32_t> mask = IconBits(before.hbmMask, width, height);
    const std::vector<uint32_t> dimmedColour = IconBits(after.hbmColor, width, height);
    EXPECT_EQ(mask, IconBits(after.hbmMask, width, height));
    ASSERT_FALSE(colour.empty());
    ASSERT_EQ(colour.size(), dimmedColour.size());

    // Every visible pixel lies between the shadow and the light colour, channel by channel.
    const COLORREF light = GetSysColor(COLOR_3DLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    int visible = 0;
    for (size_t i = 0; i < colour.size(); ++i) {
        if ((mask[i] & 0xFF) == 255) continue;
        ++visible;
        const int pixel[3] = {int((dimmedColour[i] >> 16) & 0xFF), int((dimmedColour[i] >> 8) & 0xFF),
                              int(dimmedColour[i] & 0xFF)};
        const int lo[3] = {std::min(GetRValue(light), GetRValue(shadow)), std::min(GetGValue(light), GetGValue(shadow)),
                           std::min(GetBValue(light), GetBValue(shadow))};
        const int hi[3] = {std::max(GetRValue(light), GetRValue(shadow)), std::max(GetGValue(light), GetGValue(shadow)),
                           std::max(GetBValue(light), GetBValue(shadow))};
        for (int c = 0; c < 3; ++c) {
            EXPECT_GE(pixel[c], lo[c]) << i;
            EXPECT_LE(pixel[c], hi[c]) << i;
        }
        EXPECT_EQ(colour[i] & 0xFF000000u, dimmedColour[i] & 0xFF000000u) << i;
    }
    EXPECT_GT(visible, 0);
    for (HBITMAP b : {before.hbmColor, before.hbmMask, after.hbmColor, after.hbmMask}) DeleteObject(b);
    DestroyIcon(dimmed);
}

TEST_F(DataFoldersTest, SpecialFolders) {
    char path[260] = "junk";
    GetSpecialFolderPath(CSIDL_APPDATA, path);
    EXPECT_TRUE(FolderExists(path)) << path;
    GetSpecialFolderPath(CSIDL_COMMON_APPDATA, path);
    EXPECT_TRUE(FolderExists(path)) << path;
    GetSpecialFolderPath(0x7FFF, path);
    EXPECT_STREQ("", path);
}

TEST_F(DataFoldersTest, SettledUnderTheApplicationDataFolders) {
    App().installation = InstallationRecord{};
    SettleDataFolders();
    char appData[260], commonAppData[260];
    GetSpecialFolderPath(CSIDL_APPDATA, appData);
    GetSpecialFolderPath(CSIDL_COMMON_APPDATA, commonAppData);
    ASSERT_STRNE("", appData);
    EXPECT_EQ(std::string(appData) + "\\Ombrix\\Plexaro", App().perUserDataFolder);
    EXPECT_EQ(std::string(commonAppData) + "\\Ombrix\\Plexaro", App().commonDataFolder);
}

TEST_F(DataFoldersTest, SettledInTheCustomFolder) {
    char user[260] = {};
    DWORD length = sizeof(user);
    ASSERT_TRUE(GetUserNameA(user, &length));
    App().installation = InstallationRecord{};
    App().installation.customDataFolderFlag = 1;
    SetField(App().installation.customDataFolder, "D:\\Shared\\Ombrix");

    App().installation.perUserSubfolderFlag = 1;
    SettleDataFolders();
    EXPECT_EQ(std::string("D:\\Shared\\Ombrix\\") + user, App().perUserDataFolder);
    EXPECT_STREQ("D:\\Shared\\Ombrix", App().commonDataFolder);

    App().installation.perUserSubfolderFlag = 0;
    SettleDataFolders();
    EXPECT_STREQ("D:\\Shared\\Ombrix", App().perUserDataFolder);
    EXPECT_STREQ("D:\\Shared\\Ombrix", App().commonDataFolder);
}

TEST_F(DataFoldersTest, WaitForDataFoldersPassesWritableFolders) {
    struct Case {
        std::string perUser, common;
    };
    const Case cases[] = {
        {temp_.File("user"), temp_.File("common")},
        {temp_.File("same"), temp_.File("SAME")},
        {temp_.File("not\\yet\\there"), temp_.File("common")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.perUser);
        SetField(App().perUserDataFolder, c.perUser);
        SetField(App().commonDataFolder, c.common);
        const DWORD start = GetTickCount();
        EXPECT_EQ(0, WaitForDataFolders());
        EXPECT_LT(GetTickCount() - start, 1000u);   // no icon, no message
        EXPECT_TRUE(FolderExists(c.perUser));
        EXPECT_TRUE(FolderExists(c.common));
    }
}

// Closes whatever window this process shows (the data-path message) until told to stop;
// counts the windows it closed.
class MessageCloser {
public:
    MessageCloser() : thread_([this] { Run(); }) {}
    ~MessageCloser() { Stop(); }
    int Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return closed_;
    }

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM param) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window))
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        return TRUE;
    }
    void Run() {
        while (!stop_) {
            std::vector<HWND> windows;
            EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
            for (HWND window : windows) {
                PostMessageA(window, WM_COMMAND, IDOK, 0);
                ++closed_;
            }
            Sleep(windows.empty() ? 50 : 300);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int> closed_{0};
    std::thread thread_;
};

TEST_F(DataFoldersTest, UnwritableFolderShowsTheDataPathMessageAndEndsTheStart) {
    ASSERT_TRUE(MakeFolders(temp_.File("blocked\\OMXWriteTest.tmp")));
    struct Case {
        std::string perUser, common;
    };
    const Case cases[] = {
        {temp_.File("blocked"), temp_.File("common")},
        {temp_.File("user"), temp_.File("blocked")},   // the common folder is tested as well
        {"", temp_.File("common")},                    // a folder that could not be settled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.perUser + " | " + c.common);
        SetField(App().perUserDataFolder, c.perUser);
        SetField(App().commonDataFolder, c.common);
        MessageCloser closer;
        const int result = WaitForDataFolders();
        const int closed = closer.Stop();
        EXPECT_EQ(kErrorDataFolderWait, result);
        EXPECT_GE(closed, 1);   // the message was shown
    }
}

class StartupFilesTest : public DataFoldersTest {
protected:
    void SetUp() override {
        DataFoldersTest::SetUp();
        if (HasFatalFailure()) return;
        install_ = temp_.File("Program Files\\Plexaro");
        data_ = temp_.File("data\\Ombrix\\Plexaro");
        App().installation = InstallationRecord{};
        SetField(App().installation.installFolder, install_);
        SetField(App().perUserDataFolder, data_);
        SetField(App().commonDataFolder, temp_.File("common"));
        for (const char* file : {"a.dcf", "b.dcf", "sub\\c.dcf", "sub\\deep\\d.txt"})
            ASSERT_TRUE(WriteBytes(install_ + "\\Init\\" + file, std::string("init:") + file));
    }
    std::string install_, data_;
};

TEST_F(StartupFilesTest, CopiesIntoAMissingDataFolderWithItsSubFolders) {
    CopyStartupFiles();
    for (const char* file : {"a.dcf", "b.dcf", "sub\\c.dcf", "sub\\deep\\d.txt"})
        EXPECT_EQ(std::string("init:") + file, ReadBytes(data_ + "\\" + file)) << file;
    EXPECT_EQ("init:a.dcf", ReadBytes(install_ + "\\Init\\a.dcf"));   // the source stays
}

TEST_F(StartupFilesTest, KeepsFilesTheUserAlreadyHas) {
    ASSERT_TRUE(WriteBytes(data_ + "\\a.dcf", "mine"));
    ASSERT_TRUE(WriteBytes(data_ + "\\sub\\c.dcf", "mine too"));
    CopyStartupFiles();
    EXPECT_EQ("mine", ReadBytes(data_ + "\\a.dcf"));
    EXPECT_EQ("mine too", ReadBytes(data_ + "\\sub\\c.dcf"));
    EXPECT_EQ("init:b.dcf", ReadBytes(data_ + "\\b.dcf"));
    EXPECT_EQ("init:sub\\deep\\d.txt", ReadBytes(data_ + "\\sub\\deep\\d.txt"));
}

TEST_F(StartupFilesTest, TargetThatWouldNotFitIsSkipped) {
    std::string data = temp_.File("d");
    while (250 - data.size() > 41) data += "\\" + std::string(40, 'x');
    data += "\\" + std::string(250 - data.size() - 1, 'x');
    ASSERT_EQ(250u, data.size());
    SetField(App().perUserDataFolder, data);
    CopyStartupFiles();
    EXPECT_EQ("init:a.dcf", ReadBytes(data + "\\a.dcf"));
    EXPECT_EQ("init:b.dcf", ReadBytes(data + "\\b.dcf"));
    // data + "\sub\c.dcf" is 260 characters: skipped, and no cut name appears instead.
    EXPECT_FALSE(FolderExists(data + "\\sub"));
    int entries = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((data + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do {
        if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) ++entries;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    EXPECT_EQ(2, entries);
}

TEST_F(StartupFilesTest, NoInitFolderCopiesNothing) {
    SetField(App().installation.installFolder, temp_.File("elsewhere"));
    CopyStartupFiles();
    EXPECT_FALSE(FolderExists(data_));
}

}  // namespace
