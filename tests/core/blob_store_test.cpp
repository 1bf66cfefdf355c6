#include "framework/core/blob_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/application.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kOptionsSize = 2516;

// Number of entries in a folder, "." and ".." left out.
int EntryCount(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (std::strcmp(data.cFileName, ".") && std::strcmp(data.cFileName, "..")) ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

// A folder path of exactly `length` characters under base (base itself must not exist
// yet), in components short enough to be created one by one.
std::string LongFolder(const std::string& base, size_t length) {
    std::string path = base;
    while (length - path.size() > 41) path += "\\" + std::string(40, 'd');
    const size_t rest = length - path.size();
    if (rest >= 2) path += "\\" + std::string(rest - 1, 'd');
    else if (rest == 1) path += 'd';
    return path;
}

// Holds a file open the way a reader in another process might.
class FileHolder {
public:
    FileHolder(const std::string& path, DWORD share)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr)) {}
    ~FileHolder() { Close(); }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (Valid()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

class BlobStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        std::memcpy(savedPerUser_, App().perUserDataFolder, sizeof(savedPerUser_));
        std::memcpy(savedCommon_, App().commonDataFolder, sizeof(savedCommon_));
        data_ = temp_.File("data");
        common_ = temp_.File("common");
        SetFolders(data_, common_);
    }
    void TearDown() override {
        std::memcpy(App().perUserDataFolder, savedPerUser_, sizeof(savedPerUser_));
        std::memcpy(App().commonDataFolder, savedCommon_, sizeof(savedCommon_));
    }
    static void SetFolders(const std::string& perUser, const std::string& common) {
        ASSERT_LT(perUser.size(), sizeof(App().perUserDataFolder));
        ASSERT_LT(common.size(), sizeof(App().commonDataFolder));
        std::strcpy(App().perUserDataFolder, perUser.c_str());
        std::strcpy(App().commonDataFolder, common.c_str());
    }
    std::string Record(const std::string& file) const { return data_ + "\\" + file; }

    TempFolder temp_;
    std::string data_, common_;

private:
    char savedPerUser_[260] = {};
    char savedCommon_[260] = {};
};

TEST_F(BlobStoreTest, MissingRecordLeavesTheCallersDefaults) {
    std::vector<unsigned char> buffer(kOptionsSize, 0xAB);
    ReadStatus status = ReadStatus::Ok;
    EXPECT_EQ(0, ReadRecord("Options", -1, buffer.data(), kOptionsSize, kFolderPerUser, &status));
    EXPECT_EQ(ReadStatus::NotFound, status);
    EXPECT_EQ(std::vector<unsigned char>(kOptionsSize, 0xAB), buffer);
    EXPECT_EQ(0, ReadRecord("Options", -1, nullptr, kOptionsSize, kFolderPerUser, &status));
    EXPECT_EQ(ReadStatus::NotFound, status);
}

TEST_F(BlobStoreTest, ShorterFileZeroFillsTheRest) {
    struct Case {
        size_t fileSize;
        int expected;
    };
    const Case cases[] = {{0, 0}, {100, 100}, {kOptionsSize, kOptionsSize}, {3000, kOptionsSize}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileSize);
        std::string content(c.fileSize, 0);
        for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(1 + i % 250);
        ASSERT_TRUE(WriteBytes(Record("Options.dcf"), content));
        std::vector<char> buffer(kOptionsSize, '\x5A');
        ReadStatus status = ReadStatus::Failed;
        ASSERT_EQ(c.expected, ReadRecord("Options", -1, buffer.data(), kOptionsSize, kFolderPerUser, &status));
        EXPECT_EQ(ReadStatus::Ok, status);
        EXPECT_EQ(content.substr(0, c.expected), std::string(buffer.data(), c.expected));
        EXPECT_EQ(std::string(kOptionsSize - c.expected, '\0'), std::string(buffer.data() + c.expected, kOptionsSize - c.expected));
    }
}

TEST_F(BlobStoreTest, NullBufferGivesTheFileSizeEvenBeyondAnyRecord) {
    ASSERT_TRUE(WriteBytes(Record("Options.dcf"), std::string(100000, 'x')));
    EXPECT_EQ(100000, ReadRecord("Options", -1, nullptr, kOptionsSize));
    ASSERT_TRUE(WriteBytes(Record("FAV3.dcf"), std::string(7, 'x')));
    EXPECT_EQ(7, ReadRecord("FAV", 3, nullptr, 0));
}

// A record that exists but cannot be read must not look missing: the start-up save would
// then overwrite it with defaults.
TEST_F(BlobStoreTest, UnreadableRecordIsReportedApartFromMissing) {
    ASSERT_TRUE(WriteBytes(Record("Options.dcf"), std::string(kOptionsSize, 'o')));
    FileHolder exclusive(Record("Options.dcf"), 0);
    ASSERT_TRUE(exclusive.Valid());
    std::vector<char> buffer(kOptionsSize, '\x5A');
    ReadStatus status = ReadStatus::Ok;
    EXPECT_EQ(0, ReadRecord("Options", -1, buffer.data(), kOptionsSize, kFolderPerUser, &status));
    EXPECT_EQ(ReadStatus::Failed, status);
    EXPECT_EQ(std::vector<char>(kOptionsSize, '\x5A'), buffer);

    ASSERT_TRUE(MakeFolders(Record("(OMX)App.dcf")));   // a folder where the record should be
    status = ReadStatus::Ok;
    EXPECT_EQ(0, ReadRecord("(OMX)App", -1, buffer.data(), 297, kFolderPerUser, &status));
    EXPECT_EQ(ReadStatus::Failed, status);
}

TEST_F(BlobStoreTest, NumberedRecordIsWrittenThroughTmpWithNothingLeft) {
    // A temporary file left by an earlier failed write is simply overwritten.
    ASSERT_TRUE(WriteBytes(Record("FAV12.dcf_tmp"), std::string(5000, 'z')));
    const std::string favourite("\x04\x00\x00\x00\xFF\xFF", 6);
    ASSERT_EQ(6, WriteRecord("FAV", 12, favourite.data(), 6));
    EXPECT_EQ(favourite, ReadBytes(Record("FAV12.dcf")));
    EXPECT_FALSE(FileExists(Record("FAV12.dcf_tmp")));
    EXPECT_EQ(1, EntryCount(data_));
}

TEST_F(BlobStoreTest, WriteReplacesTheWholeRecord) {
    ASSERT_TRUE(WriteBytes(Record("Options.dcf"), std::string(3000, 'o')));
    ASSERT_EQ(10, WriteRecord("Options", -1, "0123456789", 10));
    EXPECT_EQ("0123456789", ReadBytes(Record("Options.dcf")));
}

TEST_F(BlobStoreTest, WriteCreatesTheDataFolderWithAllMissingParents) {
    const std::string deep = temp_.File("a\\b\\c\\Plexaro");
    SetFolders(deep, common_);
    ASSERT_EQ(4, WriteRecord("(OMX)Cmd", -1, "abc", 4));
    EXPECT_EQ(std::string("abc\0", 4), ReadBytes(deep + "\\(OMX)Cmd.dcf"));
}

TEST_F(BlobStoreTest, WriteThatCannotCreateItsFolderFails) {
    ASSERT_TRUE(WriteBytes(temp_.File("blocker"), "file"));
    SetFolders(temp_.File("blocker\\data"), common_);
    EXPECT_EQ(0, WriteRecord("Options", -1, "x", 1));
    EXPECT_EQ("file", ReadBytes(temp_.File("blocker")));
}

TEST_F(BlobStoreTest, UnsettledDataFolderNeitherReadsNorWrites) {
    SetFolders("", "");
    ReadStatus status = ReadStatus::Ok;
    char buffer[4] = {'k', 'e', 'e', 'p'};
    EXPECT_EQ(0, WriteRecord("Options", -1, "x", 1));
    EXPECT_EQ(0, ReadRecord("Options", -1, buffer, 4, kFolderPerUser, &status));
    EXPECT_NE(ReadStatus::Ok, status);
    EXPECT_EQ(0, std::memcmp(buffer, "keep", 4));
}

// Paths are never cut: a cut path would name a different file. The "_tmp" name counts.
TEST_F(BlobStoreTest, PathsBeyond259CharactersFailWithNothingWritten) {
    struct Case {
        size_t folderLength;   // {folder}\Options.dcf_tmp is folderLength + 16 characters
        bool written;
    };
    const Case cases[] = {{243, true}, {244, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folderLength);
        const std::string folder = LongFolder(temp_.File("long" + std::to_string(c.folderLength)), c.folderLength);
        ASSERT_EQ(c.folderLength, folder.size());
        ASSERT_TRUE(MakeFolders(folder));
        SetFolders(folder, common_);
        EXPECT_EQ(c.written ? 3 : 0, WriteRecord("Options", -1, "new", 3));
        EXPECT_EQ(c.written ? 1 : 0, EntryCount(folder));
        if (c.written) {
            EXPECT_EQ("new", ReadBytes(folder + "\\Options.dcf"));
        }
    }

    // Far too long (a folder given by the caller): nothing at all appears, not even a cut folder.
    const std::string tooLong = LongFolder(temp_.File("x"), 300);
    const int before = EntryCount(temp_.Path());
    EXPECT_EQ(0, WritePath(tooLong.c_str(), "Options", "dcf", "new", 3, kFolderPerUser));
    EXPECT_EQ(0, WriteFileData((tooLong + "\\plain.txt").c_str(), "x", 1, 0));
    EXPECT_EQ(before, EntryCount(temp_.Path()));
    char buffer[3] = {'a', 'b', 'c'};
    ReadStatus status = ReadStatus::Ok;
    EXPECT_EQ(0, ReadPath(tooLong.c_str(), "Options", "dcf", buffer, 3, kFolderPerUser, &status));
    EXPECT_EQ(ReadStatus::Failed, status);
    EXPECT_EQ(0, std::memcmp(buffer, "abc", 3));
    // A record name that makes the path too long fails the same way.
    SetFolders(data_, common_);
    EXPECT_EQ(0, WriteRecord(std::string(250, 'r').c_str(), -1, "new", 3));
    EXPECT_FALSE(FolderExists(data_));
}

// The shell extension may be reading the record while it is replaced: the write waits
// for it to let go.
TEST_F(BlobStoreTest, ReaderHoldingTheRecordBrieflyDelaysTheWrite) {
    ASSERT_TRUE(WriteBytes(Record("Options.dcf"), std::string(kOptionsSize, 'o')));
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread reader([&] {
        FileHolder holder(Record("Options.dcf"), FILE_SHARE_READ | FILE_SHARE_WRITE);
        SetEvent(opened);
        Sleep(300);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(opened, 5000));
    const std::string fresh(kOptionsSize, 'n');
    const DWORD start = GetTickCount();
    const int written = WriteRecord("Options", -1, fresh.data(), kOptionsSize);
    const DWORD elapsed = GetTickCount() - start;
    reader.join();
    CloseHandle(opened);
    EXPECT_EQ(kOptionsSize, written);
    EXPECT_GE(elapsed, 200u);   // the first attempts met the reader
    EXPECT_EQ(fresh, ReadBytes(Record("Options.dcf")));
    EXPECT_FALSE(FileExists(Record("Options.dcf_tmp")));
}

TEST_F(BlobStoreTest, ReaderThatNeverLetsGoFailsTheWriteAndKeepsTheOldRecord) {
    const std::string old(kOptionsSize, 'o');
    ASSERT_TRUE(WriteBytes(Record("Options.dcf"), old));
    FileHolder holder(Record("Options.dcf"), FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(holder.Valid());
    const std::string fresh(kOptionsSize, 'n');
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, WriteRecord("Options", -1, fresh.data(), kOptionsSize));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 800u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_EQ(old, ReadBytes(Record("Options.dcf")));

    holder.Close();
    EXPECT_EQ(kOptionsSize, WriteRecord("Options", -1, fresh.data(), kOptionsSize));
    EXPECT_EQ(fresh, ReadBytes(Record("Options.dcf")));
    EXPECT_FALSE(FileExists(Record("Options.dcf_tmp")));
}

TEST_F(BlobStoreTest, SeriesDeletionStopsAtTheFirstGap) {
    for (const char* name : {"MRU0.dcf", "MRU1.dcf", "MRU3.dcf"}) ASSERT_TRUE(WriteBytes(Record(name), "m"));
    EXPECT_EQ(1, DeleteRecord("MRU", true));   // there is no MRU.dcf
    EXPECT_FALSE(FileExists(Record("MRU0.dcf")));
    EXPECT_FALSE(FileExists(Record("MRU1.dcf")));
    EXPECT_TRUE(FileExists(Record("MRU3.dcf")));
}

// A record held open by a reader is skipped, not taken for the end of the series.
TEST_F(BlobStoreTest, SeriesDeletionSkipsALockedRecord) {
    for (const char* name : {"MRU.dcf", "MRU0.dcf", "MRU1.dcf", "MRU2.dcf"}) ASSERT_TRUE(WriteBytes(Record(name), "m"));
    FileHolder holder(Record("MRU1.dcf"), FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(holder.Valid());
    EXPECT_EQ(0, DeleteRecord("MRU", true));
    EXPECT_FALSE(FileExists(Record("MRU.dcf")));
    EXPECT_FALSE(FileExists(Record("MRU0.dcf")));
    EXPECT_TRUE(FileExists(Record("MRU1.dcf")));
    EXPECT_FALSE(FileExists(Record("MRU2.dcf")));
}

TEST_F(BlobStoreTest, SeriesDeletionFromAnIndexKeepsTheRecordsBelow) {
    for (const char* name : {"FAV.dcf", "FAV0.dcf", "FAV1.dcf", "FAV2.dcf", "FAV3.dcf", "FAV4.dcf", "FAV6.dcf"})
        ASSERT_TRUE(WriteBytes(Record(name), "f"));
    DeleteRecordSeriesFrom("FAV", 2);
    for (const char* kept : {"FAV.dcf", "FAV0.dcf", "FAV1.dcf", "FAV6.dcf"}) EXPECT_TRUE(FileExists(Record(kept))) << kept;
    for (const char* gone : {"FAV2.dcf", "FAV3.dcf", "FAV4.dcf"}) EXPECT_FALSE(FileExists(Record(gone))) << gone;
}

TEST_F(BlobStoreTest, SingleDeletionReportsWhetherTheFileWent) {
    ASSERT_TRUE(WriteBytes(Record("(OMX)UpdateCheck.dcf"), "u"));
    ASSERT_TRUE(WriteBytes(Record("(OMX)UpdateCheck0.dcf"), "u"));
    EXPECT_EQ(0, DeleteRecord("(OMX)UpdateCheck", false));
    EXPECT_FALSE(FileExists(Record("(OMX)UpdateCheck.dcf")));
    EXPECT_TRUE(FileExists(Record("(OMX)UpdateCheck0.dcf")));   // no series asked for
    EXPECT_EQ(1, DeleteRecord("(OMX)UpdateCheck", false));
}

TEST_F(BlobStoreTest, FolderCreation) {
    ASSERT_TRUE(WriteBytes(temp_.File("file"), "f"));
    char missingDrive[] = "?:\\Plexaro\\data";
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        char root[] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) { missingDrive[0] = letter; break; }
    }
    ASSERT_NE('?', missingDrive[0]);
    struct Case {
        std::string path;
        int expected;
        bool existsAfter;
    };
    const Case cases[] = {
        {temp_.File("one"), 0, true},
        {temp_.File("a\\b\\c"), 0, true},
        {temp_.File("x\\y\\"), 0, true},
        {temp_.File("file\\sub"), 1, false},
        {missingDrive, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.expected, CreateFolderPath(c.path.c_str(), false));
        EXPECT_EQ(c.existsAfter, FolderExists(c.path));
    }
    EXPECT_EQ(2, CreateFolderPath("", false));
    EXPECT_EQ(2, CreateFolderPath(nullptr, true));

    // An existing folder is left as it is.
    const int before = EntryCount(temp_.Path());
    EXPECT_EQ(0, CreateFolderPath(temp_.Path().c_str(), false));
    EXPECT_EQ(0, CreateFolderPath(temp_.File("a\\b").c_str(), false));
    EXPECT_EQ(before, EntryCount(temp_.Path()));
    EXPECT_EQ(1, EntryCount(temp_.File("a\\b")));

    EXPECT_EQ(0, CreateFolder(temp_.File("single").c_str(), false));
    EXPECT_EQ(0, CreateFolder(temp_.File("single").c_str(), false));
    EXPECT_EQ(1, CreateFolder(temp_.File("none\\single").c_str(), false));
}

TEST_F(BlobStoreTest, PathLevelCallsBuildTheirNames) {
    // Null folder: the selector's; null extension: left out.
    ASSERT_EQ(3, WritePath(nullptr, "plain", nullptr, "abc", 3, kFolderCommon));
    EXPECT_EQ("abc", ReadBytes(common_ + "\\plain"));
    ASSERT_EQ(2, WritePath(temp_.File("own").c_str(), "note", "txt", "hi", 2, kFolderPerUser));
    EXPECT_EQ("hi", ReadBytes(temp_.File("own\\note.txt")));
    char buffer[8] = {};
    EXPECT_EQ(2, ReadPath(temp_.File("own").c_str(), "note", "txt", buffer, sizeof(buffer), kFolderPerUser));
    EXPECT_EQ(std::string("hi\0\0\0\0\0\0", 8), std::string(buffer, 8));
    EXPECT_EQ(3, ReadPath(nullptr, "plain", nullptr, buffer, 3, kFolderCommon));
    EXPECT_STREQ(App().commonDataFolder, DataFolder(kFolderCommon));
    EXPECT_STREQ(App().perUserDataFolder, DataFolder(kFolderPerUser));
    ASSERT_EQ(3, WriteRecord("Options", -1, "own", 3, kFolderCommon));
    EXPECT_EQ("own", ReadBytes(common_ + "\\Options.dcf"));
    EXPECT_FALSE(FileExists(Record("Options.dcf")));
}

TEST_F(BlobStoreTest, PlainFileWriteReplacesOrAppends) {
    const std::string path = temp_.File("sub\\plain.log");
    EXPECT_EQ(5, WriteFileData(path.c_str(), "first", 5, 0));   // creates the missing folder
    EXPECT_EQ(6, WriteFileData(path.c_str(), "+more", 6, 1));
    EXPECT_EQ(std::string("first+more\0", 11), ReadBytes(path));
    EXPECT_EQ(3, WriteFileData(path.c_str(), "new", 3, 0));
    EXPECT_EQ("new", ReadBytes(path));
    char buffer[4] = {};
    EXPECT_EQ(3, ReadFileData(path.c_str(), buffer, 4));
    EXPECT_EQ(3, ReadFileData(path.c_str(), nullptr, 0));
}

}  // namespace
