#include "installation.h"

#include <tlhelp32.h>
#include <cstring>

namespace {

const char kKey[] = "Software\\Ombrix";
const char kValue[] = "Plexaro";

bool ReadValue(std::string* out) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, kValue, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        out->assign(size, '\0');
        ok = RegQueryValueExA(key, kValue, nullptr, nullptr, (BYTE*)&(*out)[0], &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* p = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == p->pid && IsWindowVisible(window)) p->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
    char text[2048];
    if (GetWindowTextA(child, text, sizeof(text)) > 0) {
        auto* out = reinterpret_cast<std::string*>(param);
        if (!out->empty()) *out += '\n';
        *out += text;
    }
    return TRUE;
}

}  // namespace

std::string BuildFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    *strrchr(path, '\\') = 0;
    return path;
}

TestInstallation::TestInstallation() {
    hadValue_ = ReadValue(&savedValue_);
    installFolder_ = temp_.File("install");
    dataFolder_ = temp_.File("data");
    CreateDirectoryA(installFolder_.c_str(), nullptr);
    CreateDirectoryA((installFolder_ + "\\Init").c_str(), nullptr);
    strcpy(record_.installFolder, installFolder_.c_str());
    record_.customDataFolderFlag = 1;
    strcpy(record_.customDataFolder, dataFolder_.c_str());
    WriteRecord();
}

TestInstallation::~TestInstallation() {
    if (hadValue_) WriteRecordBytes(savedValue_);
    else DeleteRecord();
}

bool TestInstallation::WriteRecord() {
    return WriteRecordBytes(std::string((const char*)&record_, sizeof(record_)));
}

bool TestInstallation::WriteRecordBytes(const std::string& bytes) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, kValue, 0, REG_BINARY, (const BYTE*)bytes.data(), (DWORD)bytes.size()) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool TestInstallation::DeleteRecord() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return true;
    LONG rc = RegDeleteValueA(key, kValue);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

RunResult RunProgram(const std::string& arguments, DWORD timeoutMs, const std::string& program,
                     const std::function<void(DWORD)>& whilePolling) {
    RunResult result;
    std::string exe = program.empty() ? BuildFolder() + "\\Plexaro.exe" : program;
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return result;
    result.started = true;
    DWORD start = GetTickCount();
    std::vector<HWND> closed;
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
        if (whilePolling) whilePolling(process.dwProcessId);
        ProcessWindows found = {process.dwProcessId, {}};
        EnumWindows(CollectWindow, (LPARAM)&found);
        for (HWND window : found.windows) {
            bool known = false;
            for (HWND c : closed) known = known || c == window;
            if (known) continue;
            Sleep(200);   // let the window finish drawing its texts
            SeenWindow seen;
            char text[512] = "";
            GetClassNameA(window, text, sizeof(text));
            seen.className = text;
            GetWindowTextA(window, text, sizeof(text));
            seen.title = text;
            EnumChildWindows(window, CollectText, (LPARAM)&seen.text);
            result.windows.push_back(seen);
            closed.push_back(window);
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        if (GetTickCount() - start > timeoutMs) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 255);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

bool WaitForNoProcess(const char* exeName, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        bool running = false;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        if (snapshot != INVALID_HANDLE_VALUE) {
            for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
                running = running || _stricmp(entry.szExeFile, exeName) == 0;
            CloseHandle(snapshot);
        }
        if (!running) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(100);
    }
}

namespace {
const char kUnknownTypeCommandKey[] = "Unknown\\shell\\open\\command";
}  // namespace

UnknownTypeCommandGuard::UnknownTypeCommandGuard() { had_ = Read(&saved_); }

UnknownTypeCommandGuard::~UnknownTypeCommandGuard() {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kUnknownTypeCommandKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "Unknown\\shell\\open");
    if (!had_) return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kUnknownTypeCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, nullptr, 0, REG_SZ, (const BYTE*)saved_.c_str(), (DWORD)saved_.size() + 1);
        RegCloseKey(key);
    }
}

bool UnknownTypeCommandGuard::Read(std::string* out) {
    out->clear();
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kUnknownTypeCommandKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char value[1024] = "";
    DWORD size = sizeof(value) - 1;
    const bool ok = RegQueryValueExA(key, nullptr, nullptr, nullptr, (BYTE*)value, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    value[size < sizeof(value) ? size : sizeof(value) - 1] = 0;
    *out = value;
    return ok;
}
