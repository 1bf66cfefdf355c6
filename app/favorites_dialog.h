// The favourites dialog (resource 458).
#pragma once
#include <windows.h>

constexpr int kFavoritesDialogId = 458;

// Controls of the dialog.
enum : int {
    kFavoritesPathBox = 1067,
    kFavoritesList = 1059,
    kFavoritesAddPath = 1060,
    kFavoritesAddObject = 1063,
    kFavoritesSeparator = 1062,
    kFavoritesRemove = 1061,
    kFavoritesUp = 1011,
    kFavoritesDown = 1012,
};

// The text a separator shows in the list: 32 hyphens.
constexpr char kFavoritesSeparatorText[] = "--------------------------------";

INT_PTR CALLBACK FavoritesDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
