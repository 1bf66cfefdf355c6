// Item ID list helpers over byte-built lists and Wine's real shell folders, and the object
// picker opened for real: the test thread runs it while a second thread works its tree.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/item_id_list.h"
#include "app/options_store.h"
#include "app/shell_objects.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Bytes(LPCITEMIDLIST list, size_t size) { return std::string(reinterpret_cast<const char*>(list), size); }

// Item ID list bytes: items of the given payloads, then the terminator.
std::string MakeList(const std::vector<std::string>& payloads) {
    std::string out;
    for (const std::string& p : payloads) {
        const size_t count = p.size() + 2;
        out += static_cast<char>(count & 0xFF);
        out += static_cast<char>(count >> 8);
        out += p;
    }
    out += std::string("\0\0", 2);
    return out;
}

// Bytes placed so that they end exactly where a no-access page begins: a walk that reads
// one byte too far faults at once.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        const size_t pages = (bytes.size() + page_ - 1) / page_ + 1;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, pages * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!base_) return;
        DWORD old;
        VirtualProtect(base_ + (pages - 1) * page_, page_, PAGE_NOACCESS, &old);
        data_ = base_ + (pages - 1) * page_ - bytes.size();
        memcpy(data_, bytes.data(), bytes.size());
    }
    ~GuardedBytes() { if (base_) VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    LPCITEMIDLIST List() const { return reinterpret_cast<LPCITEMIDLIST>(data_); }

private:
    size_t page_ = 0;
    BYTE* base_ = nullptr;
    BYTE* data_ = nullptr;
};

struct ListOwner {
    explicit ListOwner(LPITEMIDLIST l = nullptr) : list(l) {}
    ~ListOwner() { CoTaskMemFree(list); }
    ListOwner(const ListOwner&) = delete;
    ListOwner& operator=(const ListOwner&) = delete;
    LPITEMIDLIST list;
};

TEST(ItemIdListSize, MeasuresWellFormedListsAndRefusesBrokenOrHugeOnes) {
    struct Case { const char* what; std::string bytes; UINT size; };
    const std::string item40k(40000 - 2, 'x');
    const Case cases[] = {
        {"desktop", std::string("\0\0", 2), 2},
        {"one item", MakeList({"ab"}), 6},
        {"two items", MakeList({"abc", std::string(300, 'y')}), 5 + 302 + 2},
        {"largest", MakeList({std::string(65533 - 2, 'z')}), 65535},
        {"one past largest", MakeList({std::string(65534 - 2, 'z')}), 0},
        // 16-bit sums would wrap to 14466 and hand out a truncated copy.
        {"sum over 64 KiB", MakeList({item40k, item40k}), 0},
        {"count of one first", std::string("\x01\0\0\0", 4), 0},
        {"count of one later", std::string("\x03\0a\x01\0\0\0", 7), 0},
    };
    for (const Case& c : cases) {
        GuardedBytes guarded(c.bytes);
        EXPECT_EQ(c.size, ItemIdListSize(guarded.List())) << c.what;
    }
    EXPECT_EQ(0u, ItemIdListSize(nullptr));
}

TEST(ItemIdListSize, StopsAtACountOfOneRightAtTheEndOfTheMemory) {
    // Nothing follows the broken count: the walk must stop without reading on.
    GuardedBytes guarded(std::string("\x04\0ab\x01\0", 6));
    EXPECT_EQ(0u, ItemIdListSize(guarded.List()));
    EXPECT_EQ(nullptr, CloneItemIdList(guarded.List()));
}

TEST(CloneItemIdList, CopiesTheWholeListIntoAFreshBlock) {
    EXPECT_EQ(nullptr, CloneItemIdList(nullptr));
    for (const std::string& bytes : {std::string("\0\0", 2), MakeList({"a"}), MakeList({"abc", "defgh", "i"})}) {
        GuardedBytes guarded(bytes);
        ListOwner copy(CloneItemIdList(guarded.List()));
        ASSERT_NE(nullptr, copy.list);
        EXPECT_NE(static_cast<const void*>(guarded.List()), static_cast<const void*>(copy.list));
        EXPECT_EQ(bytes, Bytes(copy.list, bytes.size()));
    }
    GuardedBytes huge(MakeList({std::string(40000, 'a'), std::string(40000, 'b')}));
    EXPECT_EQ(nullptr, CloneItemIdList(huge.List()));
}

TEST(ConcatItemIdLists, JoinsItemsAndTreatsNullAsNothing) {
    const std::string a = MakeList({"a1", "a22"}), b = MakeList({"b333"}), desktop("\0\0", 2);
    GuardedBytes ga(a), gb(b), gd(desktop);
    struct Case { const char* what; LPCITEMIDLIST first, second; std::string expected; };
    const Case cases[] = {
        {"both", ga.List(), gb.List(), MakeList({"a1", "a22", "b333"})},
        {"desktop and child", gd.List(), gb.List(), b},
        {"child and desktop", gb.List(), gd.List(), b},
        {"list and null", ga.List(), nullptr, a},
        {"null and list", nullptr, gb.List(), b},
    };
    for (const Case& c : cases) {
        ListOwner joined(ConcatItemIdLists(c.first, c.second));
        ASSERT_NE(nullptr, joined.list) << c.what;
        ASSERT_EQ(c.expected.size(), ItemIdListSize(joined.list)) << c.what;
        EXPECT_EQ(c.expected, Bytes(joined.list, c.expected.size())) << c.what;
    }
    EXPECT_EQ(nullptr, ConcatItemIdLists(nullptr, nullptr));
}

TEST(ConcatItemIdLists, RefusesAJoinLargerThanAListMayBeAndBrokenParts) {
    // Each part is fine alone; together they pass 65535 bytes, where 16-bit sizes wrap.
    GuardedBytes first(MakeList({std::string(40000, 'a')})), second(MakeList({std::string(30000, 'b')}));
    EXPECT_EQ(nullptr, ConcatItemIdLists(first.List(), second.List()));
    // Exactly at the limit it works.
    GuardedBytes third(MakeList({std::string(65535 - 40004 - 2, 'c')}));
    ListOwner joined(ConcatItemIdLists(first.List(), third.List()));
    ASSERT_NE(nullptr, joined.list);
    EXPECT_EQ(65535u, ItemIdListSize(joined.list));
    GuardedBytes broken(std::string("\x01\0\0\0", 4));
    EXPECT_EQ(nullptr, ConcatItemIdLists(broken.List(), second.List()));
    EXPECT_EQ(nullptr, ConcatItemIdLists(first.List(), broken.List()));
}

// A shell folder that answers GetDisplayNameOf as told and nothing else.
class FakeFolder : public IShellFolder {
public:
    std::function<HRESULT(DWORD kind, STRRET* name)> answer;
    std::vector<DWORD> asked;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF kind, STRRET* name) override {
        asked.push_back(kind);
        return answer(kind, name);
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override { return E_NOTIMPL; }
};

HRESULT WideAnswer(const std::wstring& text, STRRET* name) {
    name->uType = STRRET_WSTR;
    name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    memcpy(name->pOleStr, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return S_OK;
}

TEST(GetItemName, ConvertsEachKindOfAnswerAndCutsItToTheBuffer) {
    const std::string item = MakeList({std::string("xxOffsetName\0", 13)});
    struct Case { const char* what; std::function<HRESULT(DWORD, STRRET*)> answer; int size; const char* text; };
    const Case cases[] = {
        {"wide", [](DWORD, STRRET* n) { return WideAnswer(L"Wide Name", n); }, 260, "Wide Name"},
        {"wide cut", [](DWORD, STRRET* n) { return WideAnswer(std::wstring(300, L'w'), n); }, 260, nullptr},
        {"wide small buffer", [](DWORD, STRRET* n) { return WideAnswer(L"abcdef", n); }, 4, "abc"},
        {"narrow", [](DWORD, STRRET* n) { n->uType = STRRET_CSTR; strcpy(n->cStr, "Narrow"); return S_OK; }, 260, "Narrow"},
        {"offset", [](DWORD, STRRET* n) { n->uType = STRRET_OFFSET; n->uOffset = 4; return S_OK; }, 260, "OffsetName"},
        {"offset cut", [](DWORD, STRRET* n) { n->uType = STRRET_OFFSET; n->uOffset = 4; return S_OK; }, 7, "Offset"},
    };
    for (const Case& c : cases) {
        FakeFolder folder;
        folder.answer = c.answer;
        char text[300];
        memset(text, '#', sizeof(text));
        EXPECT_EQ(0, GetItemName(&folder, reinterpret_cast<LPCITEMIDLIST>(item.data()), text, c.size, SHGDN_INFOLDER))
            << c.what;
        if (c.text)
            EXPECT_STREQ(c.text, text) << c.what;
        else
            EXPECT_EQ(std::string(259, 'w'), std::string(text)) << c.what;
    }
}

TEST(GetItemName, FallsBackToTheInFolderNameThenToTheFallbackText) {
    const std::string item = MakeList({"q"});
    LPCITEMIDLIST list = reinterpret_cast<LPCITEMIDLIST>(item.data());
    FakeFolder onlyInFolder;
    onlyInFolder.answer = [](DWORD kind, STRRET* n) {
        return kind == SHGDN_INFOLDER ? WideAnswer(L"Shown", n) : E_FAIL;
    };
    char text[260];
    EXPECT_EQ(0, GetItemName(&onlyInFolder, list, text, sizeof(text), SHGDN_FORPARSING));
    EXPECT_STREQ("Shown", text);

    FakeFolder nothing;
    nothing.answer = [](DWORD, STRRET*) { return E_FAIL; };
    EXPECT_EQ(1, GetItemName(&nothing, list, text, sizeof(text), SHGDN_FORPARSING));
    EXPECT_STREQ("(Name unavailable)", text);
    EXPECT_EQ(1, GetItemName(&nothing, list, text, 5, SHGDN_INFOLDER));
    EXPECT_STREQ("(Nam", text);
    // An in-folder request has no second try.
    EXPECT_EQ((std::vector<DWORD>{SHGDN_FORPARSING, SHGDN_INFOLDER, SHGDN_INFOLDER}), nothing.asked);
}

TEST(GetItemName, AClassIdentifierAsParsingNameGivesWayToTheShownName) {
    const std::string item = MakeList({"v"});
    FakeFolder folder;
    folder.answer = [](DWORD kind, STRRET* n) {
        return WideAnswer(kind == SHGDN_FORPARSING ? L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}" : L"My Computer", n);
    };
    char text[260];
    EXPECT_EQ(0, GetItemName(&folder, reinterpret_cast<LPCITEMIDLIST>(item.data()), text, sizeof(text), SHGDN_FORPARSING));
    EXPECT_STREQ("My Computer", text);
}

class ShellFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(&desktop_)));
    }
    void TearDown() override {
        if (desktop_) desktop_->Release();
    }
    LPITEMIDLIST Parse(const char* path) {
        wchar_t wide[260];
        MultiByteToWideChar(CP_ACP, 0, path, -1, wide, 260);
        LPITEMIDLIST list = nullptr;
        if (FAILED(desktop_->ParseDisplayName(nullptr, nullptr, wide, nullptr, &list, nullptr))) return nullptr;
        return list;
    }
    IShellFolder* desktop_ = nullptr;
};

TEST_F(ShellFolderTest, RealListsFromTheShellAreMeasuredCopiedAndNamed) {
    ListOwner desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop.list)));
    EXPECT_EQ(2u, ItemIdListSize(desktop.list));

    ListOwner windows(Parse("C:\\windows"));
    ASSERT_NE(nullptr, windows.list);
    const UINT size = ItemIdListSize(windows.list);
    ASSERT_GT(size, 4u);
    EXPECT_EQ(size, ItemIdListSizeBounded(windows.list, size));
    ListOwner copy(CloneItemIdList(windows.list));
    ASSERT_NE(nullptr, copy.list);
    EXPECT_EQ(Bytes(windows.list, size), Bytes(copy.list, size));
    char text[260];
    EXPECT_EQ(0, GetItemName(desktop_, copy.list, text, sizeof(text), SHGDN_FORPARSING));
    EXPECT_STREQ("C:\\windows", text);
    EXPECT_EQ(0, GetItemName(desktop_, copy.list, text, 4, SHGDN_FORPARSING));
    EXPECT_STREQ("C:\\", text);

    ListOwner computer;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer.list)));
    EXPECT_EQ(0, GetItemName(desktop_, computer.list, text, sizeof(text), SHGDN_FORPARSING));
    EXPECT_NE(0, strncmp(text, "::{", 3)) << text;
    char shown[260];
    GetItemName(desktop_, computer.list, shown, sizeof(shown), SHGDN_INFOLDER);
    EXPECT_STREQ(shown, text);
    EXPECT_GT(strlen(text), 0u);
}

// ---- The picker ----

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

std::string ItemText(HWND tree, HTREEITEM item) {
    char text[260] = "";
    TVITEMA query = {};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof(text);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

int ChildCountFlag(HWND tree, HTREEITEM item) {
    TVITEMA query = {};
    query.mask = TVIF_HANDLE | TVIF_CHILDREN;
    query.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return query.cChildren;
}

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent) {
    std::vector<HTREEITEM> out;
    for (HTREEITEM c = Next(tree, parent, TVGN_CHILD); c; c = Next(tree, c, TVGN_NEXT)) out.push_back(c);
    return out;
}

// Expands parent and returns its child whose text satisfies match.
HTREEITEM ExpandAndFind(HWND tree, HTREEITEM parent, const std::function<bool(const std::string&)>& match) {
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (HTREEITEM c : Children(tree, parent))
        if (match(ItemText(tree, c))) return c;
    return nullptr;
}

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Walks from the desktop through the computer folder and drive C: to the folder path
// ("C:\a\b"), expanding on the way; null when a step is missing.
HTREEITEM FindPath(HWND tree, const std::string& path) {
    HTREEITEM root = Next(tree, nullptr, TVGN_ROOT);
    char computerName[260] = "";
    {
        IShellFolder* desktop = nullptr;
        SHGetDesktopFolder(&desktop);
        LPITEMIDLIST computer = nullptr;
        SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        GetItemName(desktop, computer, computerName, sizeof(computerName), SHGDN_INFOLDER);
        CoTaskMemFree(computer);
        desktop->Release();
    }
    HTREEITEM item = ExpandAndFind(tree, root, [&](const std::string& t) { return t == computerName; });
    if (!item) return nullptr;
    const std::string drive = "(" + path.substr(0, 2) + ")";
    item = ExpandAndFind(tree, item, [&](const std::string& t) { return t.find(drive) != std::string::npos; });
    size_t start = 3;
    while (item && start < path.size()) {
        size_t end = path.find('\\', start);
        const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        item = ExpandAndFind(tree, item, [&](const std::string& t) { return SameName(t, part); });
        start = end == std::string::npos ? path.size() : end + 1;
    }
    return item;
}

// What the shell shows as the object's name inside its folder, asked without the picker.
std::string InFolderName(const std::string& path) {
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    wchar_t wide[260];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 260);
    LPITEMIDLIST list = nullptr;
    std::string out;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &list, nullptr))) {
        IShellFolder* parent = nullptr;
        LPCITEMIDLIST child = nullptr;
        if (SUCCEEDED(SHBindToParent(list, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) {
            STRRET name = {};
            if (SUCCEEDED(parent->GetDisplayNameOf(child, SHGDN_INFOLDER, &name))) {
                if (name.uType == STRRET_WSTR) {
                    char text[260] = "";
                    WideCharToMultiByte(CP_ACP, 0, name.pOleStr, -1, text, sizeof(text), nullptr, nullptr);
                    CoTaskMemFree(name.pOleStr);
                    out = text;
                } else if (name.uType == STRRET_CSTR) {
                    out = name.cStr;
                } else {
                    out = reinterpret_cast<const char*>(child) + name.uOffset;
                }
            }
            parent->Release();
        }
        CoTaskMemFree(list);
    }
    desktop->Release();
    return out;
}

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_FALSE(temp_.Path().empty());
        // The picker lists what Wine's shell enumerates; an object of our own proves depth.
        ASSERT_TRUE(WriteBytes(temp_.File("note.txt"), "n"));
        ASSERT_TRUE(MakeFolders(temp_.File("empty")));
        char full[MAX_PATH];
        ASSERT_NE(0u, GetLongPathNameA(temp_.Path().c_str(), full, sizeof(full)));
        folder_ = full;
        ASSERT_EQ(':', folder_[1]);
    }

    // Runs the picker on this thread while drive() works it from another; drive must end
    // the dialog. Returns the picker's result.
    int Run(int mode, const std::function<void(HWND dialog, HWND tree)>& drive) {
        std::atomic<bool> found(false);
        std::thread driver([&] {
            HWND dialog = WaitForProcessDialog("Select Object");
            if (!dialog) return;
            found = true;
            drive(dialog, GetDlgItem(dialog, kPickerTreeId));
            // Whatever drive did, the dialog must not outlive the test.
            if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        const int result = SelectShellObject(GetModuleHandleA(nullptr), nullptr, mode, text_, &list_);
        driver.join();
        EXPECT_TRUE(found) << "the picker did not appear";
        return result;
    }

    void TearDown() override { CoTaskMemFree(list_); }

    TempFolder temp_;
    std::string folder_;
    char text_[260] = "untouched";
    LPITEMIDLIST list_ = reinterpret_cast<LPITEMIDLIST>(static_cast<intptr_t>(1));   // must be cleared
};

TEST_F(PickerTest, OpensWithTheDesktopExpandedAndOkDisabledUntilASelection) {
    bool okAtFirst = true, okAfter = false, rootExpanded = false;
    size_t firstLevel = 0;
    std::string rootText;
    const int result = Run(kPickerParsingName, [&](HWND dialog, HWND tree) {
        okAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
        HTREEITEM root = Next(tree, nullptr, TVGN_ROOT);
        rootText = ItemText(tree, root);
        rootExpanded = (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(root), TVIS_EXPANDED) &
                        TVIS_EXPANDED) != 0;
        firstLevel = Children(tree, root).size();
        // Enter before any selection chooses nothing.
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        if (!IsWindow(dialog)) return;
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Children(tree, root).front()));
        okAfter = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(2, result);
    EXPECT_FALSE(okAtFirst);
    EXPECT_TRUE(okAfter);
    EXPECT_TRUE(rootExpanded);
    EXPECT_FALSE(rootText.empty());
    // Wine's desktop holds the computer, documents, trash and the Unix root at least.
    EXPECT_GE(firstLevel, 3u);
    // Cancel leaves the text alone and the list result cleared.
    EXPECT_STREQ("untouched", text_);
    EXPECT_EQ(nullptr, list_);
}

TEST_F(PickerTest, ParsingModeReturnsTheFullPathAndACopyOfTheList) {
    const std::string file = folder_ + "\\note.txt";
    const std::string shown = InFolderName(file);
    std::string itemText;
    const int result = Run(kPickerParsingName, [&](HWND dialog, HWND tree) {
        HTREEITEM folder = FindPath(tree, folder_);
        ASSERT_NE(nullptr, folder) << folder_;
        HTREEITEM note = ExpandAndFind(tree, folder, [&](const std::string& t) { return t == shown; });
        ASSERT_NE(nullptr, note) << shown;
        itemText = ItemText(tree, note);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(note));
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_EQ(1, result);
    EXPECT_TRUE(SameName(file, text_)) << text_;
    ASSERT_NE(nullptr, list_);
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    char name[260];
    GetItemName(desktop, list_, name, sizeof(name), SHGDN_FORPARSING);
    desktop->Release();
    EXPECT_TRUE(SameName(file, name)) << name;
}

TEST_F(PickerTest, InFolderModeReturnsTheNameAsTheShellShowsIt) {
    const std::string shown = InFolderName(folder_ + "\\note.txt");
    ASSERT_FALSE(shown.empty());
    const int result = Run(kPickerInFolderName, [&](HWND dialog, HWND tree) {
        HTREEITEM folder = FindPath(tree, folder_);
        ASSERT_NE(nullptr, folder);
        HTREEITEM note = ExpandAndFind(tree, folder, [&](const std::string& t) { return t == shown; });
        ASSERT_NE(nullptr, note);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(note));
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(shown, std::string(text_));
    EXPECT_NE(nullptr, list_);
}

TEST_F(PickerTest, AFolderWithoutChildrenLosesItsExpandButtonWhenOpened) {
    int before = -1, after = -1;
    size_t children = 99;
    Run(kPickerParsingName, [&](HWND dialog, HWND tree) {
        HTREEITEM folder = FindPath(tree, folder_);
        ASSERT_NE(nullptr, folder);
        HTREEITEM empty = ExpandAndFind(tree, folder, [](const std::string& t) { return SameName(t, "empty"); });
        ASSERT_NE(nullptr, empty);
        before = ChildCountFlag(tree, empty);
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(empty));
        after = ChildCountFlag(tree, empty);
        children = Children(tree, empty).size();
        // A second expansion does not enumerate again: the folder's items appear once.
        const size_t once = Children(tree, folder).size();
        SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(folder));
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(folder));
        EXPECT_EQ(once, Children(tree, folder).size());
        EXPECT_EQ(2u, once);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(1, before);
    EXPECT_EQ(0, after);
    EXPECT_EQ(0u, children);
}

INT_PTR CALLBACK TemplateOnly(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(PickerResource, MatchesItsTemplate) {
    // Opened without a context: only the template is looked at.
    struct Control { int id; const char* className; const char* text; RECT units; };
    const Control controls[] = {
        {IDOK, "Button", "OK", {100, 170, 150, 184}},
        {IDCANCEL, "Button", "Cancel", {155, 170, 205, 184}},
        {kPickerTreeId, "SysTreeView32", "", {5, 5, 205, 165}},
    };
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kPickerDialogId), nullptr,
                                     TemplateOnly, 0);
    ASSERT_NE(nullptr, dialog);
    char text[64];
    GetWindowTextA(dialog, text, sizeof(text));
    EXPECT_STREQ("Select Object", text);
    for (const Control& c : controls) {
        HWND child = GetDlgItem(dialog, c.id);
        ASSERT_NE(nullptr, child) << c.id;
        GetClassNameA(child, text, sizeof(text));
        EXPECT_STREQ(c.className, text) << c.id;
        GetWindowTextA(child, text, sizeof(text));
        EXPECT_STREQ(c.text, text) << c.id;
        RECT expected = c.units, actual;
        MapDialogRect(dialog, &expected);
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(expected.left, actual.left) << c.id;
        EXPECT_EQ(expected.top, actual.top) << c.id;
        EXPECT_EQ(expected.right, actual.right) << c.id;
        EXPECT_EQ(expected.bottom, actual.bottom) << c.id;
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
    const LONG tree = GetWindowLongA(GetDlgItem(dialog, kPickerTreeId), GWL_STYLE);
    const LONG wanted = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP;
    EXPECT_EQ(wanted, tree & wanted);
    // The dialog manager may turn a control's plain border into the sunken edge.
    const LONG treeEx = GetWindowLongA(GetDlgItem(dialog, kPickerTreeId), GWL_EXSTYLE);
    EXPECT_TRUE((tree & WS_BORDER) || (treeEx & WS_EX_CLIENTEDGE)) << "the tree has a border";
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU | WS_POPUP, style & (WS_CAPTION | WS_SYSMENU | WS_POPUP));
    DestroyWindow(dialog);
}

}  // namespace
