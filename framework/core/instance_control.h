// One running instance: a second start hands its request over through the control message.
#pragma once
#include <windows.h>

// Control codes carried in the control message's wParam (and sent on to the main window).
enum : UINT {
    kControlStoreData = 33772,
    kControlHelp = 33784,
    kControlActivate = 33789,
    kControlTaskbarCreated = 33791,
    kControlModalDepth = 33793,
    kControlQuit = 33795,
    kControlRestart = 33796,
};

// Another instance's main framework window: class "OMXWindow" whose title is exactly the
// product name (a title that merely contains it belongs to some other product).
HWND FindRunningInstance(const char* productName);

// Window procedure of the hidden phantom window, which receives the broadcasts.
LRESULT CALLBACK PhantomWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
