#include "dialog_helpers.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "../window/frame_window.h"
#include "application.h"
#include "monitors.h"
#include "path_util.h"
#include "scoped_handles.h"

namespace {

constexpr int kMaxText = 260;          // captions and titles: at most 259 characters
constexpr LONG kGroupBoxStyle = 7;      // BS_GROUPBOX in the low three style bits
constexpr LONG kCheckBoxStyleBit = 0x2; // set for check boxes (and group boxes)

// Blanks that make room for a check box at the start of a group title: measured once.
int g_titleBlanks = 0;

int TextWidth(HDC dc, const char* text) {
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &size);
    return size.cx;
}

int BlankCount(HWND groupBox, int checkHeight) {
    if (g_titleBlanks > 0) return g_titleBlanks;
    WindowDC dc(groupBox);
    if (!dc.get()) return 1;
    Selected font(dc.get(), DialogBoldFont(GetParent(groupBox)));
    int blank = TextWidth(dc.get(), " A") - TextWidth(dc.get(), "A");
    if (blank < 1) blank = 1;
    g_titleBlanks = checkHeight / blank + 1;
    return g_titleBlanks;
}

// A check box standing on the top edge of a group box becomes the group's title: the
// check box shrinks to its square and the group box carries its caption, bold, after a
// gap of blanks in which the check box sits.
void LiftIntoGroupTitle(HWND dialog, HWND checkBox) {
    const RECT check = ChildRectInClient(dialog, checkBox);
    POINT probe = {check.left - 1, (check.top + check.bottom) / 2};
    HWND group = ChildWindowFromPoint(dialog, probe);
    if (!group || group == dialog) return;
    if ((GetWindowLongA(group, GWL_STYLE) & 7) == 0) return;
    RECT checkScreen, groupScreen;
    GetWindowRect(checkBox, &checkScreen);
    GetWindowRect(group, &groupScreen);
    const int height = checkScreen.bottom - checkScreen.top;
    const int distance = checkScreen.top > groupScreen.top ? checkScreen.top - groupScreen.top
                                                           : groupScreen.top - checkScreen.top;
    if (2 * distance > height) return;
    if (checkScreen.left < groupScreen.left || checkScreen.left > groupScreen.right) return;

    char caption[kMaxText];
    GetWindowTextA(checkBox, caption, sizeof(caption));
    SetWindowTextA(checkBox, "");
    SetWindowPos(checkBox, nullptr, 0, 0, height, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    int blanks = BlankCount(group, height);
    if (blanks > kMaxText - 1) blanks = kMaxText - 1;
    char title[kMaxText];
    memset(title, ' ', blanks);
    // A display text: the caption is cut to what is left of the 259 characters.
    CopyTruncated(title + blanks, kMaxText - blanks, caption);
    SendMessageA(group, WM_SETFONT, reinterpret_cast<WPARAM>(DialogBoldFont(dialog)), TRUE);
    SetWindowTextA(group, title);
}

void ShowOwner(HWND owner) {
    if (CFrameWindow* frame = App().FindFrameWindowByHandle(owner)) frame->Show(SW_SHOW, 0);
    else ShowWindow(owner, SW_SHOW);
    SetForegroundWindow(owner);
}

}  // namespace

RECT ChildRectInClient(HWND dialog, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HINSTANCE ResourceModule() { return App().instance ? App().instance : GetModuleHandleA(nullptr); }

HFONT DialogFont(HWND dialog) {
    if (App().painter.uiFont) return App().painter.uiFont;
    HFONT own = dialog ? reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)) : nullptr;
    return own ? own : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT DialogBoldFont(HWND dialog) {
    return App().painter.uiBoldFont ? App().painter.uiBoldFont : DialogFont(dialog);
}

void FitListWidth(HWND listBox, int margin) {
    WindowDC dc(listBox);
    if (!dc.get()) return;
    Selected font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(listBox, WM_GETFONT, 0, 0)));
    const int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
    int widest = 0;
    std::vector<char> text;
    for (int i = 0; i < count; ++i) {
        // Sized by the item's own length: no name is too long to measure.
        const LRESULT length = SendMessageA(listBox, LB_GETTEXTLEN, i, 0);
        if (length == LB_ERR) continue;
        text.assign(static_cast<size_t>(length) + 1, 0);
        SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        SIZE size = {0, 0};
        if (GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(length), &size) && size.cx > widest)
            widest = size.cx;
    }
    SendMessageA(listBox, LB_SETHORIZONTALEXTENT, widest + margin, 0);
}

SIZE MeasureText(HWND window, HFONT font, const char* text, int length) {
    SIZE size = {0, 0};
    WindowDC dc(window);
    if (!dc.get()) return size;
    Selected selected(dc.get(), font);
    GetTextExtentPoint32A(dc.get(), text, length, &size);
    return size;
}

INT_PTR RunModalDialog(HWND owner, int resourceId, DLGPROC procedure, LPARAM parameter) {
    if (owner) ShowOwner(owner);
    App().BeginModal();
    const INT_PTR result =
        DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(resourceId), owner, procedure, parameter);
    App().EndModal();
    return result;
}

void PrepareDialog(HWND dialog) {
    // WM_USER is also the dialog manager's DM_GETDEFID: its own answer (marked with
    // DC_HASDEFID) names the default push button, not a control the dialog wants bold.
    const LRESULT answer = SendMessageA(dialog, WM_USER, 0, 0);
    const int boldId = HIWORD(answer) == DC_HASDEFID ? 0 : LOWORD(answer);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16];
        if (!GetClassNameA(child, className, sizeof(className)) || strcmp(className, "Button") != 0) continue;
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (style & kCheckBoxStyleBit) LiftIntoGroupTitle(dialog, child);
        if ((style & 7) == kGroupBoxStyle || (boldId != 0 && GetDlgCtrlID(child) == boldId))
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(DialogBoldFont(dialog)), TRUE);
    }
    SetFocus(dialog);
    CentreWindow(dialog, nullptr);
    HWND parent = GetParent(dialog);
    if (parent && (GetWindowLongA(parent, GWL_EXSTYLE) & WS_EX_TOPMOST))
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void EnableControls(BOOL enable, HWND dialog, int id, ...) {
    va_list ids;
    va_start(ids, id);
    for (; id > 0; id = va_arg(ids, int)) EnableWindow(GetDlgItem(dialog, id), enable);
    va_end(ids);
}

void FocusControl(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
}

void SetControlTextF(HWND dialog, int id, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format ? format : "", args);
    va_end(args);
    text[sizeof(text) - 1] = 0;
    SetDlgItemTextA(dialog, id, text);
}
