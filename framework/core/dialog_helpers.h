// Running dialogs modally and giving them the framework's look, and one-line helpers for
// dialog controls.
#pragma once
#include <windows.h>

// Shows the owner (a framework window is asked to show itself) and brings it forward,
// raises the modal depth for the time of the dialog and runs the dialog resource modally.
// Returns the dialog's result (-1 when it could not be created).
INT_PTR RunModalDialog(HWND owner, int resourceId, DLGPROC procedure, LPARAM parameter);

// Called by every dialog from WM_INITDIALOG: bold group boxes, check boxes lifted into the
// title of the group box they stand on, focus, centring on the parent within its monitor,
// topmost when the parent is. A dialog names a control to make bold by answering WM_USER
// (wParam 0, lParam 0) with its id in DWLP_MSGRESULT and returning TRUE.
void PrepareDialog(HWND dialog);

// Enables or disables each listed control; the list ends at the first id of 0 or less.
void EnableControls(BOOL enable, HWND dialog, int id, ...);

// Gives the control the focus and selects all of its text.
void FocusControl(HWND dialog, int id);

// Formats the text (cut at 1023 characters, always terminated) and sets it as the
// control's text.
void SetControlTextF(HWND dialog, int id, const char* format, ...);

// The framework's user-interface fonts for a dialog: the painter's normal and bold fonts,
// or, before the painter has made them, the dialog's own font (else the system's GUI font).
HFONT DialogFont(HWND dialog);
HFONT DialogBoldFont(HWND dialog);

// Size of a text in a font, as drawn on the window's device context.
SIZE MeasureText(HWND window, HFONT font, const char* text, int length);

// Lets a list box scroll sideways as far as its widest item text reaches, plus margin pixels.
void FitListWidth(HWND listBox, int margin);

// Rectangle of a child window in its dialog's client coordinates.
RECT ChildRectInClient(HWND dialog, HWND child);

// The module that holds the program's dialog resources.
HINSTANCE ResourceModule();
