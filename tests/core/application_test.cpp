#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <string>

#include "../../framework/core/application.h"
#include "../../framework/core/elevation.h"

namespace {

// Sets the installation record value for a product name of the test's own and removes it again.
class InstallationRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        strcpy(saved_, App().productName);
        strcpy(App().productName, "PlexaroRecordTest");
    }
    void TearDown() override {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ombrix", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "PlexaroRecordTest");
            RegCloseKey(key);
        }
        strcpy(App().productName, saved_);
    }
    static void Write(const std::string& bytes) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ombrix", 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &key, nullptr));
        RegSetValueExA(key, "PlexaroRecordTest", 0, REG_BINARY, (const BYTE*)bytes.data(), (DWORD)bytes.size());
        RegCloseKey(key);
    }
    char saved_[260];
};

TEST_F(InstallationRecordTest, MissingOrShortRecordIsRefused) {
    EXPECT_FALSE(App().ReadInstallationRecord());
    Write(std::string(1325, 'a'));
    EXPECT_FALSE(App().ReadInstallationRecord());
}

TEST_F(InstallationRecordTest, LongerRecordIsCutAndItsTextsAlwaysEnd) {
    // Every byte non-zero: no text field carries a terminator of its own.
    Write(std::string(1400, 'a'));
    ASSERT_TRUE(App().ReadInstallationRecord());
    const InstallationRecord& r = App().installation;
    EXPECT_EQ(259u, strlen(r.installFolder));
    EXPECT_EQ(259u, strlen(r.customDataFolder));
    EXPECT_EQ(259u, strlen(r.updateAddress));
    EXPECT_EQ(259u, strlen(r.downloadAddress));
    EXPECT_EQ('a', r.reserved2[5]);
}

// A restart request posts the quit message and is carried out at exit: every test here
// takes its quit message back and clears the request, or the test program would restart.
class RestartRequestTest : public ::testing::Test {
protected:
    void TearDown() override {
        App().restartMode = 0;
        App().restartArguments[0] = 0;
        App().broadcastRestart = 0;
        _putenv("PLEXARO_TEST_ELEVATION=");
    }
    static bool TookQuitMessage() {
        MSG message;
        return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    }
};

TEST_F(RestartRequestTest, ArgumentsThatWouldNotFitAreRefusedNotCut) {
    std::string tooLong(260, 'a');
    EXPECT_FALSE(RequestRestart(2, tooLong.c_str(), 1));
    EXPECT_EQ(0, App().restartMode);
    EXPECT_EQ(0, App().broadcastRestart);
    EXPECT_FALSE(TookQuitMessage());

    std::string fits(259, 'b');
    EXPECT_TRUE(RequestRestart(2, fits.c_str(), 1));
    EXPECT_EQ(2, App().restartMode);
    EXPECT_EQ(fits, App().restartArguments);
    EXPECT_EQ(1, App().broadcastRestart);
    EXPECT_TRUE(TookQuitMessage());
}

TEST_F(RestartRequestTest, KeepingTheElevationFollowsTheElevationTest) {
    _putenv("PLEXARO_TEST_ELEVATION=0");
    EXPECT_TRUE(RequestRestart(-1, "-x", 0));
    EXPECT_EQ(1, App().restartMode);
    EXPECT_TRUE(TookQuitMessage());
    _putenv("PLEXARO_TEST_ELEVATION=1");
    EXPECT_TRUE(RequestRestart(-1, "-x", 0));
    EXPECT_EQ(2, App().restartMode);
    EXPECT_TRUE(TookQuitMessage());
}

TEST_F(RestartRequestTest, WithoutArgumentsTheCommandLineOfThisStartIsUsed) {
    char saved[sizeof(App().commandLine)];
    memcpy(saved, App().commandLine, sizeof(saved));
    strcpy(App().commandLine, "-AUTOSTART \"C:\\a b\"");
    EXPECT_TRUE(RequestRestart(1, nullptr, 0));
    EXPECT_STREQ("-AUTOSTART \"C:\\a b\"", App().restartArguments);
    EXPECT_TRUE(TookQuitMessage());
    memcpy(App().commandLine, saved, sizeof(saved));
}

TEST(ModalDepth, EndModalNeverGoesBelowZero) {
    CApplication& app = App();
    app.modalDepth = 0;
    app.BeginModal();
    EXPECT_EQ(1, app.modalDepth);
    app.EndModal();
    app.EndModal();
    EXPECT_EQ(0, app.modalDepth);
}

TEST(ToolTipWindow, IsMadeWhenFirstAskedForAndThenKept) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CApplication& app = App();
    if (app.tooltipWindow) DestroyWindow(app.tooltipWindow);
    app.tooltipWindow = nullptr;

    HWND tip = app.ToolTipWindow();
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(tip, app.tooltipWindow);
    EXPECT_EQ(tip, app.ToolTipWindow());
    char className[64] = "";
    GetClassNameA(tip, className, sizeof(className));
    EXPECT_STREQ(TOOLTIPS_CLASSA, className);
    EXPECT_TRUE(GetWindowLongA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongA(tip, GWL_STYLE) & TTS_ALWAYSTIP);

    DestroyWindow(tip);
    app.tooltipWindow = nullptr;
}

}  // namespace

namespace {
// Tests point the data folder at temporary folders that are gone by the time the process
// ends: the test program must not write "(OMX)App" at exit.
class NoSaveAtExit : public ::testing::Environment {
    void SetUp() override { App().noSave = 1; }
};
[[maybe_unused]] ::testing::Environment* const kNoSaveAtExit = ::testing::AddGlobalTestEnvironment(new NoSaveAtExit);
}  // namespace
