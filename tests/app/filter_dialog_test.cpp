// The advanced filter dialog is opened for real on the test thread while a second thread
// drives it with the messages its controls would send, and reads its controls back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../../app/filter_dialog.h"
#include "../../app/options_store.h"
#include "../../app/program_texts.h"
#include "../../framework/core/application.h"
#include "../../framework/core/dialog_helpers.h"
#include "../../framework/core/message_box.h"
#include "../support/dialog_driver.h"

namespace {

constexpr size_t kObjectsSize = sizeof(OptionsRecord::ExcludeObjects);
constexpr size_t kExtensionsSize = sizeof(OptionsRecord::ExcludeExtensions);
const char kProduct[] = "FilterTestProduct";
const uint8_t kFill = 0x5A;   // bytes the dialog must never touch

// ---- the picker stand-in -------------------------------------------------------------

struct PickerAnswer {
    int result;
    std::string name;
};

struct PickerCall {
    HWND owner;
    int mode;
    bool textEmpty;
    bool listGiven;
};

std::deque<PickerAnswer> s_answers;
std::vector<PickerCall> s_calls;

int FakePicker(HINSTANCE, HWND owner, int pickerMode, char* text, LPITEMIDLIST* list) {
    s_calls.push_back({owner, pickerMode, text[0] == 0, list != nullptr});
    if (s_answers.empty()) return 2;
    PickerAnswer answer = s_answers.front();
    s_answers.pop_front();
    if (answer.result != 2) {
        strncpy(text, answer.name.c_str(), 259);
        text[259] = 0;
    }
    return answer.result;
}

std::vector<std::string> Items(HWND dialog) { return ListItems(dialog, 1025); }
std::string Selected(HWND dialog) { return SelectedItem(dialog, 1025); }
void Select(HWND dialog, int index) { SelectItem(dialog, 1025, index); }
std::string Text(HWND window, int id) { return ControlText(window, id); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Checks that a window is the refusal box of a full list, then closes it.
void ExpectFullListBox(HWND dialog, HWND box) {
    ASSERT_NE(nullptr, box) << "no refusal";
    EXPECT_EQ(dialog, GetWindow(box, GW_OWNER));
    EXPECT_EQ(kProduct, Caption(box));
    EXPECT_EQ("The list of excluded objects is full.", Text(box, kMessageBoxFirstLine));
    EXPECT_EQ("Remove an object before adding another one.", Text(box, kMessageBoxMoreLines));
}

std::string Field(const char* field, size_t size) { return std::string(field, size); }

// Bytes of a stored list followed by the untouched fill up to the field's size.
std::string Stored(const std::string& list, size_t size) { return list + std::string(size - list.size(), (char)kFill); }

class FilterDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().texts.SetTextTable(0, g_programTexts);
        ASSERT_NE(nullptr, App().GetText(kTextFilterFull, 0));
        saved_ = g_options;
        savedPicker_ = g_filterObjectPicker;
        strcpy(savedProduct_, App().productName);
        strcpy(App().productName, kProduct);
        memset(&g_options, kFill, sizeof(g_options));
        g_filterObjectPicker = FakePicker;
        s_answers.clear();
        s_calls.clear();
    }
    void TearDown() override {
        g_options = saved_;
        g_filterObjectPicker = savedPicker_;
        strcpy(App().productName, savedProduct_);
    }

    static void SetList(char* field, const std::string& list) { memcpy(field, list.data(), list.size()); }

    // Runs the dialog on this thread while drive(dialog) works it from another; whatever
    // drive leaves open is cancelled. Returns the dialog's result.
    INT_PTR Run(const std::function<void(HWND)>& drive) {
        return RunDriven("Advanced Filter",
                         [] { return RunModalDialog(nullptr, kFilterDialogId, ExclusionFilterDialog, 0); }, drive);
    }

    OptionsRecord saved_;
    ObjectPicker savedPicker_ = nullptr;
    char savedProduct_[260] = {};
};

TEST_F(FilterDialogTest, OpeningShowsBothListsAndOkStoresThemBack) {
    SetList(g_options.ExcludeExtensions, std::string("exe\0lnk\0\0", 9));
    SetList(g_options.ExcludeObjects, std::string("zeta\0Alpha\0mid\0\0", 16));
    OptionsRecord expected = g_options;

    const INT_PTR result = Run([](HWND dialog) {
        EXPECT_EQ("exe, lnk", Text(dialog, 1021));
        EXPECT_EQ((std::vector<std::string>{"Alpha", "mid", "zeta"}), Items(dialog));
        EXPECT_EQ("<none>", Selected(dialog));
        EXPECT_FALSE(Enabled(dialog, 1009));
        EXPECT_FALSE(Enabled(dialog, 1010));
        EXPECT_TRUE(Enabled(dialog, 1007));
        Press ok(dialog, IDOK);
        EXPECT_EQ(nullptr, ok.Opened());
    });
    EXPECT_EQ(1, result);
    // The names in list order, then two zero bytes; the rest of each field is the
    // extension's and stays as it was, as does every other byte of the record.
    EXPECT_EQ(Stored(std::string("Alpha\0mid\0zeta\0\0\0", 17), kObjectsSize),
              Field(g_options.ExcludeObjects, kObjectsSize));
    EXPECT_EQ(Stored(std::string("exe\0lnk\0\0", 9), kExtensionsSize),
              Field(g_options.ExcludeExtensions, kExtensionsSize));
    memcpy(expected.ExcludeObjects, g_options.ExcludeObjects, kObjectsSize);
    EXPECT_EQ(0, memcmp(&expected, &g_options, sizeof(expected)));
}

TEST_F(FilterDialogTest, OkParsesTheTypedExtensions) {
    SetList(g_options.ExcludeExtensions, std::string("\0\0", 2));
    SetList(g_options.ExcludeObjects, std::string("\0\0", 2));
    EXPECT_EQ(1, Run([](HWND dialog) {
        EXPECT_EQ("", Text(dialog, 1021));
        EXPECT_TRUE(Items(dialog).empty());
        SetDlgItemTextA(dialog, 1021, "*.tmp, bak,,*.*");
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Stored(std::string("tmp\0bak\0*\0\0", 11), kExtensionsSize),
              Field(g_options.ExcludeExtensions, kExtensionsSize));
    EXPECT_EQ(Stored(std::string("\0\0", 2), kObjectsSize), Field(g_options.ExcludeObjects, kObjectsSize));
}

TEST_F(FilterDialogTest, AddTakesEachPickedNameOnceWhateverItsLetterCase) {
    SetList(g_options.ExcludeObjects, std::string("Music\0\0", 7));
    struct Step {
        PickerAnswer answer;
        std::vector<std::string> items;
        const char* selected;
    };
    const Step steps[] = {
        {{1, "Documents"}, {"Documents", "Music"}, "Documents"},
        {{1, "MUSIC"}, {"Documents", "Music"}, "Music"},       // found, selected, not added
        {{2, "Cancelled"}, {"Documents", "Music"}, "Music"},   // the picker was cancelled
        {{1, ""}, {"Documents", "Music"}, "Music"},            // no name: nothing to exclude
        {{1, "Archive"}, {"Archive", "Documents", "Music"}, "Archive"},
    };
    for (const Step& step : steps) s_answers.push_back(step.answer);

    EXPECT_EQ(1, Run([&](HWND dialog) {
        for (const Step& step : steps) {
            Press add(dialog, 1007);
            EXPECT_EQ(nullptr, add.Opened()) << step.answer.name;
            ASSERT_TRUE(add.Finish());
            EXPECT_EQ(step.items, Items(dialog)) << step.answer.name;
            EXPECT_EQ(step.selected, Selected(dialog)) << step.answer.name;
            EXPECT_TRUE(Enabled(dialog, 1009));
            EXPECT_TRUE(Enabled(dialog, 1010));
        }
        ASSERT_EQ(std::size(steps), s_calls.size());
        for (const PickerCall& call : s_calls) {
            EXPECT_EQ(dialog, call.owner);
            EXPECT_EQ(0, call.mode);
            EXPECT_TRUE(call.textEmpty);
            EXPECT_FALSE(call.listGiven);
        }
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Stored(std::string("Archive\0Documents\0Music\0\0\0", 26), kObjectsSize),
              Field(g_options.ExcludeObjects, kObjectsSize));
}

TEST_F(FilterDialogTest, EditReplacesTheSelectedNameUnlessEmptiedOrCancelled) {
    SetList(g_options.ExcludeObjects, std::string("beta\0delta\0\0", 12));
    EXPECT_EQ(1, Run([](HWND dialog) {
        Select(dialog, 1);
        EXPECT_TRUE(Enabled(dialog, 1009));
        {
            Press edit(dialog, 1009);
            ASSERT_NE(nullptr, edit.Opened());
            EXPECT_EQ("Edit Object", Caption(edit.Opened()));
            EXPECT_EQ("delta", Text(edit.Opened(), 1032));
            SetDlgItemTextA(edit.Opened(), 1032, "alpha");
            ASSERT_TRUE(edit.Close(IDOK));
        }
        EXPECT_EQ((std::vector<std::string>{"alpha", "beta"}), Items(dialog));
        EXPECT_EQ("alpha", Selected(dialog));

        Select(dialog, 1);
        {
            Press edit(dialog, 1009);
            ASSERT_NE(nullptr, edit.Opened());
            SetDlgItemTextA(edit.Opened(), 1032, "");
            ASSERT_TRUE(edit.Close(IDOK));
        }
        EXPECT_EQ((std::vector<std::string>{"alpha", "beta"}), Items(dialog));

        // A double click on an item edits it too; Cancel keeps it.
        Select(dialog, 1);
        {
            Press doubleClick(dialog, 1025, LBN_DBLCLK);
            ASSERT_NE(nullptr, doubleClick.Opened());
            EXPECT_EQ("beta", Text(doubleClick.Opened(), 1032));
            SetDlgItemTextA(doubleClick.Opened(), 1032, "gamma");
            ASSERT_TRUE(doubleClick.Close(IDCANCEL));
        }
        EXPECT_EQ((std::vector<std::string>{"alpha", "beta"}), Items(dialog));
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Stored(std::string("alpha\0beta\0\0\0", 13), kObjectsSize), Field(g_options.ExcludeObjects, kObjectsSize));
}

TEST_F(FilterDialogTest, RemoveDeletesTheSelectionAndAnEmptyListIsTwoZeroBytes) {
    SetList(g_options.ExcludeObjects, std::string("one\0two\0\0", 9));
    EXPECT_EQ(1, Run([](HWND dialog) {
        Select(dialog, 0);
        { Press remove(dialog, 1010); }
        EXPECT_EQ((std::vector<std::string>{"two"}), Items(dialog));
        EXPECT_EQ("<none>", Selected(dialog));
        EXPECT_FALSE(Enabled(dialog, 1009));
        EXPECT_FALSE(Enabled(dialog, 1010));
        { Press remove(dialog, 1010); }   // nothing selected: nothing removed
        EXPECT_EQ((std::vector<std::string>{"two"}), Items(dialog));
        Select(dialog, 0);
        { Press remove(dialog, 1010); }
        EXPECT_TRUE(Items(dialog).empty());
        Press ok(dialog, IDOK);
    }));
    // The list ends at once; what follows the closing zeros is never read.
    const std::string field = Field(g_options.ExcludeObjects, kObjectsSize);
    EXPECT_EQ(std::string("\0\0", 2), field.substr(0, 2));
    EXPECT_EQ(std::string(kObjectsSize - 9, (char)kFill), field.substr(9)) << "nothing written past the old list";
}

TEST_F(FilterDialogTest, CancelLeavesTheWholeRecordAsItWasAtOpening) {
    SetList(g_options.ExcludeExtensions, std::string("exe\0\0", 5));
    SetList(g_options.ExcludeObjects, std::string("keep\0drop\0\0", 11));
    const OptionsRecord before = g_options;
    s_answers.push_back({1, "added"});
    EXPECT_EQ(2, Run([](HWND dialog) {
        { Press add(dialog, 1007); }
        Select(dialog, 1);
        { Press remove(dialog, 1010); }
        SetDlgItemTextA(dialog, 1021, "*.*");
        EXPECT_EQ((std::vector<std::string>{"added", "keep"}), Items(dialog));
        Press cancel(dialog, IDCANCEL);
    }));
    EXPECT_EQ(0, memcmp(&before, &g_options, sizeof(before)));
}

// Names of 259 characters fill the 1024 bytes after three; the room left then takes one
// name of 241 characters exactly, and nothing more.
TEST_F(FilterDialogTest, AFullListRefusesMoreNamesAndStaysInsideTheField) {
    SetList(g_options.ExcludeObjects, std::string("\0\0", 2));
    const std::string last(241, 'z');
    for (char c = 'a'; c <= 'e'; ++c) s_answers.push_back({1, std::string(259, c)});

    EXPECT_EQ(1, Run([&](HWND dialog) {
        int added = 0;
        for (;;) {
            Press add(dialog, 1007);
            if (add.Opened()) {
                ExpectFullListBox(dialog, add.Opened());
                ASSERT_TRUE(add.Close(IDOK));
                break;
            }
            ASSERT_LT(++added, 5);
        }
        EXPECT_EQ(3, added);
        EXPECT_EQ(3u, Items(dialog).size());

        s_answers.clear();
        s_answers.push_back({1, last});
        s_answers.push_back({1, "y"});
        s_answers.push_back({1, std::string(259, 'A')});   // already there: selected, needs no room
        {
            Press add(dialog, 1007);
            EXPECT_EQ(nullptr, add.Opened());
        }
        {
            Press add(dialog, 1007);
            ExpectFullListBox(dialog, add.Opened());
            ASSERT_TRUE(add.Close(IDOK));
        }
        {
            Press add(dialog, 1007);
            EXPECT_EQ(nullptr, add.Opened());
            EXPECT_EQ(std::string(259, 'a'), Selected(dialog));
        }
        // Editing a name longer is refused as well, and the name stays.
        Select(dialog, 3);
        {
            Press edit(dialog, 1009);
            ASSERT_NE(nullptr, edit.Opened());
            SetDlgItemTextA(edit.Opened(), 1032, (last + "z").c_str());
            PostMessageA(edit.Opened(), WM_COMMAND, IDOK, 0);
            HWND box = WaitForOwnedDialog(dialog, edit.Opened());
            ExpectFullListBox(dialog, box);
            if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(edit.Finish());
        }
        EXPECT_EQ(last, Items(dialog)[3]);
        Press ok(dialog, IDOK);
        EXPECT_EQ(nullptr, ok.Opened());
    }));

    const std::string expected = std::string(259, 'a') + '\0' + std::string(259, 'b') + '\0' +
                                 std::string(259, 'c') + '\0' + last + '\0' + std::string(2, '\0');
    ASSERT_EQ(kObjectsSize, expected.size());
    EXPECT_EQ(expected, Field(g_options.ExcludeObjects, kObjectsSize));
    EXPECT_EQ(Stored("", 4), std::string((const char*)&g_options.IncludeAllExtensions, 4));
}

// A stored field without terminators is read only inside the field. Its name cannot be
// written back with the closing zeros, so OK refuses until it is removed.
TEST_F(FilterDialogTest, AFieldWithoutTerminatorsIsReadInsideItAndNotCutOnOk) {
    memset(g_options.ExcludeObjects, 'q', kObjectsSize);
    EXPECT_EQ(1, Run([](HWND dialog) {
        EXPECT_EQ((std::vector<std::string>{std::string(kObjectsSize - 2, 'q')}), Items(dialog));
        Select(dialog, 0);
        {
            // Too long for the 259-character edit box: not edited.
            Press edit(dialog, 1009);
            EXPECT_EQ(nullptr, edit.Opened());
        }
        {
            Press ok(dialog, IDOK);
            ExpectFullListBox(dialog, ok.Opened());
            ASSERT_TRUE(ok.Close(IDOK));
        }
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_EQ(std::string(kObjectsSize, 'q'), Field(g_options.ExcludeObjects, kObjectsSize));
        Select(dialog, 0);
        { Press remove(dialog, 1010); }
        Press ok(dialog, IDOK);
        EXPECT_EQ(nullptr, ok.Opened());
    }));
    EXPECT_EQ(std::string("\0\0", 2) + std::string(kObjectsSize - 2, 'q'), Field(g_options.ExcludeObjects, kObjectsSize));
    EXPECT_EQ(Stored("", 4), std::string((const char*)&g_options.IncludeAllExtensions, 4));
}

// A stored name longer than the edit box cannot be edited, but OK writes it back whole.
TEST_F(FilterDialogTest, ALongStoredNameIsKeptWholeButNotEdited) {
    const std::string longName(300, 'L');
    SetList(g_options.ExcludeObjects, "short" + std::string(1, '\0') + longName + std::string(2, '\0'));
    EXPECT_EQ(1, Run([&](HWND dialog) {
        EXPECT_EQ((std::vector<std::string>{longName, "short"}), Items(dialog));
        Select(dialog, 0);
        {
            Press edit(dialog, 1009);
            EXPECT_EQ(nullptr, edit.Opened());
        }
        EXPECT_EQ((std::vector<std::string>{longName, "short"}), Items(dialog));
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Stored(longName + '\0' + "short" + std::string(3, '\0'), kObjectsSize),
              Field(g_options.ExcludeObjects, kObjectsSize));
}

TEST(EditObjectDialog, OkCopiesTheBoxIntoTheBufferAndCancelLeavesIt) {
    struct Case {
        int button;
        const char* typed;
        INT_PTR result;
        std::string buffer;
    };
    const Case cases[] = {
        {IDOK, "Renamed", 1, "Renamed"},
        {IDCANCEL, "Renamed", 2, "Original"},
        {IDOK, "", 1, ""},
    };
    for (const Case& c : cases) {
        char buffer[260] = "Original";
        const DWORD thread = GetCurrentThreadId();
        std::string shown;
        LRESULT limit = 0;
        std::thread driver([&] {
            HWND dialog = WaitForThreadWindow(thread, "Edit Object", 10000);
            if (!dialog) return;
            shown = Text(dialog, 1032);
            limit = SendDlgItemMessageA(dialog, 1032, EM_GETLIMITTEXT, 0, 0);
            SetDlgItemTextA(dialog, 1032, c.typed);
            PostMessageA(dialog, WM_COMMAND, c.button, 0);
        });
        const INT_PTR result = RunModalDialog(nullptr, kObjectNameDialogId, EditObjectDialog, (LPARAM)buffer);
        driver.join();
        EXPECT_EQ("Original", shown);
        EXPECT_EQ(259, limit);
        EXPECT_EQ(c.result, result) << c.typed;
        EXPECT_EQ(c.buffer, buffer) << c.button;
    }
}

// The real picker: the first object under the desktop is added by its name in the folder.
TEST_F(FilterDialogTest, AddWithTheShellPickerStoresThePickedName) {
    g_filterObjectPicker = savedPicker_;
    SetList(g_options.ExcludeObjects, std::string("\0\0", 2));
    std::string picked;
    EXPECT_EQ(1, Run([&](HWND dialog) {
        Press add(dialog, 1007);
        HWND picker = add.Opened();
        ASSERT_NE(nullptr, picker) << "the picker did not open";
        EXPECT_EQ("Select Object", Caption(picker));
        HWND tree = GetDlgItem(picker, 1000);
        HTREEITEM root = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        HTREEITEM first = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root);
        ASSERT_NE(nullptr, first) << "the desktop shows no objects";
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)first);
        char text[260] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = first;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&item);
        picked = item.pszText ? item.pszText : "";
        ASSERT_FALSE(picked.empty());
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(picker, IDOK)));
        ASSERT_TRUE(add.Close(IDOK));
        EXPECT_EQ((std::vector<std::string>{picked}), Items(dialog));
        EXPECT_EQ(picked, Selected(dialog));
        Press ok(dialog, IDOK);
    }));
    EXPECT_EQ(Stored(picked + std::string(3, '\0'), kObjectsSize), Field(g_options.ExcludeObjects, kObjectsSize));
}

}  // namespace
