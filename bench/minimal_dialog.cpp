// Baseline program of the start-up benchmark: shows the resource dialog "PlexaroBench" and
// ends when it is closed. It does nothing else, so the difference to the real program's
// start-up is the real program's own work.
#include <windows.h>

namespace {

const int kDialogId = 100;  // IDD_MINIMAL in minimal.rc

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialogId), nullptr, MinimalDialogProc, 0);
    return result == -1 ? 1 : 0;
}
