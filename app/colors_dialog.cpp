#include "colors_dialog.h"

#include <commdlg.h>

#include "../framework/core/dialog_helpers.h"
#include "../framework/core/scoped_handles.h"
#include "../framework/core/system_dialogs.h"
#include "options_store.h"

namespace {

// The dialog edits this copy; the swatches point into it, so it must outlive them. Only
// one colours dialog can be open (it is modal), so one copy is enough.
OptionsRecord s_copy;

// Custom colours offered by every chooser of the run; never stored.
COLORREF s_customColors[16];

struct ColorRow {
    int checkId;
    int swatchId;
    ColorSetting OptionsRecord::*group;
    bool selected;   // the selected-item half of the group
};

// In the order the dialog sets them up: each unselected row followed by its selected twin.
const ColorRow kRows[] = {
    {1065, 1066, &OptionsRecord::BackgroundColors, false},
    {1077, 1078, &OptionsRecord::BackgroundColors, true},
    {1085, 1086, &OptionsRecord::SizeBackgroundColors, false},
    {1087, 1088, &OptionsRecord::SizeBackgroundColors, true},
    {1075, 1076, &OptionsRecord::SubOpenAreaColors, false},
    {1083, 1084, &OptionsRecord::SubOpenAreaColors, true},
    {1067, 1068, &OptionsRecord::TextColors, false},
    {1079, 1080, &OptionsRecord::TextColors, true},
    {1069, 1070, &OptionsRecord::SizeTextColors, false},
    {1081, 1082, &OptionsRecord::SizeTextColors, true},
};

int32_t* FlagOf(OptionsRecord& record, const ColorRow& row) {
    ColorSetting& setting = record.*row.group;
    return row.selected ? &setting.UseSelected : &setting.UseNormal;
}

uint32_t* ColorOf(OptionsRecord& record, const ColorRow& row) {
    ColorSetting& setting = record.*row.group;
    return row.selected ? &setting.Selected : &setting.Normal;
}

// The swatch's colour; null when it was given none.
COLORREF* SwatchColor(HWND swatch) {
    return reinterpret_cast<COLORREF*>(GetWindowLongPtrA(swatch, GWLP_USERDATA));
}

void PaintSwatch(HWND swatch) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(swatch, &paint);
    if (!dc) return;
    RECT client;
    GetClientRect(swatch, &client);
    const COLORREF* color = SwatchColor(swatch);
    if (color) {
        GdiObject fill(CreateSolidBrush(*color));
        FillRect(dc, &client, fill.get() ? static_cast<HBRUSH>(fill.get()) : GetSysColorBrush(COLOR_BTNFACE));
    } else {
        // A system colour brush is owned by the system: never deleted.
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    EndPaint(swatch, &paint);
}

void PickColor(HWND swatch) {
    COLORREF* color = SwatchColor(swatch);
    if (!color) return;
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = swatch;
    choose.rgbResult = *color;
    choose.lpCustColors = s_customColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!SystemChooseColor(&choose)) return;
    *color = choose.rgbResult;
    InvalidateRect(swatch, nullptr, TRUE);
    SendMessageA(GetParent(swatch), WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID(swatch)), 0);
}

void OnInit(HWND dialog) {
    PrepareDialog(dialog);
    s_copy = g_options;
    for (const ColorRow& row : kRows) {
        CheckDlgButton(dialog, row.checkId, *FlagOf(s_copy, row) ? BST_CHECKED : BST_UNCHECKED);
        HWND swatch = GetDlgItem(dialog, row.swatchId);
        if (!swatch) continue;
        SetWindowLongPtrA(swatch, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ColorSwatchProc));
        SetWindowLongPtrA(swatch, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ColorOf(s_copy, row)));
    }
}

void OnOk(HWND dialog) {
    for (const ColorRow& row : kRows)
        *FlagOf(s_copy, row) = IsDlgButtonChecked(dialog, row.checkId) == BST_CHECKED ? 1 : 0;
    g_options = s_copy;
    EndDialog(dialog, IDOK);
}

}  // namespace

INT_PTR CALLBACK ColorsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit(dialog);
            return 1;
        case WM_COMMAND:
            // Swatches report a picked colour here too; the copy already holds it.
            if (LOWORD(wParam) == IDOK)
                OnOk(dialog);
            else if (LOWORD(wParam) == IDCANCEL)
                EndDialog(dialog, IDCANCEL);
            return 1;
    }
    return 0;
}

LRESULT CALLBACK ColorSwatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            PaintSwatch(window);
            return 0;
        case WM_LBUTTONDOWN:
            PickColor(window);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
