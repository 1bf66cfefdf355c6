// Drives the real program from a test: starts it, finds its windows, and works its
// controls with window messages only (as the user's clicks would arrive).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class RunningProgram {
public:
    // Starts the program (default: the built Plexaro.exe) with the arguments.
    explicit RunningProgram(const std::string& arguments, const std::string& program = "");
    // Ends the program if it still runs, so a failed test never leaves it behind.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    DWORD ProcessId() const { return process_.dwProcessId; }

    // A visible top-level window of the program with this title (and class, when given).
    HWND WaitForWindow(const char* title, const char* className = nullptr, DWORD timeoutMs = 20000) const;
    // Waits for the program to end; true with its exit code, false on time-out.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    // Waits for the program to end and expects exit code 0 (a fatal failure on time-out).
    void ExpectCleanExit(DWORD timeoutMs = 15000);

private:
    PROCESS_INFORMATION process_ = {};
};

// Control helpers. Each sends what the control itself would send its dialog.
void ClickButton(HWND dialog, int id);                   // WM_COMMAND BN_CLICKED
void SetCheck(HWND dialog, int id, bool checked);        // state, then BN_CLICKED
bool IsChecked(HWND dialog, int id);
void SetSlider(HWND dialog, int id, int position);       // position, then WM_HSCROLL
int SliderPosition(HWND dialog, int id);
void SetText(HWND dialog, int id, const std::string& text);
std::string GetText(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// Clicks a button without waiting for what it does (a modal window it opens would block a
// sent message until closed).
void PostClick(HWND dialog, int id);
// A visible dialog of the process owned by owner (a sub-dialog, a message box, a chooser),
// once its set-up is done; null on time-out.
HWND WaitForOwnedDialog(DWORD process, HWND owner, DWORD timeoutMs = 15000);
// Waits until the window is gone or hidden.
bool WaitGone(HWND window, DWORD timeoutMs = 15000);
// The texts of a list box's items in another process. Asked for in UTF-16: the text of a
// list item is not converted between processes, so the narrow form would come back as
// the first character only.
std::vector<std::string> ListBoxItems(HWND dialog, int id);
// The selected item's text, or "" when nothing is selected.
std::string ListBoxSelection(HWND dialog, int id);
