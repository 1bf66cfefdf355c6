// The colours dialog (resource 468) and its colour swatches.
#pragma once
#include <windows.h>

constexpr int kColorsDialogId = 468;

// Edits a copy of the Options record's colour settings; OK copies it back (ends with 1),
// Cancel leaves the record alone (ends with 2).
INT_PTR CALLBACK ColorsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// A swatch: its window user data points at the COLORREF it shows and edits (or is null).
// A click opens the system colour chooser; a confirmed colour is stored and reported to
// the parent as WM_COMMAND with the swatch's id.
LRESULT CALLBACK ColorSwatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
