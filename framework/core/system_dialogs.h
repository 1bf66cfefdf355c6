// The system's common dialogs and gradient fill, loaded when first used. Linking their
// libraries would load them (and everything they pull in) at every start, before the
// options dialog can show, for dialogs most runs never open.
#pragma once
#include <windows.h>
#include <commdlg.h>

// As the system calls of the same names; FALSE (0) when the library cannot be loaded.
BOOL SystemGetOpenFileName(OPENFILENAMEA* ofn);
BOOL SystemGetSaveFileName(OPENFILENAMEA* ofn);
DWORD SystemCommDlgExtendedError();
BOOL SystemChooseColor(CHOOSECOLORA* choose);
BOOL SystemGradientFill(HDC hdc, TRIVERTEX* vertices, ULONG count, void* mesh, ULONG meshCount, ULONG mode);
