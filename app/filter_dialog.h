// The advanced exclusion filter (resource 103) and the object name dialog (resource 101).
#pragma once
#include <windows.h>
#include <shlobj.h>

constexpr int kFilterDialogId = 103;
constexpr int kObjectNameDialogId = 101;

INT_PTR CALLBACK ExclusionFilterDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Parameter: a 260-byte text buffer, edited in place on OK.
INT_PTR CALLBACK EditObjectDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The object picker that "&Add..." runs, called like SelectShellObject (which it is unless
// a test puts a stand-in here to choose names without the shell).
using ObjectPicker = int (*)(HINSTANCE instance, HWND owner, int pickerMode, char* text, LPITEMIDLIST* list);
extern ObjectPicker g_filterObjectPicker;
