// The framework's message box.
#pragma once
#include <windows.h>
#include <cstdint>

// Flags: low nibble icon (1 error, 2 warning, 4 information, 8 question), 0x10 OK,
// 0x20 OK+Cancel, 0x40 Yes+No, 0x80 Yes+No+Cancel, 0x100 bold first line.
// Returns the id of the button that ended the box (1 OK, 2 Cancel, 6 Yes, 7 No).
// The text is formatted into at most 1023 characters, always terminated.
int ShowMessage(HWND owner, const char* caption, const char* format, uint32_t flags, int focusId, ...);
