#include "data_folders.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "application.h"
#include "blob_store.h"
#include "file_search.h"
#include "message_box.h"
#include "path_util.h"
#include "scoped_handles.h"

namespace {

constexpr UINT kWaiterIconMessage = 33777;
constexpr UINT kWaiterIconId = 1;
constexpr UINT kWaiterQuitCommand = 1;
constexpr char kWaiterClass[] = "OMXWaitForDataPath";

// Waits for a data folder on a slow or network drive, with a notification icon whose
// only menu item lets the user give up.
struct CDataPathWaiter {
    char tooltip[260] = {};
    char menuText[260] = {};
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    uint8_t quit = 0;
};

class IconOwner {
public:
    explicit IconOwner(HICON icon = nullptr) : icon_(icon) {}
    ~IconOwner() { if (icon_) DestroyIcon(icon_); }
    IconOwner(const IconOwner&) = delete;
    IconOwner& operator=(const IconOwner&) = delete;
    void Reset(HICON icon) { if (icon_) DestroyIcon(icon_); icon_ = icon; }
    HICON Get() const { return icon_; }

private:
    HICON icon_;
};

class WindowOwner {
public:
    WindowOwner() = default;
    ~WindowOwner() { if (window_) DestroyWindow(window_); }
    WindowOwner(const WindowOwner&) = delete;
    WindowOwner& operator=(const WindowOwner&) = delete;
    void Reset(HWND window) { if (window_) DestroyWindow(window_); window_ = window; }
    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

bool ReadBits(HDC dc, HBITMAP bitmap, int width, int height, std::vector<uint32_t>* bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;   // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bits->assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    return GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bits->data(), &info, DIB_RGB_COLORS) ==
           height;
}

void ShowWaiterMenu(HWND window, const CDataPathWaiter* waiter) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, kWaiterQuitCommand, waiter->menuText);
    POINT point = {};
    GetCursorPos(&point);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

LRESULT CALLBACK WaiterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* waiter = reinterpret_cast<CDataPathWaiter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (waiter && message == kWaiterIconMessage) {
        if (lParam == WM_LBUTTONDOWN || lParam == WM_LBUTTONDBLCLK || lParam == WM_RBUTTONDOWN)
            ShowWaiterMenu(window, waiter);
        return 0;
    }
    if (waiter && message == WM_COMMAND) {
        if (LOWORD(wParam) == kWaiterQuitCommand) waiter->quit = 1;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateWaiterWindow(CDataPathWaiter* waiter) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WaiterProc;
    windowClass.hInstance = waiter->instance;
    windowClass.lpszClassName = kWaiterClass;
    RegisterClassA(&windowClass);   // already registered by an earlier wait is fine
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kWaiterClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  waiter->instance, nullptr);
    if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(waiter));
    return window;
}

void FillIconData(NOTIFYICONDATAA* data, HWND window, HICON icon, const char* tooltip) {
    std::memset(data, 0, sizeof(*data));
    data->cbSize = sizeof(*data);
    data->hWnd = window;
    data->uID = kWaiterIconId;
    data->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data->uCallbackMessage = kWaiterIconMessage;
    data->hIcon = icon;
    CopyTruncated(data->szTip, sizeof(data->szTip), tooltip);
}

// Serves the thread's messages for about a second, in steps of 100 ms.
void PumpForASecond(CDataPathWaiter* waiter) {
    for (int step = 0; step < 10; ++step) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (waiter->window && IsDialogMessageA(waiter->window, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (waiter->quit) return;
        Sleep(100);
    }
}

// Wait for one folder and test it; 0, or 61465 when the user quit or the message was shown.
int WaitAndTestFolder(const char* folder, const char* tooltip, const char* menuText) {
    CApplication& app = App();
    // An unsettled folder (its path would not fit) can never appear: report it at once.
    int waited = folder[0] ? WaitForFolder(folder, -1, 1, tooltip, menuText) : 2;
    if (waited == 1) return kErrorDataFolderWait;
    if (waited != 0 || TestDataFolder(folder) != 0) {
        ShowMessage(nullptr, app.productName, app.Text(kTextDataPath, 0), 0x111, 0, folder);
        app.dataFolderUnusable = 1;
        return kErrorDataFolderWait;
    }
    return 0;
}

}  // namespace

void DimIconPixels(uint32_t* pixels, const uint32_t* mask, int count, uint32_t light, uint32_t shadow) {
    if (!pixels || !mask || count <= 0) return;
    auto visible = [&](int i) { return (mask[i] & 0xFF) != 255; };
    auto brightness = [](uint32_t p) { return static_cast<int>((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)); };
    double sum = 0;
    int visibleCount = 0;
    for (int i = 0; i < count; ++i) {
        if (!visible(i)) continue;
        sum += brightness(pixels[i]) / 3.0;
        ++visibleCount;
    }
    if (visibleCount == 0) return;
    const double k = 128.0 - sum / visibleCount;
    // COLORREF holds red in its low byte; the pixels hold blue there.
    const double lightRgb[3] = {double(light & 0xFF), double((light >> 8) & 0xFF), double((light >> 16) & 0xFF)};
    const double shadowRgb[3] = {double(shadow & 0xFF), double((shadow >> 8) & 0xFF), double((shadow >> 16) & 0xFF)};
    for (int i = 0; i < count; ++i) {
        if (!visible(i)) continue;
        const double t = (brightness(pixels[i]) + k) / 765.0;
        uint32_t channels[3];
        for (int c = 0; c < 3; ++c) {
            double value = lightRgb[c] * t + shadowRgb[c] * (1.0 - t) + 0.5;
            if (value < 0) value = 0;
            if (value > 255) value = 255;
            channels[c] = static_cast<uint32_t>(value);
        }
        pixels[i] = (pixels[i] & 0xFF000000u) | (channels[0] << 16) | (channels[1] << 8) | channels[2];
    }
}

HICON__* MakeDimmedIcon(HICON__* icon) {
    if (!icon) return nullptr;
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return nullptr;
    // GetIconInfo hands over copies of the icon's bitmaps: ours to delete.
    GdiObject colorOwner(info.hbmColor), maskOwner(info.hbmMask);
    const HBITMAP color = info.hbmColor, mask = info.hbmMask;
    if (!color || !mask) return nullptr;
    BITMAP bitmap;
    if (!GetObjectA(color, sizeof(bitmap), &bitmap) || bitmap.bmWidth <= 0 || bitmap.bmHeight <= 0)
        return nullptr;
    const int width = bitmap.bmWidth, height = bitmap.bmHeight;

    WindowDC dc(nullptr);
    std::vector<uint32_t> pixels, maskPixels;
    if (!dc.get() || !ReadBits(dc.get(), color, width, height, &pixels) ||
        !ReadBits(dc.get(), mask, width, height, &maskPixels))
        return nullptr;
    DimIconPixels(pixels.data(), maskPixels.data(), width * height, GetSysColor(COLOR_3DLIGHT),
                  GetSysColor(COLOR_BTNSHADOW));

    BITMAPINFO dimInfo = {};
    dimInfo.bmiHeader.biSize = sizeof(dimInfo.bmiHeader);
    dimInfo.bmiHeader.biWidth = width;
    dimInfo.bmiHeader.biHeight = -height;
    dimInfo.bmiHeader.biPlanes = 1;
    dimInfo.bmiHeader.biBitCount = 32;
    dimInfo.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject dimmed(CreateDIBSection(dc.get(), &dimInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dimmed.get() || !bits) return nullptr;
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
    GdiFlush();

    ICONINFO dimmedInfo = {};
    dimmedInfo.fIcon = TRUE;
    dimmedInfo.hbmMask = mask;
    dimmedInfo.hbmColor = static_cast<HBITMAP>(dimmed.get());
    return CreateIconIndirect(&dimmedInfo);
}

void GetSpecialFolderPath(int csidl, char* path) {
    if (!path) return;
    path[0] = 0;
    ComOwner<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.Out())) || !allocator) return;
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return;
    char buffer[MAX_PATH] = {};
    if (SHGetPathFromIDListA(list, buffer)) CopyBounded(path, kMaxPath, buffer);
    allocator->Free(list);
}

void SettleDataFolders() {
    CApplication& app = App();
    char appData[kMaxPath], commonAppData[kMaxPath], user[kMaxPath] = {};
    GetSpecialFolderPath(CSIDL_APPDATA, appData);
    GetSpecialFolderPath(CSIDL_COMMON_APPDATA, commonAppData);
    DWORD userLength = sizeof(user);
    if (!GetUserNameA(user, &userLength)) user[0] = 0;
    ComputeDataFolders(app.installation, appData, commonAppData, app.productName, user, app.perUserDataFolder,
                       app.commonDataFolder);
}

int WaitForFolder(const char* path, int tries, int iconId, const char* tooltip, const char* menuText) {
    if (!path || !path[0]) return 2;   // nothing that could ever appear
    if (CreateFolderPath(path, false) == 0) return 0;

    CDataPathWaiter waiter;
    waiter.instance = App().instance ? App().instance : GetModuleHandleA(nullptr);
    IconOwner icon, dimmed;
    WindowOwner window;
    bool created = false, iconShown = false;
    int cycle = 0;
    // A negative count never runs out.
    while (tries != 0) {
        if (tries > 0) --tries;
        if (++cycle == 1) {
            icon.Reset(static_cast<HICON>(
                LoadImageA(waiter.instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
            dimmed.Reset(MakeDimmedIcon(icon.Get()));
            window.Reset(CreateWaiterWindow(&waiter));
            waiter.window = window.Get();
        }
        CopyTruncated(waiter.tooltip, sizeof(waiter.tooltip), tooltip ? tooltip : "");
        CopyTruncated(waiter.menuText, sizeof(waiter.menuText), menuText ? menuText : "");

        NOTIFYICONDATAA data;
        FillIconData(&data, waiter.window, (cycle % 2 == 1 && dimmed.Get()) ? dimmed.Get() : icon.Get(),
                     waiter.tooltip);
        // Modified while it exists; added again when the notification area lost it.
        if (waiter.window && !(iconShown && Shell_NotifyIconA(NIM_MODIFY, &data)))
            iconShown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;

        PumpForASecond(&waiter);
        if (waiter.quit) break;
        if (CreateFolderPath(path, false) == 0) {
            created = true;
            break;
        }
    }
    if (cycle > 0 && waiter.window) {
        NOTIFYICONDATAA data;
        FillIconData(&data, waiter.window, nullptr, "");
        data.uFlags = 0;
        Shell_NotifyIconA(NIM_DELETE, &data);
    }
    if (waiter.window) {
        SetWindowLongPtrA(waiter.window, GWLP_USERDATA, 0);
        window.Reset(nullptr);
        waiter.window = nullptr;
        UnregisterClassA(kWaiterClass, waiter.instance);
    }
    if (created) return 0;
    return waiter.quit ? 1 : 2;
}

int TestDataFolder(const char* path) {
    char folder[kMaxPath];
    if (!path || !CopyBounded(folder, sizeof(folder), path)) return 1;
    const size_t length = std::strlen(folder);
    if (length > 0 && folder[length - 1] == '\\') folder[length - 1] = 0;
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (CreateFolderPath(folder, true) != 0) return 1;
    }
    char testFile[kMaxPath];
    if (!FormatBounded(testFile, sizeof(testFile), "%s\\OMXWriteTest.tmp", folder)) return 2;
    HANDLE file = CreateFileA(testFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(file);
    DeleteFileA(testFile);
    return 0;
}

int WaitForDataFolders() {
    CApplication& app = App();
    char tooltip[kMaxPath], menuText[kMaxPath];
    std::snprintf(tooltip, sizeof(tooltip), "%s: %s", app.productName, app.Text(kTextDataPath, 1));
    std::snprintf(menuText, sizeof(menuText), app.Text(kTextDataPath, 2), app.productName);

    int result = WaitAndTestFolder(app.perUserDataFolder, tooltip, menuText);
    if (result != 0) return result;
    // One folder for both is waited for and tested once.
    if (_stricmp(app.perUserDataFolder, app.commonDataFolder) != 0)
        result = WaitAndTestFolder(app.commonDataFolder, tooltip, menuText);
    return result;
}

void CopyStartupFiles() {
    CApplication& app = App();
    const char* install = app.installation.installFolder;
    if (BoundedLength(install, sizeof(app.installation.installFolder)) >= sizeof(app.installation.installFolder))
        return;
    if (!install[0] || !app.perUserDataFolder[0]) return;
    char initFolder[kMaxPath];
    if (!FormatBounded(initFolder, sizeof(initFolder), "%s\\Init", install)) return;

    CFileList list;
    if (SearchFiles(&list, initFolder, "*.*") <= 0) return;
    // Every found path begins with "{install}\Init\".
    const size_t prefix = std::strlen(initFolder) + 1;
    for (int i = 0; i < list.files.Count(); ++i) {
        const char* found = list.files[i].path;
        if (std::strlen(found) <= prefix) continue;
        char target[kMaxPath];
        if (!FormatBounded(target, sizeof(target), "%s\\%s", app.perUserDataFolder, found + prefix)) continue;
        // On the first start neither the data folder nor its sub-folders exist yet.
        char targetFolder[kMaxPath];
        std::memcpy(targetFolder, target, sizeof(target));
        char* slash = std::strrchr(targetFolder, '\\');
        if (slash) {
            *slash = 0;
            CreateFolderPath(targetFolder, false);
        }
        CopyFileA(found, target, TRUE);   // an existing file is the user's: keep it
    }
}
