// The framework start-up.
#pragma once
#include <windows.h>
#include <cstdint>
#include "text_table.h"

// 0 = the program may run; 61458 = handed over to a running instance or "-QUIT" (nothing
// shown); 61465 = the data-folder wait was quit or its message shown; any other value =
// the start-up failed and its message was shown.
int InitApplication(HINSTANCE instance, uint16_t productTextId, TextRecord* programTexts,
                    int allowSeveralInstances, int32_t settingsStamp, const char* commandLine, int showCommand);
