// The real program, started in the Wine prefix against an installation of the test's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <ctime>

#include "../../app/options_record.h"
#include "../support/installation.h"

namespace {

OptionsRecord ReadOptions(const std::string& path) {
    OptionsRecord record = {};
    std::string bytes = ReadBytes(path);
    memcpy(&record, bytes.data(), bytes.size() < sizeof(record) ? bytes.size() : sizeof(record));
    return record;
}

// A normal start shows the options dialog and nothing else (the runner closes it: Cancel).
bool ShowedOnlyTheOptionsDialog(const RunResult& run) {
    return run.windows.size() == 1 && run.windows[0].title == "Plexaro" && run.windows[0].className == "#32770";
}

bool SawText(const RunResult& run, const char* text) {
    for (const SeenWindow& w : run.windows)
        if (w.text.find(text) != std::string::npos || w.title.find(text) != std::string::npos) return true;
    return false;
}

class StartupE2E : public ::testing::Test {
protected:
    TestInstallation install;
};

TEST_F(StartupE2E, FirstStartWritesTheOptionsAndFrameworkRecords) {
    uint32_t before = (uint32_t)time(nullptr);
    RunResult run = RunProgram("");
    uint32_t after = (uint32_t)time(nullptr);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(ShowedOnlyTheOptionsDialog(run));

    std::string options = ReadBytes(install.DataFile("Options.dcf"));
    ASSERT_EQ(2516u, options.size());
    OptionsRecord record = ReadOptions(install.DataFile("Options.dcf"));
    EXPECT_GE(record.LastStart, before);
    EXPECT_LE(record.LastStart, after);
    // Explorer's setting decided the undecided default; the extension's own bytes are untouched.
    EXPECT_TRUE(record.IncludeHidden == 0 || record.IncludeHidden == 1) << record.IncludeHidden;
    EXPECT_EQ(0, memcmp(record.extension0, "PX0!", 4));
    EXPECT_EQ(0, memcmp(record.extension4, "PX4!", 4));
    EXPECT_EQ(10, record.FavoriteCount);

    EXPECT_EQ(297u, ReadBytes(install.DataFile("(OMX)App.dcf")).size());
    EXPECT_EQ(std::string(1, '\0'), ReadBytes(install.DataFile("(OMX)Cmd.dcf")));
    EXPECT_FALSE(FileExists(install.DataFile("Options.dcf_tmp")));
}

TEST_F(StartupE2E, StoredOptionsAreReadOverTheDefaultsAndKept) {
    RunResult first = RunProgram("");
    ASSERT_EQ(0u, first.exitCode);
    OptionsRecord record = ReadOptions(install.DataFile("Options.dcf"));
    record.RecentCount = 33;
    record.LastStart = 7;
    strcpy(record.StartMenuRoot, "C:\\windows");
    ASSERT_TRUE(WriteBytes(install.DataFile("Options.dcf"), std::string((const char*)&record, sizeof(record))));

    RunResult second = RunProgram("-AUTOSTART -MINIMIZE");
    ASSERT_EQ(0u, second.exitCode);
    OptionsRecord again = ReadOptions(install.DataFile("Options.dcf"));
    EXPECT_EQ(33, again.RecentCount);
    EXPECT_STREQ("C:\\windows", again.StartMenuRoot);
    EXPECT_GT(again.LastStart, 7u);
    EXPECT_EQ("-AUTOSTART -MINIMIZE", std::string(ReadBytes(install.DataFile("(OMX)Cmd.dcf")).c_str()));
}

TEST_F(StartupE2E, SaveAsAdminSavesAndEndsWithoutAWindow) {
    RunResult run = RunProgram("-SAVEASADMIN");
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.windows.empty());
    EXPECT_EQ(2516u, ReadBytes(install.DataFile("Options.dcf")).size());
    EXPECT_EQ(297u, ReadBytes(install.DataFile("(OMX)App.dcf")).size());
}

TEST_F(StartupE2E, QuitWithoutARunningInstanceEndsAtOnceAndSavesNothing) {
    RunResult run = RunProgram("-quit -WAITFORDATAPATH");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.windows.empty());
    EXPECT_FALSE(FileExists(install.DataFile("(OMX)App.dcf")));
    EXPECT_FALSE(FileExists(install.DataFile("(OMX)Cmd.dcf")));
    EXPECT_FALSE(FileExists(install.DataFile("Options.dcf")));
}

// A missing, short or long installation record: only an exact or longer value is accepted.
struct RecordCase { const char* name; int size; bool accepted; };
void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.name << " (" << c.size << " bytes)"; }

class InstallationRecordE2E : public StartupE2E, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(InstallationRecordE2E, StartsOnlyWithAWholeRecord) {
    const RecordCase& c = GetParam();
    if (c.size < 0) {
        ASSERT_TRUE(install.DeleteRecord());
    } else {
        std::string bytes((const char*)&install.Record(), sizeof(InstallationRecord));
        bytes.resize(c.size, 'x');
        ASSERT_TRUE(install.WriteRecordBytes(bytes));
    }
    RunResult run = RunProgram("");
    ASSERT_FALSE(run.timedOut);
    if (c.accepted) {
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ(2516u, ReadBytes(install.DataFile("Options.dcf")).size());
    } else {
        EXPECT_EQ(61462u, run.exitCode);
        ASSERT_EQ(1u, run.windows.size());
        EXPECT_EQ("Plexaro", run.windows[0].title);
        EXPECT_TRUE(SawText(run, "Error initializing the application!")) << run.windows[0].text;
        EXPECT_TRUE(SawText(run, "Error code 0x0000F016.")) << run.windows[0].text;
        EXPECT_FALSE(FileExists(install.DataFolder()));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, InstallationRecordE2E,
                         ::testing::Values(RecordCase{"missing", -1, false}, RecordCase{"short", 1325, false},
                                           RecordCase{"empty", 0, false}, RecordCase{"exact", 1326, true},
                                           RecordCase{"long", 1400, true}),
                         [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

TEST_F(StartupE2E, MissingExtensionLibraryIsReportedAndNothingIsSaved) {
    // A copy of the program alone: the extension beside it is missing.
    std::string lonely = install.Temp().File("lonely");
    CreateDirectoryA(lonely.c_str(), nullptr);
    std::string exe = lonely + "\\Plexaro.exe";
    ASSERT_TRUE(CopyFileA((BuildFolder() + "\\Plexaro.exe").c_str(), exe.c_str(), FALSE));
    RunResult run = RunProgram("", 30000, exe);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_TRUE(SawText(run, "Error code 0x00000001.")) << (run.windows.empty() ? "" : run.windows[0].text);
    EXPECT_FALSE(FileExists(install.DataFile("Options.dcf")));
}

TEST_F(StartupE2E, StartupFilesAreCopiedWithoutReplacingExistingOnes) {
    std::string init = install.InstallFolder() + "\\Init";
    CreateDirectoryA((init + "\\Sub").c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(init + "\\Extra.dat", "from setup"));
    ASSERT_TRUE(WriteBytes(init + "\\Sub\\Nested.dat", "nested"));
    ASSERT_TRUE(WriteBytes(init + "\\Kept.dat", "from setup"));
    CreateDirectoryA(install.DataFolder().c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(install.DataFile("Kept.dat"), "user's own"));

    RunResult run = RunProgram("");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ("from setup", ReadBytes(install.DataFile("Extra.dat")));
    EXPECT_EQ("nested", ReadBytes(install.DataFile("Sub\\Nested.dat")));
    EXPECT_EQ("user's own", ReadBytes(install.DataFile("Kept.dat")));
}

TEST_F(StartupE2E, HostileCommandLinesAreParsedWithoutHarm) {
    std::string longSwitch = "-" + std::string(1000, 'S');
    std::string longValue(1000, 'v');
    const std::string lines[] = {
        "\"unterminated quote -SAVEASADMIN",
        longSwitch + " " + longValue + " -AUTOSTART",
        "   -   \"\"  \"\" -MINIMIZE\t-x",
    };
    for (const std::string& line : lines) {
        RunResult run = RunProgram(line);
        EXPECT_FALSE(run.timedOut) << line;
        EXPECT_EQ(0u, run.exitCode) << line;
        // Inside the unterminated quote "-SAVEASADMIN" is a value, not a switch: every line
        // opens the options dialog.
        EXPECT_TRUE(ShowedOnlyTheOptionsDialog(run)) << line;
        // The command line as the program got it (the runtime drops the blanks that follow
        // the program name) is kept, cut to 1039 characters, as "(OMX)Cmd".
        std::string stored = ReadBytes(install.DataFile("(OMX)Cmd.dcf"));
        std::string expected = line.substr(line.find_first_not_of(' ')).substr(0, 1039);
        EXPECT_EQ(expected.size() + 1, stored.size()) << line;
        EXPECT_EQ(expected, std::string(stored.c_str())) << line;
    }
}

TEST_F(StartupE2E, UncreatableDataFolderWritesNothingElsewhere) {
    // The data folder would lie below a file: it can never be created.
    std::string blocker = install.Temp().File("blocker");
    ASSERT_TRUE(WriteBytes(blocker, "a file, not a folder"));
    strcpy(install.Record().customDataFolder, (blocker + "\\data").c_str());
    ASSERT_TRUE(install.WriteRecord());

    RunResult run = RunProgram("");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ("a file, not a folder", ReadBytes(blocker));
    EXPECT_FALSE(FileExists(install.DataFile("Options.dcf")));
    EXPECT_FALSE(FileExists(BuildFolder() + "\\Options.dcf"));
    EXPECT_FALSE(FileExists(install.Temp().File("Options.dcf")));
}

}  // namespace

namespace {

struct WaiterSearch { DWORD pid; HWND found; };

BOOL CALLBACK FindWaiter(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WaiterSearch*>(param);
    char cls[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && GetClassNameA(window, cls, sizeof(cls)) && strcmp(cls, "OMXWaitForDataPath") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(StartupE2E, QuittingTheDataFolderWaitEndsQuietlyAndWritesNothing) {
    std::string blocker = install.Temp().File("blocker");
    ASSERT_TRUE(WriteBytes(blocker, "a file, not a folder"));
    strcpy(install.Record().customDataFolder, (blocker + "\\data").c_str());
    ASSERT_TRUE(install.WriteRecord());

    bool sawWaiter = false;
    RunResult run = RunProgram("-WAITFORDATAPATH", 30000, "", [&](DWORD pid) {
        WaiterSearch search = {pid, nullptr};
        EnumWindows(FindWaiter, (LPARAM)&search);
        if (search.found && !sawWaiter) {
            sawWaiter = true;
            // The only item of the notification icon's menu.
            PostMessageA(search.found, WM_COMMAND, 1, 0);
        }
    });
    EXPECT_TRUE(sawWaiter);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.windows.empty());
    EXPECT_EQ("a file, not a folder", ReadBytes(blocker));
    EXPECT_FALSE(FileExists(install.DataFile("Options.dcf")));
}

TEST_F(StartupE2E, WritableDataFolderIsNotWaitedFor) {
    RunResult run = RunProgram("-WAITFORDATAPATH");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(ShowedOnlyTheOptionsDialog(run));
    EXPECT_EQ(2516u, ReadBytes(install.DataFile("Options.dcf")).size());
    EXPECT_FALSE(FileExists(install.DataFile("OMXWriteTest.tmp")));
}

TEST_F(StartupE2E, ElevatedSaveWritesTheCommandWithoutRestarting) {
    UnknownTypeCommandGuard guard;
    ASSERT_EQ(0u, RunProgram("").exitCode);
    OptionsRecord record = ReadOptions(install.DataFile("Options.dcf"));
    const char command[] = "\"C:\\Tools\\other.exe\" \"%1\"";
    strcpy(record.UnknownTypeCommand, command);
    ASSERT_TRUE(WriteBytes(install.DataFile("Options.dcf"), std::string((const char*)&record, sizeof(record))));

    SetEnvironmentVariableA("PLEXARO_TEST_ELEVATION", "1");
    RunResult run = RunProgram("-SAVEASADMIN -AUTOSTART");
    SetEnvironmentVariableA("PLEXARO_TEST_ELEVATION", nullptr);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(WaitForNoProcess("Plexaro.exe", 5000));
    EXPECT_EQ("-SAVEASADMIN -AUTOSTART", std::string(ReadBytes(install.DataFile("(OMX)Cmd.dcf")).c_str()));
    std::string value;
    EXPECT_TRUE(UnknownTypeCommandGuard::Read(&value));
    EXPECT_EQ(command, value);
}

}  // namespace
