#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/options_store.h"
#include "framework/core/application.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kSeparator("\xFF\xFF\xFF\xFF", 4);
const std::string kDesktopList("\0\0", 2);
const std::string kListA("\x04\0Aa\0\0", 6);
const std::string kListB("\x05\0Bbb\x03\0B\0\0", 10);
const std::string kListC("\x03\0C\0\0", 5);
const std::string kListD("\x06\0Dddd\0\0", 8);

std::string FavName(int i) { return "FAV" + std::to_string(i) + ".dcf"; }

// A table entry as the bytes it stands for (the separator as its four stored bytes).
std::string EntryBytes(LPITEMIDLIST entry) {
    if (!entry) return "<empty>";
    if (entry == FAVORITE_SEPARATOR) return kSeparator;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(entry);
    size_t size = 0;
    while (p[size] | (p[size + 1] << 8)) size += p[size] | (p[size + 1] << 8);
    return std::string(reinterpret_cast<const char*>(p), size + 2);
}

LPITEMIDLIST NewList(const std::string& bytes) {
    void* list = CoTaskMemAlloc(bytes.size());
    memcpy(list, bytes.data(), bytes.size());
    return static_cast<LPITEMIDLIST>(list);
}

class FavoritesStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        CApplication& app = App();
        memcpy(savedFolder_, app.perUserDataFolder, sizeof(savedFolder_));
        ASSERT_LT(temp_.Path().size(), sizeof(app.perUserDataFolder));
        strcpy(app.perUserDataFolder, temp_.Path().c_str());
        savedOptions_ = g_options;
        g_options.ShowFavorites = 1;
        g_options.FavoriteCount = 10;
        FreeFavorites();
    }

    void TearDown() override {
        FreeFavorites();
        g_options = savedOptions_;
        memcpy(App().perUserDataFolder, savedFolder_, sizeof(savedFolder_));
    }

    std::string File(const std::string& name) const { return temp_.File(name); }
    void StoreSeries(const std::vector<std::string>& records) {
        for (size_t i = 0; i < records.size(); ++i) ASSERT_TRUE(WriteBytes(File(FavName(int(i))), records[i]));
    }
    // The stored series as the shell extension reads it: up to the first missing number.
    std::vector<std::string> StoredSeries() const {
        std::vector<std::string> series;
        for (int i = 0; FileExists(File(FavName(i))); ++i) series.push_back(ReadBytes(File(FavName(i))));
        return series;
    }
    std::vector<std::string> Table() const {
        std::vector<std::string> table;
        for (LPITEMIDLIST entry : g_favorites) {
            if (!entry) break;
            table.push_back(EntryBytes(entry));
        }
        return table;
    }

    TempFolder temp_;
    char savedFolder_[260] = {};
    OptionsRecord savedOptions_;
};

TEST_F(FavoritesStoreTest, LoadsListsAndSeparators) {
    StoreSeries({kListA, kSeparator, kDesktopList, kListB});
    LoadFavorites();
    EXPECT_EQ(FAVORITE_SEPARATOR, g_favorites[1]);
    EXPECT_NE(FAVORITE_SEPARATOR, g_favorites[2]) << "the desktop's list is a list, not a separator";
    EXPECT_EQ((std::vector<std::string>{kListA, kSeparator, kDesktopList, kListB}), Table());
    EXPECT_EQ(nullptr, g_favorites[4]);
    EXPECT_TRUE(FavoritesLoadComplete());
}

TEST_F(FavoritesStoreTest, LoadsOnlyAsManyAsTheCountAndTheSaveDropsTheRest) {
    StoreSeries({kListA, kListB, kListC, kListD});
    g_options.FavoriteCount = 3;
    LoadFavorites();
    EXPECT_EQ((std::vector<std::string>{kListA, kListB, kListC}), Table());
    EXPECT_TRUE(FavoritesLoadComplete());
    SaveFavorites();
    EXPECT_EQ((std::vector<std::string>{kListA, kListB, kListC}), StoredSeries());
    EXPECT_FALSE(FileExists(File("FAV3.dcf")));
}

TEST_F(FavoritesStoreTest, SeriesEndsAtTheFirstMissingNumber) {
    StoreSeries({kListA});
    ASSERT_TRUE(WriteBytes(File("FAV2.dcf"), kListC));
    LoadFavorites();
    EXPECT_EQ((std::vector<std::string>{kListA}), Table());
    EXPECT_TRUE(FavoritesLoadComplete()) << "a gap is the series' normal end";
}

TEST_F(FavoritesStoreTest, LoadsWhileFavoritesAreSwitchedOff) {
    StoreSeries({kListA, kSeparator});
    g_options.ShowFavorites = 0;
    LoadFavorites();
    EXPECT_EQ((std::vector<std::string>{kListA, kSeparator}), Table());
    SaveFavorites();
    EXPECT_EQ((std::vector<std::string>{kListA, kSeparator}), StoredSeries());
}

// Records that would make the shell or the separator test read past them stop the load
// there, and the load is marked incomplete so the quiet save keeps the stored series.
TEST_F(FavoritesStoreTest, RefusesMalformedRecords) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"one byte", std::string("\x00", 1)},
        {"three FF bytes", std::string("\xFF\xFF\xFF", 3)},
        {"count past the end", std::string("\x10\0ab\0\0", 6)},
        {"no terminator", std::string("\x04\0ab", 4)},
        {"bytes after the terminator", std::string("\0\0x", 3)},
        {"count below two", std::string("\x01\0\0\0", 4)},
        {"separator with a tail", std::string("\xFF\xFF\xFF\xFF\0\0", 6)},
        {"larger than any item ID list", std::string("\xFD\xFF", 2) + std::string(65531, 'x') + std::string("\0\0\0", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoreSeries({kListA, c.bytes, kListC});
        LoadFavorites();
        EXPECT_EQ((std::vector<std::string>{kListA}), Table());
        EXPECT_FALSE(FavoritesLoadComplete());
    }
}

TEST_F(FavoritesStoreTest, LargestValidRecordLoads) {
    std::string largest = std::string("\xFD\xFF", 2) + std::string(65531, 'x') + std::string("\0\0", 2);
    ASSERT_EQ(65535u, largest.size());
    StoreSeries({largest});
    LoadFavorites();
    EXPECT_EQ((std::vector<std::string>{largest}), Table());
    EXPECT_TRUE(FavoritesLoadComplete());
}

TEST_F(FavoritesStoreTest, UnreadableRecordMarksTheLoadIncomplete) {
    StoreSeries({kListA, kListB});
    HANDLE lock = CreateFileA(File("FAV1.dcf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    LoadFavorites();
    CloseHandle(lock);
    EXPECT_EQ((std::vector<std::string>{kListA}), Table());
    EXPECT_FALSE(FavoritesLoadComplete());
}

TEST_F(FavoritesStoreTest, SaveWritesTheTableAndRemovesTheOldTail) {
    StoreSeries({kListD, kListD, kListD, kListD, kListD});
    ASSERT_TRUE(WriteBytes(File("FAV.dcf"), "unnumbered"));
    g_favorites[0] = NewList(kListB);
    g_favorites[1] = FAVORITE_SEPARATOR;
    g_favorites[2] = NewList(kDesktopList);
    SaveFavorites();
    EXPECT_EQ((std::vector<std::string>{kListB, kSeparator, kDesktopList}), StoredSeries());
    EXPECT_FALSE(FileExists(File("FAV3.dcf")));
    EXPECT_FALSE(FileExists(File("FAV4.dcf")));
    EXPECT_FALSE(FileExists(File("FAV.dcf")));
    EXPECT_FALSE(FileExists(File("FAV0.dcf_tmp")));
}

TEST_F(FavoritesStoreTest, SavedTableLoadsBackTheSame) {
    g_favorites[0] = FAVORITE_SEPARATOR;
    g_favorites[1] = NewList(kDesktopList);
    g_favorites[2] = NewList(kListB);
    SaveFavorites();
    FreeFavorites();
    LoadFavorites();
    EXPECT_EQ((std::vector<std::string>{kSeparator, kDesktopList, kListB}), Table());
}

TEST_F(FavoritesStoreTest, EmptyTableRemovesTheSeries) {
    StoreSeries({kListA, kListB});
    SaveFavorites();
    EXPECT_TRUE(StoredSeries().empty());
}

// A save that stops half-way (here FAV1 cannot be written) leaves a series that still
// reads whole: the new records written so far, then the old ones. The old series is never
// removed before the new one is on disk.
TEST_F(FavoritesStoreTest, InterruptedSaveLeavesAReadableSeries) {
    StoreSeries({kListA, kListB, kListC, kListD});
    ASSERT_TRUE(CreateDirectoryA(File("FAV1.dcf_tmp").c_str(), nullptr));
    g_favorites[0] = NewList(kDesktopList);
    g_favorites[1] = FAVORITE_SEPARATOR;
    g_favorites[2] = NewList(kListD);
    SaveFavorites();

    std::vector<std::string> series = StoredSeries();
    EXPECT_EQ((std::vector<std::string>{kDesktopList, kListB, kListC, kListD}), series);
    FreeFavorites();
    LoadFavorites();
    EXPECT_EQ(series, Table());
    EXPECT_TRUE(FavoritesLoadComplete());
}

TEST_F(FavoritesStoreTest, ClearRecentListDeletesTheSeriesUpToItsGap) {
    for (const char* name : {"MRU.dcf", "MRU0.dcf", "MRU1.dcf", "MRU3.dcf"}) ASSERT_TRUE(WriteBytes(File(name), "r"));
    StoreSeries({kListA});
    ClearRecentList();
    EXPECT_FALSE(FileExists(File("MRU.dcf")));
    EXPECT_FALSE(FileExists(File("MRU0.dcf")));
    EXPECT_FALSE(FileExists(File("MRU1.dcf")));
    EXPECT_TRUE(FileExists(File("MRU3.dcf")));
    EXPECT_EQ((std::vector<std::string>{kListA}), StoredSeries()) << "favourites are not recent items";
}

TEST_F(FavoritesStoreTest, ClearRecentListWithoutTheUnnumberedRecordStillDeletesTheSeries) {
    for (const char* name : {"MRU0.dcf", "MRU1.dcf"}) ASSERT_TRUE(WriteBytes(File(name), "r"));
    ClearRecentList();
    EXPECT_FALSE(FileExists(File("MRU0.dcf")));
    EXPECT_FALSE(FileExists(File("MRU1.dcf")));
}

}  // namespace
