// Shell objects: item ID list helpers over the shell allocator, and the object picker
// (dialog 113).
#pragma once
#include <windows.h>
#include <shlobj.h>

constexpr int kPickerDialogId = 113;
constexpr int kPickerTreeId = 1000;

// Picker modes: what SelectShellObject returns as text.
enum : int {
    kPickerInFolderName = 0,   // the name as the shell shows it inside its folder
    kPickerParsingName = 1,    // the parsing name (the full path for file-system objects)
};

// No list the program copies, joins or stores may be larger than this.
constexpr UINT kMaxItemIdListSize = 65535;

// Size in bytes including the 2-byte terminator, summed in 32 bits. 0 for null and for a
// list that is not usable: an item count of 1 (it would not advance past its own size
// field, so the chain is malformed) or a list larger than kMaxItemIdListSize. The walk
// stops at the first count below 2 or as soon as the sum passes the maximum, so it never
// reads more than kMaxItemIdListSize + 2 bytes of a bad list. Lists of unknown origin
// (files) are checked with ItemIdListSizeBounded first.
UINT ItemIdListSize(LPCITEMIDLIST list);
// Null for null and for a list that ItemIdListSize refuses; else a copy from the shell
// allocator, owned by the caller.
LPITEMIDLIST CloneItemIdList(LPCITEMIDLIST list);
// The first list's items followed by the whole second list. Null when a present list is
// refused or the result would exceed kMaxItemIdListSize.
LPITEMIDLIST ConcatItemIdLists(LPCITEMIDLIST first, LPCITEMIDLIST second);
// 0 when a name was got, 1 when the fallback text was used.
int GetItemName(IShellFolder* folder, LPCITEMIDLIST list, char* text, int size, DWORD kind);

// Runs the picker; 1 OK, 2 Cancel. On OK text (260 bytes) gets the chosen name and *list
// (when given) a copy of the object's absolute list, which the caller owns.
int SelectShellObject(HINSTANCE instance, HWND owner, int pickerMode, char* text, LPITEMIDLIST* list);
