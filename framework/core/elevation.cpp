#include "elevation.h"

#include <windows.h>
#include <shellapi.h>
#include <cstdlib>
#include <cstring>

#include "application.h"
#include "path_util.h"

int GetOsVersionCode(uint8_t* is64) {
    if (is64) {
        *is64 = 0;
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
        auto isWow64 = (IsWow64ProcessFn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
        BOOL wow = FALSE;
        if (isWow64 && isWow64(GetCurrentProcess(), &wow) && wow) *is64 = 1;
    }
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA((OSVERSIONINFOA*)&info)) return 0;
#pragma GCC diagnostic pop
    return ClassifyOsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.wProductType,
                             info.wSuiteMask, GetSystemMetrics(SM_SERVERR2));
}

int IsElevated() {
    // Under Wine every process is elevated; tests choose the answer to exercise both paths.
    const char* forced = getenv("PLEXARO_TEST_ELEVATION");
    if (forced && (forced[0] == '0' || forced[0] == '1') && forced[1] == 0) return forced[0] - '0';
    if (App().osVersionCode < 600) return 1;
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return -1;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    int result = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size)
                     ? (elevation.TokenIsElevated ? 1 : 0)
                     : -1;
    CloseHandle(token);
    return result;
}

bool RequestRestart(int mode, const char* arguments, int broadcast) {
    CApplication& app = App();
    const char* args = arguments ? arguments : app.commandLine;
    char copy[sizeof(app.restartArguments)];
    if (!CopyBounded(copy, sizeof(copy), args)) return false;
    if (mode == -1) mode = IsElevated() ? 2 : 1;
    app.restartMode = mode;
    memcpy(app.restartArguments, copy, sizeof(copy));
    PostQuitMessage(0);
    app.broadcastRestart = broadcast ? 1 : 0;
    return true;
}

void PerformRestart() {
    CApplication& app = App();
    if (!app.restartMode) return;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return;
    const char* verb = app.restartMode == 2 && app.osVersionCode >= 600 ? "runas" : nullptr;
    // A test's "not elevated" answer belongs to this process: the copy started elevated must
    // not inherit it, or it would ask for elevation again and again.
    if (app.restartMode == 2) SetEnvironmentVariableA("PLEXARO_TEST_ELEVATION", nullptr);
    ShellExecuteA(nullptr, verb, path, app.restartArguments, nullptr, SW_SHOWNORMAL);
}
