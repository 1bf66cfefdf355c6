// The program's Options record and its storage: the data folder, the favourites and the
// system settings that mirror it.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include "options_record.h"

extern OptionsRecord g_options;
extern IMalloc* g_shellMalloc;
extern IShellFolder* g_desktopFolder;

enum SaveMode { kSaveQuiet = 0, kSaveApply = 1, kSaveOk = 2 };

// Fills g_options from the data folder and the registry over the extension's defaults.
void LoadOptions();

// Stores the record, the favourites and the system settings. Returns false when the
// Options record could not be written (the caller tells the user in modes 1 and 2).
bool SaveOptions(int mode);

// The favourites table: 64 entries, each empty (null), the separator mark, or an item ID
// list owned by the table and allocated with the shell allocator.
extern LPITEMIDLIST g_favorites[kMaxFavorites];
#define FAVORITE_SEPARATOR ((LPITEMIDLIST)(intptr_t)-1)

// Memory for item ID lists: the shell allocator, or the COM task allocator (the same heap)
// before the shell allocator is taken (early start-up, tests).
void* AllocateShellMemory(size_t size);
void FreeShellMemory(void* memory);
// The favourite slots shown, saved and edited: FavoriteCount kept within 1..64.
int FavoriteSlots();

void LoadFavorites();
// Rewrites the FAV series from the table: FAV0..n-1 first, then removes what is left of
// the old series, so an interrupted save leaves a readable series.
void SaveFavorites();
// False when the last LoadFavorites stopped at a record it could not read or accept; the
// quiet save then leaves the stored series alone until the table is saved explicitly.
bool FavoritesLoadComplete();
void FreeFavorites();
void ClearRecentList();
