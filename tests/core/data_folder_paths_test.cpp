#include "framework/core/data_folders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct PathCase {
    const char* label;
    int16_t customFlag;
    int16_t subfolderFlag;
    std::string custom;
    const char* appData;
    const char* commonAppData;
    const char* user;
    bool ok;
    std::string perUser;
    std::string common;
};

class DataFolderPaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(DataFolderPaths, Compute) {
    const PathCase& c = GetParam();
    InstallationRecord record = {};
    record.customDataFolderFlag = c.customFlag;
    record.perUserSubfolderFlag = c.subfolderFlag;
    ASSERT_LT(c.custom.size(), sizeof(record.customDataFolder));
    std::strcpy(record.customDataFolder, c.custom.c_str());
    char perUser[260], common[260];
    std::memset(perUser, 'j', sizeof(perUser));
    std::memset(common, 'j', sizeof(common));
    EXPECT_EQ(c.ok, ComputeDataFolders(record, c.appData, c.commonAppData, "Plexaro", c.user, perUser, common));
    EXPECT_EQ(c.perUser, perUser);
    EXPECT_EQ(c.common, common);
}

const std::string k255(255, 'c');
const std::string k244(244, 'a');   // + "\Ombrix\Plexaro" = 259
const std::string k245(245, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFolderPaths,
    ::testing::Values(
        PathCase{"SystemFolders", 0, 0, "D:\\ignored", "C:\\Users\\bob\\AppData\\Roaming", "C:\\ProgramData", "bob",
                 true, "C:\\Users\\bob\\AppData\\Roaming\\Ombrix\\Plexaro", "C:\\ProgramData\\Ombrix\\Plexaro"},
        // The subfolder flag only matters for a custom folder.
        PathCase{"SubfolderFlagWithoutCustom", 0, 1, "", "C:\\A", "C:\\B", "bob", true, "C:\\A\\Ombrix\\Plexaro",
                 "C:\\B\\Ombrix\\Plexaro"},
        // Special folders that could not be found: relative to the current drive.
        PathCase{"NoSpecialFolders", 0, 0, "", "", nullptr, "bob", true, "\\Ombrix\\Plexaro", "\\Ombrix\\Plexaro"},
        PathCase{"CustomPerUser", 1, 1, "D:\\Data", "C:\\A", "C:\\B", "bob", true, "D:\\Data\\bob", "D:\\Data"},
        PathCase{"CustomShared", 1, 0, "D:\\Data", "C:\\A", "C:\\B", "bob", true, "D:\\Data", "D:\\Data"},
        PathCase{"CustomAnyNonZeroFlag", -1, 7, "\\\\server\\share", "", "", "eve", true, "\\\\server\\share\\eve",
                 "\\\\server\\share"},
        // Exactly 259 characters fit; one more fails instead of being cut.
        PathCase{"UserJoinFits", 1, 1, k255, "", "", "bob", true, k255 + "\\bob", k255},
        PathCase{"UserJoinTooLong", 1, 1, k255, "", "", "bobby", false, "", ""},
        PathCase{"AppDataJoinFits", 0, 0, "", k244.c_str(), "C:\\B", "bob", true, k244 + "\\Ombrix\\Plexaro",
                 "C:\\B\\Ombrix\\Plexaro"},
        PathCase{"CommonJoinTooLong", 0, 0, "", "C:\\A", k245.c_str(), "bob", false, "", ""}),
    [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.label); });

TEST(DataFolderPathsField, CustomFolderWithoutTerminatorFails) {
    InstallationRecord record = {};
    record.customDataFolderFlag = 1;
    std::memset(record.customDataFolder, 'x', sizeof(record.customDataFolder));
    std::memset(record.reserved1, 'y', sizeof(record.reserved1));
    char perUser[260] = "old", common[260] = "old";
    EXPECT_FALSE(ComputeDataFolders(record, "C:\\A", "C:\\B", "Plexaro", "bob", perUser, common));
    EXPECT_STREQ("", perUser);
    EXPECT_STREQ("", common);
}

}  // namespace
