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
    EXPECT_TRUE(run.windows.empty()) << run.windows[0].title << ": " << run.windows[0].text;

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
        EXPECT_TRUE(run.windows.empty()) << line;
        // The raw command line is kept (cut to 1039 characters) as "(OMX)Cmd".
        std::string stored = ReadBytes(install.DataFile("(OMX)Cmd.dcf"));
        std::string expected = line.substr(0, 1039);
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
