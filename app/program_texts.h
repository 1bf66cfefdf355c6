#pragma once
#include "../framework/core/text_table.h"

// The program's English text table (unsorted, ended by the end record).
extern TextRecord g_programTexts[];

enum : uint16_t {
    kTextProductName = 0,
    kTextExeFilter = 10,
    kTextRestartComputer = 11,
    kTextInvalidPath = 20,
    kTextFilterFull = 21,
};
