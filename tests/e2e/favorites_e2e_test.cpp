// The favourites dialog in the real program: opened with the options dialog's "Edit"
// button, worked with window messages, its results read back from the FAV series.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "../support/installation.h"
#include "../support/window_driver.h"

namespace {

constexpr int kEditFavorites = 1060;   // in the options dialog
enum : int {
    kPathBox = 1067,
    kList = 1059,
    kAddPath = 1060,
    kSeparatorButton = 1062,
    kRemove = 1061,
    kUp = 1011,
    kAddObject = 1063,
};
const std::string kSeparatorRecord("\xFF\xFF\xFF\xFF", 4);
const std::string kSeparatorText(32, '-');

std::string FavFile(const TestInstallation& install, int i) {
    return install.DataFile("FAV" + std::to_string(i) + ".dcf");
}

// The parsing name the test's own shell gives a stored list.
std::string NameOfList(const std::string& bytes) {
    IShellFolder* desktop = nullptr;
    if (bytes.size() < 2 || FAILED(SHGetDesktopFolder(&desktop))) return "<no list>";
    STRRET answer = {};
    char name[MAX_PATH] = "<no name>";
    if (SUCCEEDED(desktop->GetDisplayNameOf(reinterpret_cast<LPCITEMIDLIST>(bytes.data()), SHGDN_FORPARSING, &answer)))
        StrRetToBufA(&answer, reinterpret_cast<LPCITEMIDLIST>(bytes.data()), name, sizeof(name));
    desktop->Release();
    return name;
}

// The stored form of a path's list, as the test's own shell makes it.
std::string ListBytes(const std::string& path) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHParseDisplayName(wide, nullptr, &list, 0, nullptr)) || !list) return "";
    std::string bytes(reinterpret_cast<const char*>(list), ILGetSize(list));
    CoTaskMemFree(list);
    return bytes;
}

std::vector<std::string> Items(HWND dialog) { return ListBoxItems(dialog, kList); }

void Select(HWND dialog, int index) {
    SendDlgItemMessageA(dialog, kList, LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, kList)));
}

class FavoritesE2E : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"First", "Second"}) ASSERT_TRUE(MakeFolders(Folder(name)));
    }

    std::string Folder(const char* name) { return install.Temp().File(name); }

    HWND OpenFavorites(RunningProgram& program) {
        options_ = program.WaitForWindow("Plexaro", "#32770");
        if (!options_) {
            ADD_FAILURE() << "the options dialog did not appear";
            return nullptr;
        }
        PostClick(options_, kEditFavorites);
        HWND favorites = WaitForOwnedDialog(program.ProcessId(), options_);
        EXPECT_NE(nullptr, favorites) << "the favourites dialog did not open";
        return favorites;
    }

    static void AddPath(HWND favorites, const std::string& path) {
        SetText(favorites, kPathBox, path);
        ClickButton(favorites, kAddPath);
    }

    // Closes the favourites dialog with a button and the options dialog with OK.
    void Finish(RunningProgram& program, HWND favorites, int button) {
        ClickButton(favorites, button);
        EXPECT_TRUE(WaitGone(favorites));
        ClickButton(options_, IDOK);
        program.ExpectCleanExit();
    }

    TestInstallation install;
    HWND options_ = nullptr;
};

// A path, an object from the picker and a separator, reordered, reach FAV0..FAV2 in the
// list's order; a restart shows the same list.
TEST_F(FavoritesE2E, AddedFavouritesAreStoredInOrderAndComeBackAfterARestart) {
    std::vector<std::string> shown;
    {
        RunningProgram program("");
        HWND favorites = OpenFavorites(program);
        ASSERT_NE(nullptr, favorites);
        ASSERT_TRUE(Items(favorites).empty());
        AddPath(favorites, Folder("First"));

        PostClick(favorites, kAddObject);
        HWND picker = WaitForOwnedDialog(program.ProcessId(), favorites);
        ASSERT_NE(nullptr, picker) << "the picker did not open";
        HWND tree = GetDlgItem(picker, 1000);
        HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        HTREEITEM first = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
        ASSERT_NE(nullptr, first) << "the desktop shows no objects";
        EXPECT_FALSE(IsEnabled(picker, IDOK)) << "OK waits for a selection";
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
        EXPECT_TRUE(IsEnabled(picker, IDOK));
        ClickButton(picker, IDOK);
        ASSERT_TRUE(WaitGone(picker));
        ASSERT_EQ(2u, Items(favorites).size());
        const std::string picked = Items(favorites)[1];

        Select(favorites, 0);
        ClickButton(favorites, kSeparatorButton);   // after "First"
        Select(favorites, 2);
        ClickButton(favorites, kUp);                // the picked object moves above the separator
        shown = Items(favorites);
        EXPECT_EQ((std::vector<std::string>{Folder("First"), picked, kSeparatorText}), shown);
        Finish(program, favorites, IDOK);
    }
    // File-system lists carry the folders' times, which reading them changes: compare what
    // they name.
    EXPECT_EQ(Folder("First"), NameOfList(ReadBytes(FavFile(install, 0))));
    const std::string pickedName = NameOfList(ReadBytes(FavFile(install, 1)));
    EXPECT_NE("<no list>", pickedName);
    EXPECT_NE("<no name>", pickedName);
    EXPECT_EQ(kSeparatorRecord, ReadBytes(FavFile(install, 2)));
    EXPECT_FALSE(FileExists(FavFile(install, 3)));

    RunningProgram program("");
    HWND favorites = OpenFavorites(program);
    ASSERT_NE(nullptr, favorites);
    EXPECT_EQ(shown, Items(favorites)) << "the restarted program shows the stored list";
    Finish(program, favorites, IDCANCEL);
    EXPECT_EQ(kSeparatorRecord, ReadBytes(FavFile(install, 2))) << "the series is still there";
}

// Removing every favourite shrinks the stored series to nothing.
TEST_F(FavoritesE2E, RemovingAllFavouritesLeavesNoRecordBehind) {
    const std::string list = ListBytes(Folder("Second"));
    ASSERT_FALSE(list.empty());
    const std::string stored[] = {list, kSeparatorRecord, ListBytes(Folder("First")), kSeparatorRecord};
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(WriteBytes(FavFile(install, i), stored[i]));

    RunningProgram program("");
    HWND favorites = OpenFavorites(program);
    ASSERT_NE(nullptr, favorites);
    EXPECT_EQ((std::vector<std::string>{Folder("Second"), kSeparatorText, Folder("First"), kSeparatorText}),
              Items(favorites));
    for (int i = 0; i < 4; ++i) {
        Select(favorites, 0);
        ClickButton(favorites, kRemove);
    }
    EXPECT_TRUE(Items(favorites).empty());
    Finish(program, favorites, IDOK);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(FileExists(FavFile(install, i))) << "FAV" << i;
}

// A path the shell cannot parse gets the message; nothing is added or stored.
TEST_F(FavoritesE2E, AnInvalidPathGivesTheMessageAndAddsNothing) {
    RunningProgram program("");
    HWND favorites = OpenFavorites(program);
    ASSERT_NE(nullptr, favorites);
    SetText(favorites, kPathBox, Folder("Missing") + "\\Nowhere");
    PostClick(favorites, kAddPath);
    HWND box = WaitForOwnedDialog(program.ProcessId(), favorites);
    ASSERT_NE(nullptr, box) << "no message";
    char caption[64] = "";
    GetWindowTextA(box, caption, sizeof(caption));
    EXPECT_STREQ("Plexaro", caption);
    EXPECT_EQ("Invalid path!", GetText(box, 51002));
    ClickButton(box, IDOK);
    EXPECT_TRUE(WaitGone(box));
    EXPECT_TRUE(Items(favorites).empty());
    Finish(program, favorites, IDOK);
    EXPECT_FALSE(FileExists(FavFile(install, 0)));
}

}  // namespace
