// One instance: a second start hands over to the first; restarts for elevated saves.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <vector>

#include "../../app/options_record.h"
#include "../../framework/core/crc32.h"
#include "../support/installation.h"
#include "../support/window_driver.h"

namespace {

std::string CommandRecord(const TestInstallation& install) {
    return std::string(ReadBytes(install.DataFile("(OMX)Cmd.dcf")).c_str());
}

class InstanceE2E : public ::testing::Test {
protected:
    TestInstallation install;
};

TEST_F(InstanceE2E, SecondStartEndsWithoutAWindowAndBringsTheFirstBack) {
    RunningProgram first("-AUTOSTART");
    HWND dialog = first.WaitForWindow("Plexaro", "#32770");
    ASSERT_NE(nullptr, dialog);
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));

    RunResult second = RunProgram("");
    EXPECT_FALSE(second.timedOut);
    EXPECT_EQ(0u, second.exitCode);
    EXPECT_TRUE(second.windows.empty());
    // The hand-over is synchronous: the first instance has acted by the time the second ends.
    EXPECT_FALSE(IsIconic(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));
    // The second start copied nothing and kept the first's command line.
    EXPECT_EQ("-AUTOSTART", CommandRecord(install));
    ClickButton(dialog, IDCANCEL);
    DWORD exitCode = 99;
    EXPECT_TRUE(first.WaitForExit(10000, &exitCode));
}

TEST_F(InstanceE2E, QuitEndsTheRunningInstanceWhichSavesItsSettings) {
    RunningProgram first("-AUTOSTART");
    ASSERT_NE(nullptr, first.WaitForWindow("Plexaro", "#32770"));
    // The running instance writes "(OMX)App" only at its end.
    DeleteFileA(install.DataFile("(OMX)App.dcf").c_str());

    RunResult quit = RunProgram("-QUIT");
    EXPECT_EQ(0u, quit.exitCode);
    EXPECT_TRUE(quit.windows.empty());
    ASSERT_NO_FATAL_FAILURE(first.ExpectCleanExit(10000));
    EXPECT_EQ(297u, ReadBytes(install.DataFile("(OMX)App.dcf")).size());
    EXPECT_EQ("-AUTOSTART", CommandRecord(install));
}

TEST_F(InstanceE2E, ControlMessagesOfAnotherProductAndUnknownCodesAreIgnored) {
    RunningProgram first("");
    HWND dialog = first.WaitForWindow("Plexaro", "#32770");
    ASSERT_NE(nullptr, dialog);
    UINT control = RegisterWindowMessageA("OMXMSG_OMXCONTROL");
    const uint32_t check = Crc32("Plexaro", 7);
    // Another product's quit, and codes that are no command (a close, a message that would
    // read through a null pointer) with this product's check value.
    DWORD_PTR result;
    SendMessageTimeoutA(HWND_BROADCAST, control, 33795, 0x12345678, SMTO_ABORTIFHUNG, 3000, &result);
    for (WPARAM code : {(WPARAM)WM_CLOSE, (WPARAM)WM_GETMINMAXINFO, (WPARAM)33788})
        SendMessageTimeoutA(HWND_BROADCAST, control, code, check, SMTO_ABORTIFHUNG, 3000, &result);
    Sleep(300);
    DWORD exitCode = 0;
    EXPECT_FALSE(first.WaitForExit(0, &exitCode)) << "the program ended on a foreign or unknown control message";
    EXPECT_TRUE(IsWindow(dialog));
    // This product's quit still works.
    SendMessageTimeoutA(HWND_BROADCAST, control, 33795, check, SMTO_ABORTIFHUNG, 3000, &result);
    EXPECT_TRUE(first.WaitForExit(10000, &exitCode));
}

TEST_F(InstanceE2E, TwoStartsAtTheSameMomentOpenExactlyOneDialog) {
    for (int round = 0; round < 20; ++round) {
        RunningProgram a(""), b("");
        ASSERT_TRUE(a.Started() && b.Started());
        HWND dialogA = a.WaitForWindow("Plexaro", "#32770", 20000);
        DWORD exitCode = 99;
        RunningProgram* other = &b;
        if (!dialogA) {
            // a handed over: b has the dialog.
            EXPECT_TRUE(a.WaitForExit(10000, &exitCode)) << "round " << round;
            dialogA = b.WaitForWindow("Plexaro", "#32770", 20000);
            other = &a;
        }
        ASSERT_NE(nullptr, dialogA) << "round " << round;
        // The other start ends by itself, without a dialog.
        EXPECT_TRUE(other->WaitForExit(10000, &exitCode)) << "round " << round;
        EXPECT_EQ(0u, exitCode) << "round " << round;
        EXPECT_EQ(nullptr, other->WaitForWindow("Plexaro", "#32770", 0)) << "round " << round;
        ClickButton(dialogA, IDCANCEL);
        EXPECT_TRUE(WaitForNoProcess("Plexaro.exe", 10000)) << "round " << round;
    }
}

// Restarts of the program run with the test's environment.
class ElevationOverride {
public:
    explicit ElevationOverride(const char* value) { SetEnvironmentVariableA("PLEXARO_TEST_ELEVATION", value); }
    ~ElevationOverride() { SetEnvironmentVariableA("PLEXARO_TEST_ELEVATION", nullptr); }
};

TEST_F(InstanceE2E, NotElevatedOkRestartsElevatedAndTheCopyWritesTheCommand) {
    UnknownTypeCommandGuard guard;
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "Unknown\\shell\\open\\command");
    const std::string command = "\"C:\\Tools\\viewer.exe\" \"%1\"";
    std::string value;
    {
        ElevationOverride notElevated("0");
        RunningProgram program("-AUTOSTART");
        HWND dialog = program.WaitForWindow("Plexaro", "#32770");
        ASSERT_NE(nullptr, dialog);
        SetText(dialog, 1019, command);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
        ASSERT_NO_FATAL_FAILURE(program.ExpectCleanExit(10000));
    }
    // The elevated copy saves and ends by itself, without a window.
    DWORD start = GetTickCount();
    while (!(UnknownTypeCommandGuard::Read(&value) && value == command) && GetTickCount() - start < 20000) Sleep(100);
    EXPECT_EQ(command, value);
    EXPECT_TRUE(WaitForNoProcess("Plexaro.exe", 20000));
    EXPECT_EQ("-SAVEASADMIN", CommandRecord(install));
    OptionsRecord record = {};
    std::string bytes = ReadBytes(install.DataFile("Options.dcf"));
    ASSERT_EQ(sizeof(record), bytes.size());
    memcpy(&record, bytes.data(), sizeof(record));
    EXPECT_EQ(command, record.UnknownTypeCommand);
}

TEST_F(InstanceE2E, ElevatedOkWritesTheCommandItself) {
    UnknownTypeCommandGuard guard;
    const std::string command = "\"C:\\Tools\\other.exe\" \"%1\"";
    ElevationOverride elevated("1");
    RunningProgram program("-AUTOSTART");
    HWND dialog = program.WaitForWindow("Plexaro", "#32770");
    ASSERT_NE(nullptr, dialog);
    SetText(dialog, 1019, command);
    ClickButton(dialog, IDOK);
    DWORD exitCode = 99;
    ASSERT_TRUE(program.WaitForExit(10000, &exitCode));
    std::string value;
    EXPECT_TRUE(UnknownTypeCommandGuard::Read(&value));
    EXPECT_EQ(command, value);
    EXPECT_TRUE(WaitForNoProcess("Plexaro.exe", 5000));
    EXPECT_EQ("-AUTOSTART", CommandRecord(install));
}

}  // namespace
