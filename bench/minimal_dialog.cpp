// Baseline program of the start-up benchmark. Without arguments it shows the resource dialog
// "PlexaroBench" and ends when it is closed. With "-options" it shows the options dialog's
// own template (caption "Plexaro"), with no data behind it: the difference to the real
// program is then everything the program does besides creating that dialog.
#include <windows.h>
#include <commctrl.h>
#include <cstring>

namespace {

const int kDialogId = 100;         // IDD_MINIMAL in minimal.rc
const int kOptionsDialogId = 104;  // the options dialog's template, included by minimal.rc

INT_PTR CALLBACK MinimalDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wparam));
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    int id = kDialogId;
    if (commandLine && strstr(commandLine, "-options")) {
        // The template's sliders and up-down controls need their classes.
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        id = kOptionsDialogId;
    }
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(id), nullptr, MinimalDialogProc, 0);
    return result == -1 ? 1 : 0;
}
