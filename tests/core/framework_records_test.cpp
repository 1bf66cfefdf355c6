#include "framework/core/framework_records.h"
#include "framework/core/path_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

TEST(FrameworkRecords, AppSettingsDefaultsAreTheStoredBytes) {
    AppSettingsRecord record;
    std::memset(&record, 0xA5, sizeof(record));   // defaults must not depend on what was there
    SetDefaultAppSettings(&record);

    std::vector<uint8_t> expected(kAppSettingsSize, 0);
    expected[8] = 255;                                                   // scheme not decided
    const uint8_t base[] = {0x18, 0x6E, 0xEE, 0x00};                    // 0x00EE6E18
    const uint8_t highlight[] = {0xFF, 0xAD, 0x55, 0x00};               // 0x0055ADFF
    std::memcpy(&expected[9], base, 4);
    std::memcpy(&expected[17], highlight, 4);
    EXPECT_EQ(expected, Bytes(&record, sizeof(record)));
}

TEST(FrameworkRecords, AppSettingsFieldsSitAtTheirStoredOffsets) {
    // The file is exchanged between both builds and archives: check the layout through
    // the bytes, not through the compiler's view of the struct.
    AppSettingsRecord record = {};
    record.languageIndex = 0x01020304;
    record.settingsStamp = 0x05060708;
    record.customColor2 = 0x11121314;
    record.customTextColor = 0x21222324;
    record.customHighlightedTextColor = 0x31323334;
    record.reserved = 0x41424344;
    std::strcpy(record.fontFaceName, "Tahoma");
    record.fontPointSize = 0x51525354;
    std::vector<uint8_t> b = Bytes(&record, sizeof(record));
    ASSERT_EQ(297u, b.size());
    EXPECT_EQ(0x04, b[0]);
    EXPECT_EQ(0x08, b[4]);
    EXPECT_EQ(0x14, b[13]);
    EXPECT_EQ(0x24, b[21]);
    EXPECT_EQ(0x34, b[25]);
    EXPECT_EQ(0x44, b[29]);
    EXPECT_EQ('T', b[33]);
    EXPECT_EQ(0x54, b[293]);
    EXPECT_EQ(0x51, b[296]);
}

TEST(FrameworkRecords, InstallationRecordFieldsSitAtTheirStoredOffsets) {
    std::vector<uint8_t> raw(kInstallationRecordSize, 0);
    raw[16] = 1;
    raw[18] = 2;
    std::memcpy(&raw[20], "C:\\Install", 11);
    std::memcpy(&raw[280], "D:\\Data", 8);
    std::memcpy(&raw[800], "http://u", 9);
    std::memcpy(&raw[1060], "http://d", 9);
    InstallationRecord record;
    ASSERT_EQ(raw.size(), sizeof(record));
    std::memcpy(&record, raw.data(), raw.size());
    EXPECT_EQ(1, record.customDataFolderFlag);
    EXPECT_EQ(2, record.perUserSubfolderFlag);
    EXPECT_STREQ("C:\\Install", record.installFolder);
    EXPECT_STREQ("D:\\Data", record.customDataFolder);
    EXPECT_STREQ("http://u", record.updateAddress);
    EXPECT_STREQ("http://d", record.downloadAddress);
}

TEST(FrameworkRecords, InstallationStringsAreTerminatedAtTheirLastByte) {
    InstallationRecord record;
    std::memset(&record, 'A', sizeof(record));   // a registry value without any zero
    TerminateInstallationStrings(&record);

    const size_t zeros[] = {279, 539, 799, 1059, 1319};
    std::vector<uint8_t> b = Bytes(&record, sizeof(record));
    for (size_t i = 0; i < b.size(); ++i) {
        bool shouldBeZero = std::find(std::begin(zeros), std::end(zeros), i) != std::end(zeros);
        EXPECT_EQ(shouldBeZero ? 0 : 'A', b[i]) << "byte " << i;
    }
    EXPECT_EQ(259u, std::strlen(record.installFolder));
    EXPECT_EQ(259u, std::strlen(record.customDataFolder));
    EXPECT_EQ(259u, std::strlen(record.updateAddress));
    EXPECT_EQ(259u, std::strlen(record.downloadAddress));
}

TEST(FrameworkRecords, TerminatingKeepsShorterStrings) {
    InstallationRecord record = {};
    std::strcpy(record.installFolder, "C:\\Program Files\\Plexaro");
    std::strcpy(record.updateAddress, "http://example.invalid/version.txt");
    TerminateInstallationStrings(&record);
    EXPECT_STREQ("C:\\Program Files\\Plexaro", record.installFolder);
    EXPECT_STREQ("http://example.invalid/version.txt", record.updateAddress);
}

// --- bounded string helpers used on these fields ---------------------------------------

TEST(PathUtil, FormatBoundedFailsInsteadOfCutting) {
    char out[kMaxPath];
    const std::string folder(250, 'f');
    EXPECT_TRUE(FormatBounded(out, sizeof(out), "%s\\%s", folder.c_str(), "Init"));
    EXPECT_EQ(folder + "\\Init", out);

    // 259 characters fit, 260 do not.
    const std::string exact(255, 'e');
    EXPECT_TRUE(FormatBounded(out, sizeof(out), "%s.dcf", exact.c_str()));
    EXPECT_EQ(259u, std::strlen(out));
    const std::string over(256, 'o');
    EXPECT_FALSE(FormatBounded(out, sizeof(out), "%s.dcf", over.c_str()));
    EXPECT_STREQ("", out);

    EXPECT_TRUE(FormatBounded(out, sizeof(out), "%s%d", "FAV", 12));
    EXPECT_STREQ("FAV12", out);
}

TEST(PathUtil, CopyBoundedFailsInsteadOfCutting) {
    char out[8];
    EXPECT_TRUE(CopyBounded(out, sizeof(out), "1234567"));
    EXPECT_STREQ("1234567", out);
    EXPECT_FALSE(CopyBounded(out, sizeof(out), "12345678"));
    EXPECT_STREQ("", out);
    EXPECT_TRUE(CopyBounded(out, sizeof(out), ""));
    EXPECT_STREQ("", out);
    EXPECT_TRUE(CopyBounded(out, sizeof(out), nullptr));
    EXPECT_STREQ("", out);
    EXPECT_FALSE(CopyBounded(out, 0, "x"));
}

TEST(PathUtil, CopyTruncatedAlwaysTerminates) {
    char out[8];
    std::memset(out, 'X', sizeof(out));
    CopyTruncated(out, sizeof(out), "1234567890");
    EXPECT_STREQ("1234567", out);
    CopyTruncated(out, sizeof(out), "abc");
    EXPECT_STREQ("abc", out);
    CopyTruncated(out, 1, "abc");
    EXPECT_STREQ("", out);
}

TEST(PathUtil, BoundedLengthNeverReadsPastTheField) {
    const char field[4] = {'a', 'b', 'c', 'd'};   // no terminator
    EXPECT_EQ(4u, BoundedLength(field, sizeof(field)));
    EXPECT_EQ(2u, BoundedLength("ab", 260));     // stops at the zero of a short string
    EXPECT_EQ(0u, BoundedLength("", 260));
    EXPECT_EQ(0u, BoundedLength(nullptr, 260));
}

}  // namespace
