#include "window_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <cstring>
#include <vector>

#include "installation.h"

namespace {

struct WindowSearch {
    DWORD pid;
    const char* title;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    if (strcmp(text, search->title) != 0) return TRUE;
    if (search->className) {
        GetClassNameA(window, text, sizeof(text));
        if (strcmp(text, search->className) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

RunningProgram::RunningProgram(const std::string& arguments, const std::string& program) {
    std::string exe = program.empty() ? BuildFolder() + "\\Plexaro.exe" : program;
    std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_))
        process_ = {};
}

RunningProgram::~RunningProgram() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 255);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND RunningProgram::WaitForWindow(const char* title, const char* className, DWORD timeoutMs) const {
    if (!process_.hProcess) return nullptr;
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search = {process_.dwProcessId, title, className, nullptr};
        EnumWindows(FindProcessWindow, (LPARAM)&search);
        if (search.found) return search.found;
        if (GetTickCount() - start > timeoutMs || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0)
            return nullptr;
        Sleep(20);
    }
}

bool RunningProgram::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

void RunningProgram::ExpectCleanExit(DWORD timeoutMs) {
    DWORD exitCode = 99;
    ASSERT_TRUE(WaitForExit(timeoutMs, &exitCode)) << "the program did not end within " << timeoutMs << " ms";
    EXPECT_EQ(0u, exitCode);
}

void ClickButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void SetCheck(HWND dialog, int id, bool checked) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    ClickButton(dialog, id);
}

bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetSlider(HWND dialog, int id, int position) {
    HWND slider = GetDlgItem(dialog, id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), (LPARAM)slider);
}

int SliderPosition(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0); }

void SetText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

std::string GetText(HWND dialog, int id) {
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

void PostClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

struct OwnedSearch {
    DWORD process;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM lParam) {
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32];
    if (process != search->process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != search->owner ||
        !GetClassNameA(window, className, sizeof(className)) || strcmp(className, "#32770") != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND WaitForOwnedDialog(DWORD process, HWND owner, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        OwnedSearch search = {process, owner, nullptr};
        EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            SendMessageA(search.found, WM_NULL, 0, 0);   // its set-up is done
            return search.found;
        }
        Sleep(20);
    }
    return nullptr;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::string> ListBoxItems(HWND dialog, int id) {
    std::vector<std::string> items;
    HWND list = GetDlgItem(dialog, id);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring wide(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        const LRESULT got = length > 0 ? SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0])) : 0;
        wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
        std::string text(wide.size() * 2 + 1, '\0');
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                              static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
        items.push_back(text);
    }
    return items;
}

std::string ListBoxSelection(HWND dialog, int id) {
    const LRESULT index = SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0);
    const std::vector<std::string> items = ListBoxItems(dialog, id);
    return index < 0 || static_cast<size_t>(index) >= items.size() ? "" : items[static_cast<size_t>(index)];
}
