#include "application.h"

#include <commctrl.h>

#include "blob_store.h"
#include "crc32.h"
#include "elevation.h"
#include "../window/frame_window.h"

namespace {
// Constructed before the program entry runs and destroyed after it returns.
CApplication g_app;
}

CApplication& App() { return g_app; }

CApplication::CApplication() { SetDefaultAppSettings(&settings); }

CApplication::~CApplication() { Shutdown(); }

bool CApplication::ReadInstallationRecord() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ombrix", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    // A longer value is accepted and cut to the record; read it whole and keep the front.
    DWORD size = 0, type = 0;
    bool ok = false;
    if (RegQueryValueExA(key, productName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size >= kInstallationRecordSize) {
        BYTE* data = new BYTE[size];
        if (RegQueryValueExA(key, productName, nullptr, &type, data, &size) == ERROR_SUCCESS && size >= kInstallationRecordSize) {
            memcpy(&installation, data, kInstallationRecordSize);
            TerminateInstallationStrings(&installation);
            ok = true;
        }
        delete[] data;
    }
    RegCloseKey(key);
    return ok;
}

void CApplication::SaveWindowStates() {
    for (int i = 0; i < windows.Count(); ++i) windows[i]->SavePosition();
    WriteRecord("(OMX)App", -1, &settings, kAppSettingsSize);
}

void CApplication::ReleaseInstanceCheck() {
    if (!instanceCheckLock) return;
    ReleaseMutex(instanceCheckLock);
    CloseHandle(instanceCheckLock);
    instanceCheckLock = nullptr;
}

HWND CApplication::ToolTipWindow() {
    if (!tooltipWindow && !shutDown_) {
        tooltipWindow = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                        nullptr, instance, nullptr);
        if (tooltipWindow)
            SetWindowPos(tooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return tooltipWindow;
}

void CApplication::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    ReleaseInstanceCheck();
    if (tooltipWindow) { DestroyWindow(tooltipWindow); tooltipWindow = nullptr; }
    if (phantomWindow) { DestroyWindow(phantomWindow); phantomWindow = nullptr; }
    DestroyAllFrameWindows();
    // Nothing was settled when the start-up never got to the data folders: writing then
    // would put "(OMX)App" into whatever the current folder is.
    if (!noSave && perUserDataFolder[0]) SaveWindowStates();
    if (broadcastRestart)
        PostMessageA(HWND_BROADCAST, controlMessage, 33796, (LPARAM)productCheckValue);
    if (restartMode) PerformRestart();
    arguments.Clear();
    commands.Clear();
}
