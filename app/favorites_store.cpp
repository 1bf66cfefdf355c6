// The favourites table and its storage as the numbered series "FAV"; the recent list.
#include <cstring>

#include "../framework/core/blob_store.h"
#include "item_id_list.h"
#include "options_store.h"
#include "string_list.h"

LPITEMIDLIST g_favorites[kMaxFavorites] = {};

namespace {

constexpr const char* kFavoriteSeries = "FAV";
constexpr const char* kRecentSeries = "MRU";
constexpr int kMaxFavoriteRecord = 65535;
const uint8_t kSeparatorBytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};

bool s_loadComplete = true;

enum class LoadStep { Loaded, SeriesEnd, Refused };

// Loads FAV{i} into entry i. Anything that is neither the separator nor a whole, well
// formed item ID list is refused, and so is a record that could not be read.
LoadStep LoadFavorite(int i) {
    ReadStatus status = ReadStatus::Ok;
    int size = ReadRecord(kFavoriteSeries, i, nullptr, 0, kFolderPerUser, &status);
    if (status == ReadStatus::NotFound) return LoadStep::SeriesEnd;
    if (status != ReadStatus::Ok || size <= 0 || size > kMaxFavoriteRecord) return LoadStep::Refused;

    void* data = AllocateShellMemory(static_cast<size_t>(size));
    if (!data) return LoadStep::Refused;
    int read = ReadRecord(kFavoriteSeries, i, data, size, kFolderPerUser, &status);
    // A file that changed size in between is not trusted either.
    if (status != ReadStatus::Ok || read != size || !IsValidFavoriteRecord(data, static_cast<size_t>(size)) ||
        ReadRecord(kFavoriteSeries, i, nullptr, 0, kFolderPerUser) != size) {
        FreeShellMemory(data);
        return LoadStep::Refused;
    }
    if (IsSeparatorRecord(data, static_cast<size_t>(size))) {
        FreeShellMemory(data);
        g_favorites[i] = FAVORITE_SEPARATOR;
    } else {
        g_favorites[i] = static_cast<LPITEMIDLIST>(data);
    }
    return LoadStep::Loaded;
}

}  // namespace

// The shell allocator and the COM task allocator are the same heap; the fallback serves
// callers (and tests) that run before the shell allocator is taken.
void* AllocateShellMemory(size_t size) {
    return g_shellMalloc ? g_shellMalloc->Alloc(size) : CoTaskMemAlloc(size);
}

void FreeShellMemory(void* memory) {
    if (g_shellMalloc)
        g_shellMalloc->Free(memory);
    else
        CoTaskMemFree(memory);
}

int FavoriteSlots() {
    int32_t count = g_options.FavoriteCount;
    ClampInt(&count, 1, kMaxFavorites);
    return count;
}

void FreeFavorites() {
    for (LPITEMIDLIST& entry : g_favorites) {
        if (entry && entry != FAVORITE_SEPARATOR) FreeShellMemory(entry);
        entry = nullptr;
    }
}

// The series is loaded whether or not favourites are shown: the flag only decides what
// the menus show, and an empty table would otherwise be saved over the stored list.
void LoadFavorites() {
    FreeFavorites();
    s_loadComplete = true;
    const int slots = FavoriteSlots();
    for (int i = 0; i < slots; ++i) {
        LoadStep step = LoadFavorite(i);
        if (step == LoadStep::SeriesEnd) break;
        if (step == LoadStep::Refused) {
            s_loadComplete = false;
            break;
        }
    }
}

bool FavoritesLoadComplete() { return s_loadComplete; }

void SaveFavorites() {
    // Entries are filled from 0 without gaps; the first empty one ends the series.
    const int slots = FavoriteSlots();
    int count = 0;
    for (int i = 0; i < slots; ++i) {
        LPITEMIDLIST entry = g_favorites[i];
        if (!entry) break;
        bool written = false;
        if (entry == FAVORITE_SEPARATOR) {
            written = WriteRecord(kFavoriteSeries, i, kSeparatorBytes, sizeof(kSeparatorBytes), kFolderPerUser) ==
                      static_cast<int>(sizeof(kSeparatorBytes));
        } else {
            // A list too large for a record cannot be stored; it counts as a failed write.
            size_t size = ItemIdListSizeBounded(entry, kMaxFavoriteRecord);
            written = size != 0 && WriteRecord(kFavoriteSeries, i, entry, static_cast<int>(size), kFolderPerUser) ==
                                       static_cast<int>(size);
        }
        // Stop at a failed write and keep the old tail: the series on disk stays whole,
        // partly old and partly new, rather than losing entries.
        if (!written) return;
        count = i + 1;
    }
    DeleteRecordSeriesFrom(kFavoriteSeries, count, kFolderPerUser);
    DeleteRecord(kFavoriteSeries, false, kFolderPerUser);
    s_loadComplete = true;   // the stored series is now the table
}

void ClearRecentList() { DeleteRecord(kRecentSeries, true, kFolderPerUser); }
