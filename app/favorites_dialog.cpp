// The favourites dialog: edits the favourites table as a list of shell objects and
// separators. Each list item owns its data (a copy of the object's item ID list, or -1 for
// a separator) until OK hands it to the table.
#include "favorites_dialog.h"

#include <cstring>

#include "../framework/core/application.h"
#include "../framework/core/dialog_helpers.h"
#include "../framework/core/help.h"
#include "../framework/core/message_box.h"
#include "options_store.h"
#include "program_texts.h"
#include "shell_objects.h"
#include "string_list.h"

namespace {

constexpr int kTextSize = 260;
constexpr LRESULT kSeparatorData = -1;
const char kHelpFile[] = "Plexaro.chm";
const char kHelpTopic[] = "Favorites.htm";

LRESULT ListMessage(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(dialog, kFavoritesList, message, wParam, lParam);
}

int ItemCount(HWND dialog) { return static_cast<int>(ListMessage(dialog, LB_GETCOUNT)); }

int SelectedIndex(HWND dialog) { return static_cast<int>(ListMessage(dialog, LB_GETCURSEL)); }

bool IsList(LRESULT data) { return data != kSeparatorData && data != 0 && data != LB_ERR; }

// The item's text, or false when it does not fit the 260-byte buffer.
bool ItemText(HWND list, int index, char* text) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length >= kTextSize) return false;
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return true;
}

// New items go after the selected one, or at the top when nothing is selected.
int InsertPosition(HWND dialog) {
    const int selected = SelectedIndex(dialog);
    return selected == LB_ERR ? 0 : selected + 1;
}

// Inserts text with data at position and selects it; false when the list refused it.
bool InsertItem(HWND dialog, int position, const char* text, LRESULT data) {
    const LRESULT index = ListMessage(dialog, LB_INSERTSTRING, position, reinterpret_cast<LPARAM>(text));
    if (index == LB_ERR || index == LB_ERRSPACE) return false;
    ListMessage(dialog, LB_SETITEMDATA, index, data);
    ListMessage(dialog, LB_SETCURSEL, index);
    return true;
}

// Takes ownership of list: it ends up in the list box or is freed.
void InsertList(HWND dialog, LPITEMIDLIST list) {
    char name[kTextSize];
    GetItemName(g_desktopFolder, list, name, sizeof(name), SHGDN_FORPARSING);
    const LRESULT existing = ListMessage(dialog, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (existing != LB_ERR) {
        FreeShellMemory(list);
        ListMessage(dialog, LB_SETCURSEL, existing);
        return;
    }
    if (!InsertItem(dialog, InsertPosition(dialog), name, reinterpret_cast<LRESULT>(list))) {
        FreeShellMemory(list);
        return;
    }
    FitListWidth(GetDlgItem(dialog, kFavoritesList), 2);
}

bool IsFull(HWND dialog) { return ItemCount(dialog) >= FavoriteSlots(); }

void ShowInvalidPath(HWND dialog) {
    CApplication& app = App();
    ShowMessage(dialog, app.productName, app.Text(kTextInvalidPath, 0), 0x111, 0);
}

void AddPath(HWND dialog) {
    if (IsFull(dialog)) return;
    HWND box = GetDlgItem(dialog, kFavoritesPathBox);
    const int length = GetWindowTextLengthA(box);
    if (length <= 0) return;
    // A path longer than the buffer would be cut into another path: refuse it instead.
    if (length >= kTextSize) {
        ShowInvalidPath(dialog);
        return;
    }
    char path[kTextSize];
    if (GetWindowTextA(box, path, sizeof(path)) <= 0) return;
    wchar_t wide[kTextSize];
    LPITEMIDLIST list = nullptr;
    const bool converted = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, kTextSize) > 0;
    const bool parsed = converted && g_desktopFolder &&
                        SUCCEEDED(g_desktopFolder->ParseDisplayName(dialog, nullptr, wide, nullptr, &list, nullptr)) &&
                        list;
    // A list that could never be stored is no better than no list.
    if (parsed && ItemIdListSize(list) == 0) {
        FreeShellMemory(list);
        list = nullptr;
    }
    if (!parsed || !list) {
        ShowInvalidPath(dialog);
        return;
    }
    InsertList(dialog, list);
}

void AddObject(HWND dialog) {
    if (IsFull(dialog)) return;
    char text[kTextSize] = {};
    LPITEMIDLIST list = nullptr;
    if (SelectShellObject(App().instance, dialog, kPickerParsingName, text, &list) == 2) return;
    if (list) InsertList(dialog, list);
}

void AddSeparator(HWND dialog) {
    if (IsFull(dialog)) return;
    InsertItem(dialog, InsertPosition(dialog), kFavoritesSeparatorText, kSeparatorData);
}

void RemoveSelected(HWND dialog) {
    const int selected = SelectedIndex(dialog);
    if (selected == LB_ERR) return;
    const LRESULT data = ListMessage(dialog, LB_GETITEMDATA, selected);
    if (IsList(data)) FreeShellMemory(reinterpret_cast<void*>(data));
    ListMessage(dialog, LB_DELETESTRING, selected);
    // The item that moved into the place is selected; after the last item, none.
    ListMessage(dialog, LB_SETCURSEL, selected < ItemCount(dialog) ? selected : -1);
    FitListWidth(GetDlgItem(dialog, kFavoritesList), 2);
}

void MoveSelected(HWND dialog, int step) {
    const int selected = SelectedIndex(dialog);
    const int target = selected + step;
    if (selected == LB_ERR || target < 0 || target >= ItemCount(dialog)) return;
    char text[kTextSize];
    if (!ItemText(GetDlgItem(dialog, kFavoritesList), selected, text)) return;
    const LRESULT data = ListMessage(dialog, LB_GETITEMDATA, selected);
    ListMessage(dialog, LB_DELETESTRING, selected);
    if (!InsertItem(dialog, target, text, data) && IsList(data)) FreeShellMemory(reinterpret_cast<void*>(data));
}

void OnSelectionChange(HWND dialog) {
    const int selected = SelectedIndex(dialog);
    char text[kTextSize];
    if (selected != LB_ERR && ItemText(GetDlgItem(dialog, kFavoritesList), selected, text))
        SetDlgItemTextA(dialog, kFavoritesPathBox, text);
}

void OnInit(HWND dialog) {
    PrepareDialog(dialog);
    const int slots = FavoriteSlots();
    for (int i = 0; i < slots; ++i) {
        LPITEMIDLIST entry = g_favorites[i];
        if (!entry) continue;
        if (entry == FAVORITE_SEPARATOR) {
            ListMessage(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kFavoritesSeparatorText));
            ListMessage(dialog, LB_SETITEMDATA, ItemCount(dialog) - 1, kSeparatorData);
            continue;
        }
        LPITEMIDLIST copy = CloneItemIdList(entry);
        if (!copy) continue;
        char name[kTextSize];
        GetItemName(g_desktopFolder, entry, name, sizeof(name), SHGDN_FORPARSING);
        const LRESULT index = ListMessage(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (index == LB_ERR || index == LB_ERRSPACE) {
            FreeShellMemory(copy);
            continue;
        }
        ListMessage(dialog, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(copy));
    }
    FitListWidth(GetDlgItem(dialog, kFavoritesList), 2);
}

// Replaces the shown part of the table with the list's items; the items give up their data.
void OnOk(HWND dialog) {
    const int slots = FavoriteSlots();
    for (int i = 0; i < slots; ++i) {
        LPITEMIDLIST& entry = g_favorites[i];
        if (entry && entry != FAVORITE_SEPARATOR) FreeShellMemory(entry);
        entry = nullptr;
    }
    const int count = ItemCount(dialog);
    for (int i = 0; i < count && i < slots; ++i) {
        const LRESULT data = ListMessage(dialog, LB_GETITEMDATA, i);
        if (data == kSeparatorData)
            g_favorites[i] = FAVORITE_SEPARATOR;
        else if (IsList(data))
            g_favorites[i] = reinterpret_cast<LPITEMIDLIST>(data);
        ListMessage(dialog, LB_SETITEMDATA, i, 0);
    }
    EndDialog(dialog, 1);
}

// Whatever the items still own goes with the dialog: everything after Cancel, nothing
// after OK.
void FreeItemData(HWND dialog) {
    const int count = ItemCount(dialog);
    for (int i = 0; i < count; ++i) {
        const LRESULT data = ListMessage(dialog, LB_GETITEMDATA, i);
        if (IsList(data)) FreeShellMemory(reinterpret_cast<void*>(data));
        ListMessage(dialog, LB_SETITEMDATA, i, 0);
    }
}

void OnCommand(HWND dialog, int id, int code) {
    switch (id) {
        case IDOK: OnOk(dialog); return;
        case IDCANCEL: EndDialog(dialog, 2); return;
        case kFavoritesAddPath: AddPath(dialog); return;
        case kFavoritesAddObject: AddObject(dialog); return;
        case kFavoritesSeparator: AddSeparator(dialog); return;
        case kFavoritesRemove: RemoveSelected(dialog); return;
        case kFavoritesUp: MoveSelected(dialog, -1); return;
        case kFavoritesDown: MoveSelected(dialog, 1); return;
        case kFavoritesList:
            if (code == LBN_SELCHANGE) OnSelectionChange(dialog);
            return;
    }
}

}  // namespace

INT_PTR CALLBACK FavoritesDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit(dialog);
            return 1;
        case WM_COMMAND:
            OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return 1;
        case WM_HELP:
            OpenHelp(kHelpFile, kHelpTopic);
            return 1;
        case WM_DESTROY:
            FreeItemData(dialog);
            return 0;
    }
    return 0;
}
