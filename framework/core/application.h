// The one process-wide object: product identity, paths, data folders, hidden windows,
// registered messages, the two records and the framework's lists.
#pragma once
#include <windows.h>
#include <cstdint>
#include "command_line.h"
#include "command_table.h"
#include "framework_records.h"
#include "growable_list.h"
#include "text_table.h"
#include "../controls/painter.h"

class CFrameWindow;

// Start-up results and framework error codes.
enum : int {
    kErrorWindowNotCreated = 61442,
    kErrorImageNotRegistered = 61450,
    kErrorCommandNotRegistered = 61451,
    kErrorHandedOver = 61458,
    kErrorCommonControlsTooOld = 61461,
    kErrorInstallationRecord = 61462,
    kErrorDataFolderWait = 61465,
};

// Text ids of the framework table used by the core.
enum : uint16_t {
    kTextStartupError = 61443,
    kTextDataPath = 61448,
};

class CApplication {
public:
    CApplication();
    ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    const char* GetText(uint16_t id, int32_t sub) const { return texts.GetText(id, sub, settings.languageIndex); }
    // GetText for callers that format or show the text: never null.
    const char* Text(uint16_t id, int32_t sub) const { const char* t = GetText(id, sub); return t ? t : ""; }

    int FindArgument(const char* name) const { return arguments.FindArgument(name); }

    // Reads the installation record from HKLM "Software\Ombrix"\<product>; true when at
    // least 1326 bytes were there (a longer value is cut to 1326).
    bool ReadInstallationRecord();

    // Writes "(OMX)App" (the framework windows and bars come with the window layer).
    void SaveWindowStates();

    // Modal depth: after each change the new depth is sent (33793) to every framework window.
    void BeginModal();
    void EndModal();

    // Framework windows, kept sorted by window id.
    CFrameWindow* FindFrameWindowById(uint16_t id) const;
    CFrameWindow* FindFrameWindowByHandle(HWND window) const;
    // Index in the window list, or -1 when the window could not be created.
    int CreateFrameWindow(uint16_t id, WNDPROC procedure, const char* title, int iconId, uint32_t flags, int x, int y,
                          int width, int height);
    void DestroyFrameWindow(uint16_t id);
    void DestroyAllFrameWindows();   // last to first, at exit
    // Sent to the last window flagged as main (0x400), else the first; -1 with no window.
    LRESULT SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam);
    // The foreground window when it belongs to this process, else null.
    HWND GetOwnForegroundWindow() const;

    // The clean-up the destructor runs; callable once, early, by tests.
    void Shutdown();

    // Fields, in the order the framework keeps them.
    HINSTANCE instance = nullptr;
    uint32_t processId = 0;
    uint16_t productTextId = 0;
    char productName[260] = {};
    int32_t versionMajor = 0, versionMinor = 0, versionRelease = 0;
    char commandLine[1040] = {};
    char programPath[260] = {};
    char perUserDataFolder[260] = {};
    char commonDataFolder[260] = {};
    WNDPROC chainedWindowProc = nullptr;
    HWND tooltipWindow = nullptr;
    HWND phantomWindow = nullptr;
    void* hotItem = nullptr;
    int32_t modalDepth = 0;
    int32_t osVersionCode = 0;
    uint8_t is64BitSystem = 0;
    UINT taskbarCreatedMessage = 0;
    UINT controlMessage = 0;
    uint8_t noSave = 0;
    uint32_t productCheckValue = 0;
    uint8_t autostart = 0;
    uint8_t startMinimized = 0;
    int32_t restartMode = 0;
    char restartArguments[260] = {};
    uint8_t broadcastRestart = 0;
    uint32_t doubleClickTime = 0;
    uint8_t stampChanged = 0;
    // The data-path message was shown: the start-up ended for a real failure, not by the user.
    uint8_t dataFolderUnusable = 0;
    // Held from the search for a running instance until this instance's main window exists,
    // so two starts at the same moment cannot both miss each other.
    HANDLE instanceCheckLock = nullptr;
    void ReleaseInstanceCheck();
    // The tooltip window the framework's windows share; made when first asked for, so a
    // start does not pay for it before the first window shows. Null after Shutdown.
    HWND ToolTipWindow();
    AppSettingsRecord settings = {};
    InstallationRecord installation = {};

    CFrameWindow* activeWindow = nullptr;   // the framework window that last got activation

    CTextTable texts;
    CPainter painter;
    CGrowableList<CFrameWindow*> windows;
    CCommandTable commands;
    CArgumentList arguments;

private:
    bool shutDown_ = false;
};

// The application object.
CApplication& App();
