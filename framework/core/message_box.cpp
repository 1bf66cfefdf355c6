#include "message_box.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "application.h"
#include "dialog_helpers.h"
#include "path_util.h"

namespace {

constexpr int kMaxMessage = 1024;   // formatted text: 1023 characters and the terminator
constexpr int kMaxLines = 16;

// The default button of the last box shown; the box's show handling styles the buttons by it.
int g_defaultButton = IDOK;

struct MessageBoxParams {
    const char* caption;
    const char* text;
    uint32_t flags;
};

enum class ButtonSet { Ok, OkCancel, YesNo, YesNoCancel };

ButtonSet ButtonsFor(uint32_t flags) {
    switch (flags & 0xF0) {
        case 0x20: return ButtonSet::OkCancel;
        case 0x40: return ButtonSet::YesNo;
        case 0x80: return ButtonSet::YesNoCancel;
        default: return ButtonSet::Ok;
    }
}

bool InSet(ButtonSet set, int id) {
    switch (set) {
        case ButtonSet::Ok: return id == IDOK;
        case ButtonSet::OkCancel: return id == IDOK || id == IDCANCEL;
        case ButtonSet::YesNo: return id == IDYES || id == IDNO;
        case ButtonSet::YesNoCancel: return id == IDYES || id == IDNO || id == IDCANCEL;
    }
    return false;
}

int DefaultButtonFor(uint32_t flags) {
    const ButtonSet set = ButtonsFor(flags);
    int named = 0;
    if (flags & 0x200) named = IDOK;
    else if (flags & 0x400) named = IDCANCEL;
    else if (flags & 0x800) named = IDYES;
    else if (flags & 0x1000) named = IDNO;
    // A default that the set does not show would leave the focus on a hidden button.
    if (named && InSet(set, named)) return named;
    return set == ButtonSet::YesNo || set == ButtonSet::YesNoCancel ? IDYES : IDOK;
}

// One line slot of the text: where it starts in the copy and how long it is.
struct Line {
    const char* start;
    int length;
    int width;
    int height;
};

// Splits at line feeds into at most 16 slots; the last slot takes the rest of the text.
int SplitLines(const char* text, Line* lines) {
    int count = 0;
    const char* p = text;
    for (;;) {
        const char* end = count == kMaxLines - 1 ? nullptr : strchr(p, '\n');
        if (!end) {
            lines[count++] = {p, (int)strlen(p), 0, 0};
            return count;
        }
        lines[count++] = {p, (int)(end - p), 0, 0};
        p = end + 1;
    }
}

// Measures a slot: its widest line and the sum of its lines' heights (only the last slot
// can hold more than one line). An empty line is measured as a blank.
void MeasureSlot(HWND box, HFONT font, Line* line) {
    int width = 0, height = 0;
    const char* p = line->start;
    const char* end = line->start + line->length;
    for (;;) {
        const char* feed = static_cast<const char*>(memchr(p, '\n', end - p));
        const int length = (int)((feed ? feed : end) - p);
        const SIZE size = length ? MeasureText(box, font, p, length) : MeasureText(box, font, " ", 1);
        if (size.cx > width) width = size.cx;
        height += size.cy;
        if (!feed) break;
        p = feed + 1;
    }
    line->width = width + 8;
    line->height = height + 1;
}

void PlaceControl(HWND dialog, int id, int x, int y, int width, int height) {
    SetWindowPos(GetDlgItem(dialog, id), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveButton(HWND dialog, int id, int x, int y) {
    SetWindowPos(GetDlgItem(dialog, id), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void HideButtons(HWND dialog, std::initializer_list<int> ids) {
    for (int id : ids) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
}

void SetIconAndSound(HWND box, uint32_t flags) {
    LPCSTR icon = nullptr;
    UINT sound = 0;
    switch (flags & 0xF) {
        case 1: icon = MAKEINTRESOURCEA(32513); sound = MB_ICONHAND; break;          // IDI_HAND
        case 2: icon = MAKEINTRESOURCEA(32515); sound = MB_ICONEXCLAMATION; break;   // IDI_EXCLAMATION
        case 4: icon = MAKEINTRESOURCEA(32516); sound = MB_ICONASTERISK; break;      // IDI_ASTERISK
        case 8: icon = MAKEINTRESOURCEA(32514); sound = MB_ICONQUESTION; break;      // IDI_QUESTION
        default: return;
    }
    SendDlgItemMessageA(box, kMessageBoxIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
    MessageBeep(sound);
}

// Lays the box out around its text (WM_INITDIALOG).
void LayOut(HWND box, const MessageBoxParams& params) {
    SetWindowTextA(box, params.caption);
    char copy[2048];
    CopyTruncated(copy, sizeof(copy), params.text);
    if (params.flags & 0x2000) {
        HICON icon = static_cast<HICON>(LoadImageA(ResourceModule(), MAKEINTRESOURCEA(2), IMAGE_ICON, 32, 32, 0));
        if (icon) SetClassLongPtrA(box, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    }

    const HFONT normal = DialogFont(box);
    const HFONT first = (params.flags & 0x100) ? DialogBoldFont(box) : normal;
    SendDlgItemMessageA(box, kMessageBoxFirstLine, WM_SETFONT, reinterpret_cast<WPARAM>(first), FALSE);
    SendDlgItemMessageA(box, kMessageBoxMoreLines, WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);

    const RECT firstRect = ChildRectInClient(box, GetDlgItem(box, kMessageBoxFirstLine));
    const int x = firstRect.left, y = firstRect.top;
    const RECT iconRect = ChildRectInClient(box, GetDlgItem(box, kMessageBoxIcon));
    const int iconHeight = iconRect.bottom - iconRect.top;

    Line lines[kMaxLines];
    const int count = SplitLines(copy, lines);
    int widest = 0, restHeight = 0;
    for (int i = 0; i < count; ++i) {
        MeasureSlot(box, i == 0 ? first : normal, &lines[i]);
        if (lines[i].width > widest) widest = lines[i].width;
        if (i > 0) restHeight += lines[i].height;
    }
    lines[0].height += 2;
    const int w0 = lines[0].width, h0 = lines[0].height;

    char text[kMaxMessage];
    memcpy(text, lines[0].start, lines[0].length);
    text[lines[0].length] = 0;
    SetDlgItemTextA(box, kMessageBoxFirstLine, text);
    if (count == 1) {
        PlaceControl(box, kMessageBoxFirstLine, x, y + (iconHeight - h0) / 2, w0, h0);
        DestroyWindow(GetDlgItem(box, kMessageBoxMoreLines));
    } else if (count == 2) {
        const int h1 = lines[1].height;
        const int top = y + (iconHeight - h1 - h0) / 2;
        PlaceControl(box, kMessageBoxFirstLine, x, top, w0, h0);
        PlaceControl(box, kMessageBoxMoreLines, x, top + h0, lines[1].width, h1);
        memcpy(text, lines[1].start, lines[1].length);
        text[lines[1].length] = 0;
        SetDlgItemTextA(box, kMessageBoxMoreLines, text);
    } else {
        PlaceControl(box, kMessageBoxFirstLine, x, y, w0, h0);
        PlaceControl(box, kMessageBoxMoreLines, x, y + h0, widest, restHeight);
        SetDlgItemTextA(box, kMessageBoxMoreLines, lines[1].start);
    }

    // The button row moves down when the text reaches below it; the box grows with it.
    const RECT okRect = ChildRectInClient(box, GetDlgItem(box, IDOK));
    const int bw = okRect.right - okRect.left, bh = okRect.bottom - okRect.top;
    int rowTop = okRect.top;
    int extra = 0;
    const int textBottom = y + h0 + h0 / 2 + restHeight;
    if (rowTop < textBottom) {
        extra = textBottom - rowTop;
        rowTop = textBottom;
    }

    const ButtonSet set = ButtonsFor(params.flags);
    const int buttons = set == ButtonSet::Ok ? 1 : set == ButtonSet::YesNoCancel ? 3 : 2;
    const int gap = bh / 3, pitch = bw + gap;
    RECT boxRect;
    GetWindowRect(box, &boxRect);
    int width = x + 2 * h0 + widest;
    if (buttons * pitch + bh > width) width = buttons * pitch + bh;
    SetWindowPos(box, nullptr, 0, 0, width, boxRect.bottom - boxRect.top + extra,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(box, &client);
    const int clientWidth = client.right;

    SetIconAndSound(box, params.flags);

    switch (set) {
        case ButtonSet::Ok:
            HideButtons(box, {IDCANCEL, IDYES, IDNO});
            MoveButton(box, IDOK, (clientWidth - bw) / 2, rowTop);
            break;
        case ButtonSet::OkCancel: {
            HideButtons(box, {IDYES, IDNO});
            const int x0 = (clientWidth - 2 * bw - gap) / 2;
            MoveButton(box, IDOK, x0, rowTop);
            MoveButton(box, IDCANCEL, x0 + pitch, rowTop);
            break;
        }
        case ButtonSet::YesNo: {
            HideButtons(box, {IDOK, IDCANCEL});
            const int x0 = (clientWidth - 2 * bw - bh / 4) / 2;
            MoveButton(box, IDYES, x0, rowTop);
            MoveButton(box, IDNO, x0 + pitch, rowTop);
            break;
        }
        case ButtonSet::YesNoCancel: {
            HideButtons(box, {IDOK});
            const int x0 = (clientWidth - 3 * bw - (2 * bh) / 3) / 2;
            MoveButton(box, IDYES, x0, rowTop);
            MoveButton(box, IDNO, x0 + pitch, rowTop);
            MoveButton(box, IDCANCEL, x0 + 2 * pitch, rowTop);
            break;
        }
    }

    g_defaultButton = DefaultButtonFor(params.flags);
    // Enter presses the default button even when the focus has moved to another control.
    SendMessageA(box, DM_SETDEFID, g_defaultButton, 0);

    SetDlgItemTextA(box, IDOK, App().Text(kTextButtonCaptions, 0));
    SetDlgItemTextA(box, IDCANCEL, App().Text(kTextButtonCaptions, 1));
    SetDlgItemTextA(box, IDYES, App().Text(kTextButtonCaptions, 4));
    SetDlgItemTextA(box, IDNO, App().Text(kTextButtonCaptions, 5));

    PrepareDialog(box);
    SetFocus(GetDlgItem(box, g_defaultButton));
}

void StyleButtons(HWND box) {
    static const int kButtons[] = {IDOK, IDCANCEL, IDYES, IDNO};
    for (int id : kButtons) {
        HWND button = GetDlgItem(box, id);
        const bool isDefault = id == g_defaultButton;
        SendMessageA(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(isDefault ? DialogBoldFont(box) : DialogFont(box)),
                     TRUE);
    }
}

INT_PTR CALLBACK MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            LayOut(box, *reinterpret_cast<const MessageBoxParams*>(lParam));
            return FALSE;   // the focus is already on the default button
        case WM_SHOWWINDOW:
            StyleButtons(box);
            return FALSE;   // the default handling still hides and shows the box with its owner
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id != IDOK && id != IDCANCEL && id != IDYES && id != IDNO) return TRUE;
            EndDialog(box, id);
            if (HWND parent = GetParent(box)) BringWindowToTop(parent);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

int ShowMessage(HWND owner, const char* caption, const char* format, uint32_t flags, int focusId, ...) {
    char text[kMaxMessage];
    va_list args;
    va_start(args, focusId);
    // Bounded: a long argument is cut at 1023 characters and the text always ends.
    vsnprintf(text, sizeof(text), format ? format : "", args);
    va_end(args);
    text[sizeof(text) - 1] = 0;

    MessageBoxParams params = {caption ? caption : App().productName, text, flags};
    HWND focus = GetFocus();
    if (!owner) owner = App().GetOwnForegroundWindow();
    const INT_PTR result = RunModalDialog(owner, kMessageBoxDialog, MessageBoxProc, reinterpret_cast<LPARAM>(&params));
    if (owner && focusId) FocusControl(owner, focusId);
    else if (focus && IsWindow(focus)) SetFocus(focus);
    return (int)result;
}
