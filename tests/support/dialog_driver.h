// Drives a dialog that runs modally on the test's own thread: a second thread finds it,
// works its controls with the messages they would send, and reads them back.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A visible dialog owned by the window (a message box, a sub-dialog, the picker), other
// than except; null when there is none (yet).
HWND OwnedDialog(HWND owner, HWND except = nullptr);
// Waits up to 10 s for OwnedDialog; the dialog found has finished its set-up.
HWND WaitForOwnedDialog(HWND owner, HWND except = nullptr);
// A visible window of the thread with this caption, once its set-up is done.
HWND WaitForThreadWindow(DWORD thread, const char* caption, DWORD timeoutMs);
// A visible dialog of this process with the caption (any caption when null) and owner (any
// owner when null), other than skip, once its set-up is done; null when none shows in time.
HWND WaitForProcessDialog(const char* caption, DWORD timeoutMs = 10000, HWND owner = nullptr, HWND skip = nullptr);
// Posts IDCANCEL to every dialog of the thread; returns how many there were.
int CancelThreadDialogs(DWORD thread);

// Runs runModal on this thread while drive(dialog) works the dialog captioned caption
// from another thread. Whatever drive leaves open is cancelled, so a failing test never
// hangs. Returns what runModal returned, or -2 (with a test failure saying what the modal
// call returned) when the dialog did not appear within 20 s.
INT_PTR RunDriven(const char* caption, const std::function<INT_PTR()>& runModal,
                  const std::function<void(HWND)>& drive);

// Presses a control from a helper thread, as the control would notify its dialog, so that
// a window the command opens never blocks the driver. Opened() is that window, or null
// when the command finished without opening one.
class Press {
public:
    Press(HWND dialog, int id, int code = BN_CLICKED);
    ~Press();
    Press(const Press&) = delete;
    Press& operator=(const Press&) = delete;

    HWND Opened() const { return opened_; }
    // Ends the opened window with a button and waits for the command to finish.
    bool Close(int button);
    bool Finish();

private:
    HWND dialog_;
    std::atomic<bool> done_{false};
    HWND opened_ = nullptr;
    std::thread sender_;
};

std::string Caption(HWND window);
std::string ControlText(HWND window, int id);
// The texts of a list box's items, in order, and the selected one ("<none>" without one).
std::vector<std::string> ListItems(HWND dialog, int listId);
std::string SelectedItem(HWND dialog, int listId);
// Selects an item the way a click does: the list notifies its dialog.
void SelectItem(HWND dialog, int listId, int index);
