// The advanced filter in the real program: objects are added with the picker and renamed
// with "Edit Object" until the stored list is full; the refusal appears and Options.dcf
// keeps the list inside its field.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../../app/options_record.h"
#include "../support/installation.h"
#include "../support/window_driver.h"

namespace {

constexpr int kMoreFilters = 1006;   // in the options dialog
enum : int { kExtensions = 1021, kObjects = 1025, kAdd = 1007, kEdit = 1009, kNameBox = 1032 };
constexpr size_t kObjectsOffset = offsetof(OptionsRecord, ExcludeObjects);
constexpr size_t kObjectsSize = sizeof(OptionsRecord::ExcludeObjects);

std::vector<std::string> Items(HWND dialog) { return ListBoxItems(dialog, kObjects); }

// Bytes the names take in the stored field, with its closing zeros.
size_t StoredSize(const std::vector<std::string>& names) {
    size_t size = 2;
    for (const std::string& name : names) size += name.size() + 1;
    return size;
}

// The names of a stored list field (each ended by a zero, the list by an empty name).
std::vector<std::string> NamesOfField(const std::string& field) {
    std::vector<std::string> names;
    size_t at = 0;
    while (at < field.size() && field[at]) {
        const size_t end = field.find('\0', at);
        if (end == std::string::npos) break;
        names.push_back(field.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

std::string Caption(HWND window) {
    char text[128] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

class FilterE2E : public ::testing::Test {
protected:
    HWND OpenFilter(RunningProgram& program) {
        options_ = program.WaitForWindow("Plexaro", "#32770");
        if (!options_) {
            ADD_FAILURE() << "the options dialog did not appear";
            return nullptr;
        }
        before_ = ReadBytes(install.DataFile("Options.dcf"));
        EXPECT_EQ(sizeof(OptionsRecord), before_.size());
        PostClick(options_, kMoreFilters);
        HWND filter = WaitForOwnedDialog(program.ProcessId(), options_);
        EXPECT_NE(nullptr, filter) << "the filter dialog did not open";
        if (filter) {
            EXPECT_EQ("Advanced Filter", Caption(filter));
        }
        return filter;
    }

    // "&Add..." with the first object under the desktop picked; returns its name as shown.
    std::string AddFirstObject(RunningProgram& program, HWND filter) {
        PostClick(filter, kAdd);
        HWND picker = WaitForOwnedDialog(program.ProcessId(), filter);
        if (!picker) {
            ADD_FAILURE() << "the picker did not open";
            return "";
        }
        HWND tree = GetDlgItem(picker, 1000);
        HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        HTREEITEM first = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
        EXPECT_NE(nullptr, first) << "the desktop shows no objects";
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
        ClickButton(picker, IDOK);
        EXPECT_TRUE(WaitGone(picker));
        return Selected(filter);
    }

    static std::string Selected(HWND filter) { return ListBoxSelection(filter, kObjects); }

    // Renames the selected item through "Edit Object".
    void EditSelected(RunningProgram& program, HWND filter, const std::string& name) {
        PostClick(filter, kEdit);
        HWND edit = WaitForOwnedDialog(program.ProcessId(), filter);
        ASSERT_NE(nullptr, edit) << "\"Edit Object\" did not open";
        EXPECT_EQ("Edit Object", Caption(edit));
        SetText(edit, kNameBox, name);
        ClickButton(edit, IDOK);
        EXPECT_TRUE(WaitGone(edit));
    }

    // The refusal box, checked and closed.
    void ExpectRefusal(RunningProgram& program, HWND filter) {
        HWND box = WaitForOwnedDialog(program.ProcessId(), filter);
        ASSERT_NE(nullptr, box) << "no refusal";
        EXPECT_EQ("Plexaro", Caption(box));
        EXPECT_EQ("The list of excluded objects is full.", GetText(box, 51002));
        ClickButton(box, IDOK);
        EXPECT_TRUE(WaitGone(box));
    }

    TestInstallation install;
    HWND options_ = nullptr;
    std::string before_;
};

TEST_F(FilterE2E, AFullListRefusesTheNextNameAndTheStoredFieldStaysInside) {
    RunningProgram program("");
    HWND filter = OpenFilter(program);
    ASSERT_NE(nullptr, filter);
    ASSERT_TRUE(Items(filter).empty()) << "the extension's defaults exclude no objects";

    std::vector<std::string> accepted;
    bool refused = false;
    for (int round = 0; round < 8 && !refused; ++round) {
        const std::vector<std::string> current = Items(filter);
        // The picked object is added unless its name no longer fits.
        PostClick(filter, kAdd);
        HWND picker = WaitForOwnedDialog(program.ProcessId(), filter);
        ASSERT_NE(nullptr, picker);
        HWND tree = GetDlgItem(picker, 1000);
        HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        HTREEITEM first = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
        ASSERT_NE(nullptr, first);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
        ClickButton(picker, IDOK);
        ASSERT_TRUE(WaitGone(picker));
        const std::vector<std::string> afterAdd = Items(filter);
        if (afterAdd.size() == current.size()) {
            ExpectRefusal(program, filter);
            refused = true;
            break;
        }
        const std::string picked = Selected(filter);
        ASSERT_FALSE(picked.empty());
        EXPECT_LE(StoredSize(afterAdd), kObjectsSize);

        // Renamed to a long name: accepted while it fits, else refused.
        const std::string name = std::string(1, static_cast<char>('A' + round)) + std::string(199, 'x');
        const bool fits = StoredSize(afterAdd) - (picked.size() + 1) + name.size() + 1 <= kObjectsSize;
        PostClick(filter, kEdit);
        HWND edit = WaitForOwnedDialog(program.ProcessId(), filter);
        ASSERT_NE(nullptr, edit);
        EXPECT_EQ("Edit Object", Caption(edit));
        EXPECT_EQ(picked, GetText(edit, kNameBox));
        SetText(edit, kNameBox, name);
        ClickButton(edit, IDOK);
        ASSERT_TRUE(WaitGone(edit));
        if (!fits) {
            ExpectRefusal(program, filter);
            refused = true;
            std::vector<std::string> expected = accepted;
            expected.push_back(picked);
            std::sort(expected.begin(), expected.end());
            std::vector<std::string> items = Items(filter);
            std::sort(items.begin(), items.end());
            EXPECT_EQ(expected, items) << "the refused name was not taken";
            accepted.push_back(picked);
        } else {
            accepted.push_back(name);
            EXPECT_EQ(name, Selected(filter));
        }
    }
    ASSERT_TRUE(refused) << "the list never filled";
    const std::vector<std::string> shown = Items(filter);
    EXPECT_LE(StoredSize(shown), kObjectsSize);

    ClickButton(filter, IDOK);
    ASSERT_TRUE(WaitGone(filter));
    ClickButton(options_, IDOK);
    ASSERT_NO_FATAL_FAILURE(program.ExpectCleanExit());

    const std::string after = ReadBytes(install.DataFile("Options.dcf"));
    ASSERT_EQ(sizeof(OptionsRecord), after.size());
    const std::string field = after.substr(kObjectsOffset, kObjectsSize);
    EXPECT_EQ(shown, NamesOfField(field)) << "every shown name is stored, in the list's order";
    const size_t used = StoredSize(shown);
    EXPECT_EQ(std::string(2, '\0'), field.substr(used - 2, 2)) << "the list ends with two zero bytes";
    // The fields after the list are as they were.
    const size_t next = kObjectsOffset + kObjectsSize;
    EXPECT_EQ(before_.substr(next, 8), after.substr(next, 8)) << "IncludeAllExtensions and MenuDelay";
}

TEST_F(FilterE2E, TypedExtensionsAndAnAddedObjectAreStoredOnOk) {
    RunningProgram program("");
    HWND filter = OpenFilter(program);
    ASSERT_NE(nullptr, filter);
    SetText(filter, kExtensions, "tmp, *.bak ,log");
    const std::string picked = AddFirstObject(program, filter);
    ASSERT_FALSE(picked.empty());
    ClickButton(filter, IDOK);
    ASSERT_TRUE(WaitGone(filter));
    ClickButton(options_, IDOK);
    DWORD exitCode = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &exitCode));

    const std::string after = ReadBytes(install.DataFile("Options.dcf"));
    ASSERT_EQ(sizeof(OptionsRecord), after.size());
    EXPECT_EQ(std::vector<std::string>{picked}, NamesOfField(after.substr(kObjectsOffset, kObjectsSize)));
    const std::string extensions = after.substr(offsetof(OptionsRecord, ExcludeExtensions), 16);
    EXPECT_EQ(std::string("tmp\0bak\0log\0\0", 13), extensions.substr(0, 13));
}

}  // namespace
