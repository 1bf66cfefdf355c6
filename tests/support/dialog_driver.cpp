#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool IsDialog(HWND window) {
    char className[32];
    return GetClassNameA(window, className, sizeof(className)) && strcmp(className, "#32770") == 0;
}

struct OwnedSearch {
    HWND owner;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (window != search->except && GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        IsDialog(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct CaptionSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (IsWindowVisible(window) && strcmp(title, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM count) {
    if (IsDialog(window)) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

struct ProcessDialogSearch {
    const char* caption;
    HWND owner;
    HWND skip;
    HWND found;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ProcessDialogSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (window == search->skip || process != GetCurrentProcessId() || !IsWindowVisible(window) || !IsDialog(window))
        return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (search->caption && strcmp(title, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND OwnedDialog(HWND owner, HWND except) {
    OwnedSearch search = {owner, except, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForOwnedDialog(HWND owner, HWND except) {
    for (int i = 0; i < 500; ++i) {
        if (HWND found = OwnedDialog(owner, except)) {
            SendMessageA(found, WM_NULL, 0, 0);
            return found;
        }
        Sleep(20);
    }
    return nullptr;
}

HWND WaitForProcessDialog(const char* caption, DWORD timeoutMs, HWND owner, HWND skip) {
    for (const DWORD start = GetTickCount();; Sleep(10)) {
        ProcessDialogSearch search = {caption, owner, skip, nullptr};
        EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            SendMessageA(search.found, WM_NULL, 0, 0);   // its initialisation is done
            return search.found;
        }
        if (GetTickCount() - start >= timeoutMs) return nullptr;
    }
}

int CancelThreadDialogs(DWORD thread) {
    int open = 0;
    EnumThreadWindows(thread, CancelDialog, reinterpret_cast<LPARAM>(&open));
    return open;
}

HWND WaitForThreadWindow(DWORD thread, const char* caption, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount();; Sleep(10)) {
        CaptionSearch search = {caption, nullptr};
        EnumThreadWindows(thread, FindCaption, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            SendMessageA(search.found, WM_NULL, 0, 0);   // its initialisation is done
            return search.found;
        }
        if (GetTickCount() - start >= timeoutMs) return nullptr;
    }
}

INT_PTR RunDriven(const char* caption, const std::function<INT_PTR()>& runModal,
                  const std::function<void(HWND)>& drive) {
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    bool appeared = false;
    std::thread driver([&] {
        HWND dialog = nullptr;
        // Gives up early when the modal call has already come back without a dialog.
        for (const DWORD start = GetTickCount(); !dialog && !returned && GetTickCount() - start < 20000; Sleep(10))
            dialog = WaitForThreadWindow(thread, caption, 0);
        if (dialog) {
            appeared = true;
            drive(dialog);
        }
        for (int i = 0; i < 100 && CancelThreadDialogs(thread) > 0; ++i) Sleep(50);
    });
    const INT_PTR result = runModal();
    returned = true;
    driver.join();
    if (!appeared) {
        ADD_FAILURE() << "the dialog \"" << caption << "\" did not appear; the modal call returned " << result
                      << " (last error " << GetLastError() << ")";
        return -2;
    }
    return result;
}

Press::Press(HWND dialog, int id, int code) : dialog_(dialog) {
    sender_ = std::thread([this, dialog, id, code] {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        done_ = true;
    });
    for (const DWORD start = GetTickCount(); !done_ && GetTickCount() - start < 10000; Sleep(10)) {
        if ((opened_ = OwnedDialog(dialog)) != nullptr) {
            SendMessageA(opened_, WM_NULL, 0, 0);
            break;
        }
    }
}

Press::~Press() {
    // A window left open is cancelled, so a failed test cannot hang here.
    for (int i = 0; i < 500 && !done_; ++i) {
        if (i % 100 == 99)
            if (HWND open = OwnedDialog(dialog_)) PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
        Sleep(20);
    }
    sender_.join();
}

bool Press::Close(int button) {
    if (opened_) PostMessageA(opened_, WM_COMMAND, button, 0);
    return Finish();
}

bool Press::Finish() {
    for (int i = 0; i < 500 && !done_; ++i) Sleep(20);
    return done_;
}

std::string Caption(HWND window) {
    char text[260] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ControlText(HWND window, int id) {
    char text[1100] = "";
    GetDlgItemTextA(window, id, text, sizeof(text));
    return text;
}

std::vector<std::string> ListItems(HWND dialog, int listId) {
    std::vector<std::string> items;
    const LRESULT count = SendDlgItemMessageA(dialog, listId, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendDlgItemMessageA(dialog, listId, LB_GETTEXTLEN, i, 0);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendDlgItemMessageA(dialog, listId, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length));
        items.push_back(text);
    }
    return items;
}

std::string SelectedItem(HWND dialog, int listId) {
    const LRESULT index = SendDlgItemMessageA(dialog, listId, LB_GETCURSEL, 0, 0);
    return index < 0 ? "<none>" : ListItems(dialog, listId)[static_cast<size_t>(index)];
}

void SelectItem(HWND dialog, int listId, int index) {
    SendDlgItemMessageA(dialog, listId, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, listId)));
}
