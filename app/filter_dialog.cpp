#include "filter_dialog.h"

#include <cstring>
#include <initializer_list>

#include "../framework/core/application.h"
#include "../framework/core/dialog_helpers.h"
#include "../framework/core/help.h"
#include "../framework/core/message_box.h"
#include "options_store.h"
#include "program_texts.h"
#include "shell_objects.h"
#include "string_list.h"

ObjectPicker g_filterObjectPicker = SelectShellObject;

namespace {

enum : int {
    kExtensionsBox = 1021,
    kObjectList = 1025,
    kAddButton = 1007,
    kEditButton = 1009,
    kRemoveButton = 1010,
    kNameBox = 1032,
};

constexpr int kTextSize = 260;                  // names and the extension line: 259 characters
constexpr size_t kObjectsSize = sizeof(OptionsRecord::ExcludeObjects);
constexpr size_t kListEnd = 2;                  // zero bytes written after the last name

const char kHelpFile[] = "Plexaro.chm";
const char kHelpTopic[] = "Options.htm";

// The record as it was when the dialog opened, for Cancel. The dialog is modal and opened
// only from the options dialog, so one copy serves.
OptionsRecord s_atOpening;

HWND ObjectList(HWND dialog) { return GetDlgItem(dialog, kObjectList); }

LRESULT ItemLength(HWND list, WPARAM index) { return SendMessageA(list, LB_GETTEXTLEN, index, 0); }

// Reads an item into text; -1 when it does not fit (or does not exist), else its length.
// LB_GETTEXT takes no size, so the length is checked first.
int ReadItem(HWND list, WPARAM index, char* text, size_t size) {
    const LRESULT length = ItemLength(list, index);
    if (length < 0 || (size_t)length >= size) return -1;
    const LRESULT got = SendMessageA(list, LB_GETTEXT, index, (LPARAM)text);
    if (got < 0) return -1;
    text[got] = 0;
    return (int)got;
}

// Bytes the list box's names take in ExcludeObjects: each name with its zero, then the
// list's closing zero bytes. Empty items are never written, so they count nothing.
size_t ListBytes(HWND list) {
    size_t total = kListEnd;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ItemLength(list, (WPARAM)i);
        if (length > 0) total += (size_t)length + 1;
    }
    return total;
}

void RefuseFullList(HWND dialog) {
    CApplication& app = App();
    ShowMessage(dialog, app.productName, app.Text(kTextFilterFull, 0), 0x111, 0);
}

// Adds the names of a stored list. The field's last two bytes count as the list's end, so
// a field without its terminators is never read past; every name read this way can be
// written back by OK unless the stored list was already over-full.
void FillObjectList(HWND list, const char* field, size_t size) {
    const size_t limit = size - kListEnd;
    char name[kObjectsSize];
    size_t i = 0;
    while (i < limit && field[i]) {
        size_t n = 0;
        while (i + n < limit && field[i + n]) ++n;
        memcpy(name, field + i, n);
        name[n] = 0;
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name);
        i += n + 1;
    }
}

// Builds the stored form of the list box's names in out (the field's size). False, with
// out undefined, when the names and the closing zeros do not fit.
bool ComposeObjectList(HWND list, char* out, size_t size, size_t* used) {
    size_t at = 0;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ItemLength(list, (WPARAM)i);
        // An empty name would end the stored list early and hide every name after it.
        if (length <= 0) continue;
        if (at + (size_t)length + 1 + kListEnd > size) return false;
        const int got = ReadItem(list, (WPARAM)i, out + at, size - kListEnd - at);
        if (got <= 0) continue;
        at += (size_t)got + 1;
    }
    out[at++] = 0;
    out[at++] = 0;
    *used = at;
    return true;
}

void EnableItemButtons(HWND dialog) {
    HWND list = ObjectList(dialog);
    if (!list) return;
    const bool selected = SendMessageA(list, LB_GETCURSEL, 0, 0) >= 0;
    for (int id : {kEditButton, kRemoveButton}) {
        HWND button = GetDlgItem(dialog, id);
        if (!button || (IsWindowEnabled(button) != FALSE) == selected) continue;
        // A disabled button cannot keep the keyboard focus: hand it to the list.
        if (!selected && GetFocus() == button) SetFocus(list);
        EnableWindow(button, selected);
    }
}

void OnInit(HWND dialog) {
    PrepareDialog(dialog);
    memcpy(&s_atOpening, &g_options, sizeof(s_atOpening));

    char extensions[kTextSize];
    FormatStringList(g_options.ExcludeExtensions, sizeof(g_options.ExcludeExtensions), extensions, sizeof(extensions));
    SendDlgItemMessageA(dialog, kExtensionsBox, EM_LIMITTEXT, kTextSize - 1, 0);
    SetDlgItemTextA(dialog, kExtensionsBox, extensions);

    HWND list = ObjectList(dialog);
    FillObjectList(list, g_options.ExcludeObjects, sizeof(g_options.ExcludeObjects));
    FitListWidth(list, 4);
}

void OnAdd(HWND dialog) {
    char name[kTextSize] = {};
    if (g_filterObjectPicker(ResourceModule(), dialog, 0, name, nullptr) == 2) return;
    name[kTextSize - 1] = 0;
    if (!name[0]) return;   // nothing to exclude, and it would end the stored list

    HWND list = ObjectList(dialog);
    LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name);
    if (index < 0) {
        if (ListBytes(list) + strlen(name) + 1 > kObjectsSize) {
            RefuseFullList(dialog);
            return;
        }
        index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name);
        if (index < 0) return;
        FitListWidth(list, 4);
    }
    SendMessageA(list, LB_SETCURSEL, (WPARAM)index, 0);
}

void OnEdit(HWND dialog) {
    HWND list = ObjectList(dialog);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    char text[kTextSize] = "";
    size_t oldBytes = 0;
    if (selected >= 0) {
        // A longer name can only come from a stored list: it cannot be edited in the
        // 259-character box, and stays as it is.
        const int length = ReadItem(list, (WPARAM)selected, text, sizeof(text));
        if (length < 0) return;
        oldBytes = length > 0 ? (size_t)length + 1 : 0;
    }
    if (RunModalDialog(dialog, kObjectNameDialogId, EditObjectDialog, (LPARAM)text) != 1) return;
    text[kTextSize - 1] = 0;
    if (!text[0]) return;
    if (ListBytes(list) - oldBytes + strlen(text) + 1 > kObjectsSize) {
        RefuseFullList(dialog);
        return;
    }
    if (selected >= 0) SendMessageA(list, LB_DELETESTRING, (WPARAM)selected, 0);
    const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
    if (index >= 0) SendMessageA(list, LB_SETCURSEL, (WPARAM)index, 0);
    FitListWidth(list, 4);
}

void OnRemove(HWND dialog) {
    HWND list = ObjectList(dialog);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    SendMessageA(list, LB_DELETESTRING, (WPARAM)selected, 0);
    FitListWidth(list, 4);
}

void OnOk(HWND dialog) {
    // The whole list is checked before anything is stored: an over-full stored list is
    // refused here rather than cut, and the user can remove names or cancel.
    char objects[kObjectsSize];
    size_t used = 0;
    if (!ComposeObjectList(ObjectList(dialog), objects, sizeof(objects), &used)) {
        RefuseFullList(dialog);
        return;
    }
    char extensions[kTextSize];
    GetDlgItemTextA(dialog, kExtensionsBox, extensions, sizeof(extensions));
    ParseExtensionList(extensions, g_options.ExcludeExtensions);
    // Only the list itself is written: the rest of the field belongs to the extension.
    memcpy(g_options.ExcludeObjects, objects, used);
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, int id, int code) {
    switch (id) {
        case kAddButton:
            OnAdd(dialog);
            return;
        case kEditButton:
            OnEdit(dialog);
            return;
        case kRemoveButton:
            OnRemove(dialog);
            return;
        case kObjectList:
            if (code == LBN_DBLCLK) OnEdit(dialog);
            return;
        case IDOK:
            OnOk(dialog);
            return;
        case IDCANCEL:
            memcpy(&g_options, &s_atOpening, sizeof(g_options));
            EndDialog(dialog, 2);
            return;
    }
}

}  // namespace

INT_PTR CALLBACK ExclusionFilterDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    EnableItemButtons(dialog);
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
    }
    return 0;
}

INT_PTR CALLBACK EditObjectDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            PrepareDialog(dialog);
            char* text = (char*)lParam;
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            text[kTextSize - 1] = 0;
            SendDlgItemMessageA(dialog, kNameBox, EM_LIMITTEXT, kTextSize - 1, 0);
            SetDlgItemTextA(dialog, kNameBox, text);
            return 1;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                char* text = (char*)GetWindowLongPtrA(dialog, DWLP_USER);
                GetDlgItemTextA(dialog, kNameBox, text, kTextSize);
                EndDialog(dialog, 1);
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 2);
            }
            return 1;
        case WM_HELP:
            OpenHelp(kHelpFile, kHelpTopic);
            return 1;
    }
    return 0;
}
