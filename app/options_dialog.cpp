#include "options_dialog.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>

#include "../framework/core/application.h"
#include "../framework/core/dialog_helpers.h"
#include "../framework/core/file_dialog.h"
#include "../framework/core/help.h"
#include "../framework/core/message_box.h"
#include "colors_dialog.h"
#include "favorites_dialog.h"
#include "filter_dialog.h"
#include "options_store.h"
#include "shell_objects.h"
#include "program_texts.h"
#include "string_list.h"

namespace {

HWND s_dialog = nullptr;

constexpr size_t kMaxFieldText = 260;   // the record's text fields

const char kHelpFile[] = "Plexaro.chm";
const char kOptionsTopic[] = "Options.htm";

// Units of the item size information, in list order (the index is stored).
const char kSizeUnits[4][16] = {"KB", "MB", "GB", "Adaptive"};

// Radio button of each menu position value.
const int kPositionButtons[4] = {1050, 1049, 1047, 1048};

struct CheckBinding {
    int id;
    int32_t OptionsRecord::*field;
};

// Check boxes whose state is stored as is.
const CheckBinding kChecks[] = {
    {1034, &OptionsRecord::Multicolumn},         {1035, &OptionsRecord::DragFoldersOnly},
    {1036, &OptionsRecord::DragOpenTarget},      {1040, &OptionsRecord::RecentSorted},
    {1041, &OptionsRecord::DragMoveToParent},    {1044, &OptionsRecord::RecentClearAtLogon},
    {1051, &OptionsRecord::DragDeleteEmpty},     {1065, &OptionsRecord::IncludeSystemHidden},
    {1084, &OptionsRecord::SizeInfoStartDisabled},
};

int32_t ToolTipsOn() { return (int32_t)(g_options.ToolTips >> 16); }
int32_t ToolTipSpeed() { return (int32_t)(g_options.ToolTips & 0xFFFF); }
void SetToolTips(int32_t on, int32_t speed) { g_options.ToolTips = ((uint32_t)on << 16) | ((uint32_t)speed & 0xFFFF); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, int32_t value) { CheckDlgButton(dialog, id, value ? BST_CHECKED : BST_UNCHECKED); }

void EnableRecentGroup(HWND dialog) {
    EnableControls(g_options.ShowRecent != 0, dialog, 1057, 1037, 1038, 1039, 1040, 1043, 1044, 0);
}
void EnableFavoritesGroup(HWND dialog) {
    EnableControls(g_options.ShowFavorites != 0, dialog, 1058, 1053, 1054, 1055, 1060, 0);
}
void EnableSubOpenGroup(HWND dialog) {
    EnableControls(g_options.SubOpenArea != 0, dialog, 1062, 1059, 1061, 1063, 0);
}

void SetNumber(HWND dialog, int id, int32_t value) { SetControlTextF(dialog, id, "%d", (int)value); }

// Reads a typed number; text without a number leaves the field as it was.
void ReadNumber(HWND dialog, int id, int32_t* field) {
    char text[64];
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    int value;
    if (sscanf(text, "%d", &value) == 1) *field = value;
}

// Copies a box's text into a fixed field (at most size - 1 characters).
void ReadText(HWND dialog, int id, char* field, int size) { GetDlgItemTextA(dialog, id, field, size); }

void SetFieldText(HWND dialog, int id, const char* field, size_t size) {
    char text[kMaxFieldText];
    size_t n = FieldLength(field, size);
    memcpy(text, field, n);
    text[n] = 0;
    SetDlgItemTextA(dialog, id, text);
}

void SetRange(HWND dialog, int id, int low, int high) {
    SendDlgItemMessageA(dialog, id, UDM_SETRANGE32, (WPARAM)low, (LPARAM)high);
}

void OnSliders(HWND dialog) {
    g_options.MenuDelay = (int32_t)SendDlgItemMessageA(dialog, 1027, TBM_GETPOS, 0, 0);
    char label[32];
    FormatDelayLabel(g_options.MenuDelay, label, sizeof(label));
    SetDlgItemTextA(dialog, 1028, label);
    SetToolTips(ToolTipsOn(), (int32_t)SendDlgItemMessageA(dialog, 1030, TBM_GETPOS, 0, 0));
}

// Checks the button of a stored menu position; none for a value outside the four. The
// buttons start unchecked. Checking an automatic radio button makes it walk its group to
// uncheck the others, which under Wine goes through every control of this dialog (about
// 10 ms of each start); checked as a plain radio button it does only its own part.
void CheckPositionButton(HWND dialog, int32_t position) {
    if (position < 0 || position >= 4) return;
    HWND button = GetDlgItem(dialog, kPositionButtons[position]);
    // Only the type changes; the button's other style bits go along as they are.
    const WPARAM others = (WPARAM)GetWindowLongA(button, GWL_STYLE) & 0xFFFF & ~(WPARAM)BS_TYPEMASK;
    SendMessageA(button, BM_SETSTYLE, others | BS_RADIOBUTTON, FALSE);
    SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(button, BM_SETSTYLE, others | BS_AUTORADIOBUTTON, FALSE);
}

void OnInit(HWND dialog) {
    CApplication& app = App();
    PrepareDialog(dialog);
    s_dialog = dialog;

    SetControlTextF(dialog, 1001, "%s V%d.%d.%d", app.Text(kTextProductName, 0), (int)app.versionMajor,
                    (int)app.versionMinor, (int)app.versionRelease);
    if (app.painter.uiBoldFont) {
        SendDlgItemMessageA(dialog, 1001, WM_SETFONT, (WPARAM)app.painter.uiBoldFont, FALSE);
        SendDlgItemMessageA(dialog, 1002, WM_SETFONT, (WPARAM)app.painter.uiBoldFont, FALSE);
    }

    CheckPositionButton(dialog, g_options.MenuPosition);
    Check(dialog, 1033, ToolTipsOn());
    Check(dialog, 1034, g_options.Multicolumn);

    char extensions[1040];
    FormatStringList(g_options.IncludeExtensions, sizeof(g_options.IncludeExtensions), extensions, sizeof(extensions));
    SendDlgItemMessageA(dialog, 1020, EM_LIMITTEXT, 259, 0);
    SetDlgItemTextA(dialog, 1020, extensions);

    SendDlgItemMessageA(dialog, 1027, TBM_SETRANGE, FALSE, MAKELPARAM(0, 1000));
    SendDlgItemMessageA(dialog, 1027, TBM_SETPOS, TRUE, g_options.MenuDelay);
    SendDlgItemMessageA(dialog, 1030, TBM_SETRANGE, FALSE, MAKELPARAM(1, 20));
    SendDlgItemMessageA(dialog, 1030, TBM_SETPOS, TRUE, ToolTipSpeed());
    // Reads both sliders back: a stored value outside a slider's range becomes the slider's.
    SendMessageA(dialog, WM_HSCROLL, 0, 0);

    SetFieldText(dialog, 1022, g_options.StartMenuRoot, sizeof(g_options.StartMenuRoot));
    Check(dialog, 1035, g_options.DragFoldersOnly);
    Check(dialog, 1041, g_options.DragMoveToParent);
    Check(dialog, 1051, g_options.DragDeleteEmpty);
    Check(dialog, 1036, g_options.DragOpenTarget);

    Check(dialog, 1042, g_options.ShowRecent);
    EnableRecentGroup(dialog);
    Check(dialog, 1040, g_options.RecentSorted);
    Check(dialog, 1044, g_options.RecentClearAtLogon);
    SetNumber(dialog, 1037, g_options.RecentCount);
    SetRange(dialog, 1038, 1, 64);

    Check(dialog, 1052, g_options.ShowFavorites);
    EnableFavoritesGroup(dialog);
    SetNumber(dialog, 1053, g_options.FavoriteCount);
    SetRange(dialog, 1054, 1, 64);

    Check(dialog, 1056, g_options.SubOpenArea);
    EnableSubOpenGroup(dialog);
    SetNumber(dialog, 1059, g_options.SubOpenAreaWidth);
    SetRange(dialog, 1061, 16, 100);

    SetNumber(dialog, 1045, g_options.ItemHeightAdd);
    SetRange(dialog, 1046, -100, 100);

    Check(dialog, 1084, g_options.SizeInfoStartDisabled);
    for (const char* unit : kSizeUnits) SendDlgItemMessageA(dialog, 1081, CB_ADDSTRING, 0, (LPARAM)unit);
    SendDlgItemMessageA(dialog, 1081, CB_SETCURSEL, (WPARAM)g_options.SizeUnits, 0);

    Check(dialog, 1064, g_options.IncludeHidden);
    Check(dialog, 1065, g_options.IncludeSystemHidden);
    EnableControls(g_options.IncludeHidden != 0, dialog, 1065, 0);

    SetFieldText(dialog, 1019, g_options.UnknownTypeCommand, sizeof(g_options.UnknownTypeCommand));
    SetFieldText(dialog, 1021, g_options.FileManager, sizeof(g_options.FileManager));
    SetForegroundWindow(dialog);
}

void ShowInvalidPath(HWND dialog) {
    ShowMessage(dialog, App().productName, App().Text(kTextInvalidPath, 0), 0x111, 0);
}

// Takes the typed fields over and saves; false when the Options record could not be
// written (the user has been told, and the dialog stays open).
bool TakeOverAndSave(HWND dialog, int mode) {
    LRESULT unit = SendDlgItemMessageA(dialog, 1081, CB_GETCURSEL, 0, 0);
    if (unit >= 0) g_options.SizeUnits = (int32_t)unit;

    char extensions[1040];
    GetDlgItemTextA(dialog, 1020, extensions, sizeof(extensions));
    g_options.IncludeAllExtensions = ParseExtensionList(extensions, g_options.IncludeExtensions);

    ReadText(dialog, 1019, g_options.UnknownTypeCommand, sizeof(g_options.UnknownTypeCommand));
    ReadText(dialog, 1022, g_options.StartMenuRoot, sizeof(g_options.StartMenuRoot));
    // A path typed into the file manager box is the user's edit too: take it over as well.
    ReadText(dialog, 1021, g_options.FileManager, sizeof(g_options.FileManager));

    ReadNumber(dialog, 1037, &g_options.RecentCount);
    ClampInt(&g_options.RecentCount, 1, 64);
    ReadNumber(dialog, 1053, &g_options.FavoriteCount);
    ClampInt(&g_options.FavoriteCount, 1, 64);
    SaveFavorites();
    ReadNumber(dialog, 1059, &g_options.SubOpenAreaWidth);
    ClampInt(&g_options.SubOpenAreaWidth, 16, 1024);
    ReadNumber(dialog, 1045, &g_options.ItemHeightAdd);

    if (!SaveOptions(mode)) {
        CApplication& app = App();
        ShowMessage(dialog, app.productName, app.Text(kTextDataPath, 0), 0x111, 0, app.perUserDataFolder);
        return false;
    }
    return true;
}

// The framework's open-file dialog for a program; on a choice the quoted command goes
// into the field and its box.
void BrowseProgram(HWND dialog, char* field, size_t size, int boxId, bool withPlaceholder) {
    CApplication& app = App();
    char filter[160];
    int n = snprintf(filter, sizeof(filter), "%s", app.Text(kTextExeFilter, 0));
    if (n < 0 || n > 100) n = 0;
    // Pairs of description and pattern, each ended by a zero, the list by another.
    memcpy(filter + n + 1, "*.EXE\0All Files (*.*)\0*.*\0", 27);
    char initial[kMaxFieldText];
    size_t len = FieldLength(field, size);
    memcpy(initial, field, len);
    initial[len] = 0;
    const char* path = FileDialog(false, filter, 0, nullptr, nullptr, initial);
    if (!path) return;
    if (!QuoteProgramPath(path, withPlaceholder, field, size)) {
        ShowInvalidPath(dialog);
        return;
    }
    SetDlgItemTextA(dialog, boxId, field);
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
        case IDOK:
            if (TakeOverAndSave(dialog, kSaveOk)) EndDialog(dialog, 1);
            return;
        case 3:
            TakeOverAndSave(dialog, kSaveApply);
            return;
        case IDCANCEL:
            EndDialog(dialog, 2);
            return;
        case 1005:
            BrowseProgram(dialog, g_options.UnknownTypeCommand, sizeof(g_options.UnknownTypeCommand), 1019, true);
            return;
        case 1009:
            BrowseProgram(dialog, g_options.FileManager, sizeof(g_options.FileManager), 1021, false);
            return;
        case 1007:
            OpenHelp(kHelpFile, kOptionsTopic);
            return;
        case 1033:
            SetToolTips(Checked(dialog, 1033), ToolTipSpeed());
            return;
        case 1042:
            g_options.ShowRecent = Checked(dialog, 1042);
            EnableRecentGroup(dialog);
            return;
        case 1043:
            ClearRecentList();
            return;
        case 1052:
            g_options.ShowFavorites = Checked(dialog, 1052);
            EnableFavoritesGroup(dialog);
            return;
        case 1056:
            g_options.SubOpenArea = Checked(dialog, 1056);
            EnableSubOpenGroup(dialog);
            return;
        case 1060:
            // The favourites dialog shows this many slots.
            ReadNumber(dialog, 1053, &g_options.FavoriteCount);
            ClampInt(&g_options.FavoriteCount, 1, 64);
            RunModalDialog(dialog, kFavoritesDialogId, FavoritesDialog, 0);
            return;
        case 1006:
            RunModalDialog(dialog, kFilterDialogId, ExclusionFilterDialog, 0);
            return;
        case 1068:
            RunModalDialog(dialog, kColorsDialogId, ColorsDialog, 0);
            return;
        case 1008:
            if (SelectShellObject(App().instance, dialog, 1, g_options.StartMenuRoot, nullptr) != 2)
                SetFieldText(dialog, 1022, g_options.StartMenuRoot, sizeof(g_options.StartMenuRoot));
            return;
        case 1064:
            g_options.IncludeHidden = Checked(dialog, 1064);
            EnableControls(g_options.IncludeHidden != 0, dialog, 1065, 0);
            return;
    }
    for (int value = 0; value < 4; ++value)
        if (id == kPositionButtons[value] && Checked(dialog, id)) g_options.MenuPosition = value;
    for (const CheckBinding& check : kChecks)
        if (id == check.id) g_options.*check.field = Checked(dialog, id);
}

}  // namespace

void FormatDelayLabel(int32_t delay, char* out, size_t size) {
    int tenths = (int)((delay + 50) / 100.0);
    float seconds = (float)(tenths / 10.0);
    snprintf(out, size, "%.1f second%s", seconds, seconds == 1.0f ? "" : "s");
    // "1.0 second" reads "1 second".
    if (strlen(out) > 2 && out[2] == '0') memmove(out + 1, out + 3, strlen(out + 3) + 1);
}

bool QuoteProgramPath(const char* path, bool withPlaceholder, char* field, size_t size) {
    char quoted[kMaxFieldText + 16];
    int n = snprintf(quoted, sizeof(quoted), withPlaceholder ? "\"%s\" \"%%1\"" : "\"%s\"", path);
    if (n < 0 || (size_t)n >= size) return false;
    memcpy(field, quoted, (size_t)n + 1);
    return true;
}

INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit(dialog);
            return 1;
        case WM_HSCROLL:
            OnSliders(dialog);
            return 1;
        case WM_COMMAND:
            OnCommand(dialog, LOWORD(wParam));
            return 1;
        case WM_HELP:
            OpenHelp(kHelpFile, kOptionsTopic);
            return 1;
        case WM_DESTROY:
            s_dialog = nullptr;
            return 0;
    }
    return 0;
}

LRESULT CALLBACK OptionsCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
        case WM_QUIT:
            PostQuitMessage(0);
            break;
        case 33772:   // store your data
            SaveOptions(kSaveQuiet);
            break;
        case 33784:   // help: the start page
            OpenHelp(kHelpFile, nullptr);
            break;
        case 33789:   // activate
            if (s_dialog) {
                ShowWindow(s_dialog, SW_SHOWNORMAL);
                SetForegroundWindow(s_dialog);
            }
            break;
        case 33795:   // quit
            PostMessageA(window, WM_QUIT, 0, 0);
            break;
    }
    WNDPROC chained = App().chainedWindowProc;
    return chained ? CallWindowProcA(chained, window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}
