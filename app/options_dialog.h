// The options dialog (resource 104), the program's main window, and the options editor's
// callback on the hidden framework window.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr int kOptionsDialogId = 104;

INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Reacts to the framework's control codes, then passes everything to the framework window.
LRESULT CALLBACK OptionsCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "0 seconds", "0.5 seconds", "1 second": the menu delay label for a delay in ms.
void FormatDelayLabel(int32_t delay, char* out, size_t size);

// Builds "\"path\" \"%1\"" (withPlaceholder) or "\"path\"" into field[260]. Returns false and
// leaves the field untouched when the quoted text would not fit.
bool QuoteProgramPath(const char* path, bool withPlaceholder, char* field, size_t size);
