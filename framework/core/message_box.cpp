// Interim message box: formats and bounds the text the way the framework's own box will,
// then shows it with the system box until the framework's laid-out dialog replaces it.
#include "message_box.h"

#include <cstdarg>
#include <cstdio>

#include "application.h"

int ShowMessage(HWND owner, const char* caption, const char* format, uint32_t flags, int focusId, ...) {
    (void)focusId;
    char text[1024];
    va_list args;
    va_start(args, focusId);
    // Bounded: a long argument is cut at 1023 characters, never overruns.
    vsnprintf(text, sizeof(text), format ? format : "", args);
    va_end(args);
    text[sizeof(text) - 1] = 0;

    UINT style = MB_SETFOREGROUND;
    switch (flags & 0xF) {
        case 1: style |= MB_ICONHAND; break;
        case 2: style |= MB_ICONEXCLAMATION; break;
        case 4: style |= MB_ICONASTERISK; break;
        case 8: style |= MB_ICONQUESTION; break;
    }
    switch (flags & 0xF0) {
        case 0x20: style |= MB_OKCANCEL; break;
        case 0x40: style |= MB_YESNO; break;
        case 0x80: style |= MB_YESNOCANCEL; break;
        default: style |= MB_OK; break;
    }
    if (flags & 0x400) style |= (flags & 0xF0) == 0x20 ? MB_DEFBUTTON2 : 0;
    if (flags & 0x1000) style |= MB_DEFBUTTON2;
    App().BeginModal();
    int result = MessageBoxA(owner, text, caption ? caption : App().productName, style);
    App().EndModal();
    return result == IDCANCEL ? 2 : result;
}
