// The favourites dialog opened for real on the test thread, over real folders of a
// temporary tree, driven from a second thread with the messages its controls send.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../app/favorites_dialog.h"
#include "../../app/options_store.h"
#include "../../app/program_texts.h"
#include "../../app/shell_objects.h"
#include "../../framework/core/application.h"
#include "../../framework/core/dialog_helpers.h"
#include "../../framework/core/message_box.h"
#include "../support/dialog_driver.h"
#include "../support/temp_folder.h"

namespace {

const char kProduct[] = "FavoritesTestProduct";
const std::string kSeparator = kFavoritesSeparatorText;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// The parsing name of a table entry, or "<sep>" / "<empty>".
std::string EntryName(LPITEMIDLIST entry) {
    if (!entry) return "<empty>";
    if (entry == FAVORITE_SEPARATOR) return "<sep>";
    char name[260];
    GetItemName(g_desktopFolder, entry, name, sizeof(name), SHGDN_FORPARSING);
    return name;
}

std::vector<std::string> Items(HWND dialog) { return ListItems(dialog, kFavoritesList); }
std::string Selected(HWND dialog) { return SelectedItem(dialog, kFavoritesList); }

class FavoritesDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        App().texts.SetTextTable(0, g_programTexts);
        if (!g_desktopFolder) {
            ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(&g_desktopFolder)));
            ownDesktop_ = true;
        }
        saved_ = g_options;
        strcpy(savedProduct_, App().productName);
        strcpy(App().productName, kProduct);
        for (const char* name : {"Alpha", "Beta", "Gamma"}) ASSERT_TRUE(MakeFolders(temp_.File(name)));
        g_options.ShowFavorites = 1;
        g_options.FavoriteCount = 10;
        FreeFavorites();
    }
    void TearDown() override {
        FreeFavorites();
        g_options = saved_;
        strcpy(App().productName, savedProduct_);
        if (ownDesktop_) {
            g_desktopFolder->Release();
            g_desktopFolder = nullptr;
        }
    }

    // The shell's list of a path; the table takes it over.
    static LPITEMIDLIST ListOf(const std::string& path) {
        wchar_t wide[260];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 260);
        LPITEMIDLIST list = nullptr;
        EXPECT_TRUE(SUCCEEDED(g_desktopFolder->ParseDisplayName(nullptr, nullptr, wide, nullptr, &list, nullptr)))
            << path;
        return list;
    }

    std::vector<std::string> Table() const {
        std::vector<std::string> names;
        for (int i = 0; i < kMaxFavorites; ++i) names.push_back(EntryName(g_favorites[i]));
        return names;
    }

    // The names the table is expected to hold: these, then empty slots.
    static std::vector<std::string> Expected(std::vector<std::string> names) {
        names.resize(kMaxFavorites, "<empty>");
        return names;
    }

    // The path box gets the text, then "Add Path" is pressed; returns a window it opened.
    static void AddPath(HWND dialog, const std::string& path) {
        SetDlgItemTextA(dialog, kFavoritesPathBox, path.c_str());
        Press add(dialog, kFavoritesAddPath);
        EXPECT_EQ(nullptr, add.Opened()) << "a message for " << path;
    }

    static INT_PTR Run(const std::function<void(HWND)>& drive) {
        return RunDriven("Favorites", [] { return RunModalDialog(nullptr, kFavoritesDialogId, FavoritesDialog, 0); },
                         drive);
    }

    std::string Path(const char* name) const { return temp_.File(name); }

    TempFolder temp_;
    OptionsRecord saved_;
    char savedProduct_[260] = {};
    bool ownDesktop_ = false;
};

TEST_F(FavoritesDialogTest, OpeningShowsTheShownSlotsWithNamesAndSeparators) {
    g_favorites[0] = ListOf(Path("Alpha"));
    g_favorites[1] = FAVORITE_SEPARATOR;
    g_favorites[2] = ListOf(Path("Beta"));
    g_favorites[3] = ListOf(Path("Gamma"));   // beyond the slots: neither shown nor touched
    g_options.FavoriteCount = 3;
    LPITEMIDLIST hidden = g_favorites[3];
    EXPECT_EQ(1, Run([&](HWND dialog) {
        EXPECT_EQ((std::vector<std::string>{Path("Alpha"), kSeparator, Path("Beta")}), Items(dialog));
        EXPECT_EQ("<none>", Selected(dialog));
        EXPECT_GT(SendDlgItemMessageA(dialog, kFavoritesList, LB_GETHORIZONTALEXTENT, 0, 0), 2)
            << "the list scrolls as far as its widest name";
        SelectItem(dialog, kFavoritesList, 2);
        EXPECT_EQ(Path("Beta"), ControlText(dialog, kFavoritesPathBox)) << "a selected item fills the path box";
        SelectItem(dialog, kFavoritesList, 1);
        EXPECT_EQ(kSeparator, ControlText(dialog, kFavoritesPathBox));
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Expected({Path("Alpha"), "<sep>", Path("Beta"), Path("Gamma")}), Table());
    EXPECT_EQ(hidden, g_favorites[3]);
}

TEST_F(FavoritesDialogTest, AddedPathsAndSeparatorsGoAfterTheSelectionAndOkStoresTheOrder) {
    EXPECT_EQ(1, Run([&](HWND dialog) {
        AddPath(dialog, Path("Alpha"));
        EXPECT_EQ(Path("Alpha"), Selected(dialog)) << "an added item is selected";
        AddPath(dialog, Path("Beta"));
        SelectItem(dialog, kFavoritesList, 0);
        { Press separator(dialog, kFavoritesSeparator); }
        EXPECT_EQ((std::vector<std::string>{Path("Alpha"), kSeparator, Path("Beta")}), Items(dialog));
        EXPECT_EQ(kSeparator, Selected(dialog));
        SendDlgItemMessageA(dialog, kFavoritesList, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        AddPath(dialog, Path("Gamma"));
        EXPECT_EQ(Path("Gamma"), Items(dialog)[0]) << "with nothing selected an item goes to the top";
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Expected({Path("Gamma"), Path("Alpha"), "<sep>", Path("Beta")}), Table());
}

TEST_F(FavoritesDialogTest, AnObjectAlreadyListedInAnyLetterCaseIsSelectedNotAdded) {
    g_favorites[0] = ListOf(Path("Alpha"));
    g_favorites[1] = ListOf(Path("Beta"));
    EXPECT_EQ(1, Run([&](HWND dialog) {
        SelectItem(dialog, kFavoritesList, 1);
        AddPath(dialog, Lower(Path("Alpha")));
        EXPECT_EQ((std::vector<std::string>{Path("Alpha"), Path("Beta")}), Items(dialog));
        EXPECT_EQ(Path("Alpha"), Selected(dialog));
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Expected({Path("Alpha"), Path("Beta")}), Table());
}

TEST_F(FavoritesDialogTest, APathTheShellCannotParseGivesTheMessageAndAddsNothing) {
    const std::string tooLong = "C:\\" + std::string(300, 'x');
    for (const std::string& typed : {Path("Missing\\Folder"), std::string("Q:\\No Drive\\Here"), tooLong}) {
        EXPECT_EQ(2, Run([&](HWND dialog) {
            SetDlgItemTextA(dialog, kFavoritesPathBox, typed.c_str());
            Press add(dialog, kFavoritesAddPath);
            HWND box = add.Opened();
            ASSERT_NE(nullptr, box) << "no message for " << typed;
            EXPECT_EQ(kProduct, Caption(box));
            EXPECT_EQ("Invalid path!", ControlText(box, kMessageBoxFirstLine));
            EXPECT_TRUE(add.Close(IDOK));
            EXPECT_TRUE(Items(dialog).empty()) << typed;
        })) << typed;
    }
    // An empty box does nothing at all.
    EXPECT_EQ(2, Run([&](HWND dialog) { AddPath(dialog, ""); EXPECT_TRUE(Items(dialog).empty()); }));
}

TEST_F(FavoritesDialogTest, UpDownAndRemoveKeepTheSelectionWhereThePartSays) {
    g_favorites[0] = ListOf(Path("Alpha"));
    g_favorites[1] = FAVORITE_SEPARATOR;
    g_favorites[2] = ListOf(Path("Beta"));
    EXPECT_EQ(1, Run([&](HWND dialog) {
        SelectItem(dialog, kFavoritesList, 0);
        { Press up(dialog, kFavoritesUp); }   // already first: nothing moves
        EXPECT_EQ(Path("Alpha"), Items(dialog)[0]);
        { Press down(dialog, kFavoritesDown); }
        { Press down(dialog, kFavoritesDown); }
        EXPECT_EQ((std::vector<std::string>{kSeparator, Path("Beta"), Path("Alpha")}), Items(dialog));
        EXPECT_EQ(Path("Alpha"), Selected(dialog)) << "a moved item stays selected";
        { Press down(dialog, kFavoritesDown); }   // already last
        EXPECT_EQ(Path("Alpha"), Items(dialog)[2]);
        SelectItem(dialog, kFavoritesList, 1);
        { Press up(dialog, kFavoritesUp); }
        EXPECT_EQ((std::vector<std::string>{Path("Beta"), kSeparator, Path("Alpha")}), Items(dialog));
        SelectItem(dialog, kFavoritesList, 1);
        { Press remove(dialog, kFavoritesRemove); }
        EXPECT_EQ(Path("Alpha"), Selected(dialog)) << "the item moving into the place is selected";
        { Press remove(dialog, kFavoritesRemove); }
        EXPECT_EQ("<none>", Selected(dialog)) << "removing the last item leaves no selection";
        EXPECT_EQ((std::vector<std::string>{Path("Beta")}), Items(dialog));
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Expected({Path("Beta")}), Table());
}

TEST_F(FavoritesDialogTest, WithEverySlotTakenNoAddButtonDoesAnything) {
    g_options.FavoriteCount = 2;
    g_favorites[0] = ListOf(Path("Alpha"));
    g_favorites[1] = FAVORITE_SEPARATOR;
    EXPECT_EQ(1, Run([&](HWND dialog) {
        SetDlgItemTextA(dialog, kFavoritesPathBox, Path("Beta").c_str());
        for (int button : {kFavoritesAddPath, kFavoritesSeparator, kFavoritesAddObject}) {
            Press press(dialog, button);
            EXPECT_EQ(nullptr, press.Opened()) << "button " << button << " opened a window";
        }
        EXPECT_EQ((std::vector<std::string>{Path("Alpha"), kSeparator}), Items(dialog));
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Expected({Path("Alpha"), "<sep>"}), Table());
}

TEST_F(FavoritesDialogTest, CancelAfterChangesLeavesTheTableAsItWas) {
    g_favorites[0] = ListOf(Path("Alpha"));
    g_favorites[1] = ListOf(Path("Beta"));
    LPITEMIDLIST first = g_favorites[0], second = g_favorites[1];
    EXPECT_EQ(2, Run([&](HWND dialog) {
        AddPath(dialog, Path("Gamma"));
        { Press separator(dialog, kFavoritesSeparator); }
        SelectItem(dialog, kFavoritesList, 0);
        { Press remove(dialog, kFavoritesRemove); }
        EXPECT_EQ(3u, Items(dialog).size());
        Press cancel(dialog, IDCANCEL);
    }));
    EXPECT_EQ(first, g_favorites[0]);
    EXPECT_EQ(second, g_favorites[1]);
    EXPECT_EQ(Expected({Path("Alpha"), Path("Beta")}), Table());
}

// The real picker: the first object under the desktop, named in parsing form (or by its
// shown name when it is a virtual folder).
TEST_F(FavoritesDialogTest, AddObjectInsertsThePickedObject) {
    std::string picked;
    EXPECT_EQ(1, Run([&](HWND dialog) {
        Press add(dialog, kFavoritesAddObject);
        HWND picker = add.Opened();
        ASSERT_NE(nullptr, picker) << "the picker did not open";
        EXPECT_EQ("Select Object", Caption(picker));
        HWND tree = GetDlgItem(picker, kPickerTreeId);
        HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        HTREEITEM first = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
        ASSERT_NE(nullptr, first) << "the desktop shows no objects";
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
        ASSERT_TRUE(add.Close(IDOK));
        ASSERT_EQ(1u, Items(dialog).size());
        picked = Items(dialog)[0];
        EXPECT_NE("(Name unavailable)", picked);
        EXPECT_EQ(picked, Selected(dialog));
        Press ok(dialog, IDOK);
    }));
    ASSERT_NE(nullptr, g_favorites[0]);
    EXPECT_EQ(picked, EntryName(g_favorites[0])) << "the stored list is the picked object's";
    EXPECT_EQ(nullptr, g_favorites[1]);
}

}  // namespace
