// The framework's message box: dialog 50100 laid out at run time around the text.
#pragma once
#include <windows.h>
#include <cstdint>

// Flags: low nibble icon and sound (1 error, 2 warning, 4 information, 8 question), 0x10 OK,
// 0x20 OK+Cancel, 0x40 Yes+No, 0x80 Yes+No+Cancel, 0x100 bold first line; default button
// 0x200 OK, 0x400 Cancel, 0x800 Yes, 0x1000 No (else OK, or Yes for the Yes/No sets);
// 0x2000 the program's icon resource 2 on the box's window class.
// The owner is the given window or else this process's foreground window; a caption of
// null means the product name. The text is formatted into at most 1023 characters, always
// terminated, and shown in at most 16 lines (the 16th holds the rest of the text).
// Afterwards the focus goes to focusId in the owner, or back where it was.
// Returns the id of the button that ended the box (1 OK, 2 Cancel, also for Escape and the
// close box, 6 Yes, 7 No).
int ShowMessage(HWND owner, const char* caption, const char* format, uint32_t flags, int focusId, ...);

// Dialog resource and control ids of the box.
enum : int {
    kMessageBoxDialog = 50100,
    kMessageBoxIcon = 51000,
    kMessageBoxFirstLine = 51002,
    kMessageBoxMoreLines = 51003,
};

// Text id of the button captions (sub-texts 0 OK, 1 Cancel, 4 Yes, 5 No).
constexpr uint16_t kTextButtonCaptions = 61952;
