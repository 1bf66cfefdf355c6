#include "frame_window.h"

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "../core/application.h"
#include "../core/blob_store.h"
#include "../core/path_util.h"

namespace {

constexpr char kWindowClass[] = "OMXWindow";
constexpr char kBusyClass[] = "OMXBUSY";
constexpr int kCascadeStep = 40;         // default offset of each further window index
constexpr DWORD kStatusLockWaitMs = 1000;
constexpr uint16_t kTextReady = 61444;
constexpr int kTrayTipSize = 128;

// The status command's caption points here once no status text is left, so it never
// points into the status list after that list moved or was freed.
const char kNoStatusText[] = "";

HINSTANCE Module() {
    return App().instance ? App().instance : GetModuleHandleA(nullptr);
}

// Registering an existing class again fails harmlessly, so each creation just registers.
void RegisterClasses(HINSTANCE module, HICON icon) {
    WNDCLASSA frameClass = {};
    frameClass.lpfnWndProc = CFrameWindow::WindowProc;
    frameClass.hInstance = module;
    frameClass.hIcon = icon;
    frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frameClass.lpszClassName = kWindowClass;
    RegisterClassA(&frameClass);

    // Takes the mouse over a busy window; its own cursor is the wait cursor.
    WNDCLASSA busyClass = {};
    busyClass.lpfnWndProc = DefWindowProcA;
    busyClass.hInstance = module;
    busyClass.hCursor = LoadCursor(nullptr, IDC_WAIT);
    busyClass.lpszClassName = kBusyClass;
    RegisterClassA(&busyClass);
}

// The work area of the monitor that holds the screen origin.
RECT WorkAreaAtOrigin() {
    RECT area = {0, 0, 0, 0};
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Wraps a cascaded position back into the work area. A window as wide as the area's far
// edge leaves nothing to wrap into: keep the position rather than divide by zero.
int Wrap(int position, int span) {
    return span > 0 ? position % span : position;
}

bool HasNoCaption(uint32_t flags) {
    return (flags & (kWindowNoCaption | kWindowBorderless)) != 0;
}

}  // namespace

CFrameWindow::~CFrameWindow() { Destroy(); }

CFrameWindow* CFrameWindow::FromHandle(HWND hwnd) {
    return hwnd ? reinterpret_cast<CFrameWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

void CFrameWindow::StylesForFlags(uint32_t windowFlags, DWORD* style, DWORD* exStyle) {
    const bool borderless = (windowFlags & kWindowBorderless) != 0;
    DWORD s = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU;
    if (!borderless) s |= WS_DLGFRAME;
    if ((windowFlags & kWindowResizable) && !borderless) s |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    if (!(windowFlags & kWindowNoCaption) && !borderless) s |= WS_CAPTION;
    if (windowFlags & kWindowMaximized) s |= WS_MAXIMIZE;

    DWORD ex = 0;
    if (windowFlags & kWindowOnTaskbar) ex |= WS_EX_APPWINDOW;
    if (windowFlags & kWindowSmallCaption) ex |= WS_EX_TOOLWINDOW;
    if (windowFlags & kWindowTopmost) ex |= WS_EX_TOPMOST;
    if (windowFlags & kWindowAcceptsFiles) ex |= WS_EX_ACCEPTFILES;
    *style = s;
    *exStyle = ex;
}

int CFrameWindow::Create(uint16_t windowIndex, WNDPROC procedure, const char* caption, int iconId,
                         uint32_t windowFlags, int x, int y, int width, int height) {
    if (window) return kErrorWindowNotCreated;
    CApplication& app = App();
    index = windowIndex;
    flags = windowFlags;

    HINSTANCE module = Module();
    HICON icon = iconId ? LoadIconA(module, MAKEINTRESOURCEA(iconId)) : nullptr;
    RegisterClasses(module, icon);

    const RECT work = WorkAreaAtOrigin();
    const int areaWidth = work.right - work.left;
    const int areaHeight = work.bottom - work.top;
    int w = width ? width : areaWidth * 2 / 3;
    int h = height ? height : areaHeight * 2 / 3;
    int left = x ? x : (areaWidth - w) / 2 + index * kCascadeStep;
    int top = y ? y : (areaHeight - h) / 2 + index * kCascadeStep;
    left = Wrap(left, work.right - w);
    top = Wrap(top, work.bottom - h);

    transparency = 0;
    ghost = 0;
    if (!app.stampChanged) {
        WindowPositionRecord record = {};
        ReadStatus status = ReadStatus::NotFound;
        ReadRecord(kWindowRecordName, index, &record, sizeof(record), kFolderPerUser, &status);
        if (status == ReadStatus::Ok) {
            left = record.left;
            top = record.top;
            w = record.width;
            h = record.height;
            flags = record.flags;
            transparency = record.transparency & 0xFF;
            if (transparency > kMaxTransparency) transparency = kMaxTransparency;
            ghost = (record.transparency & kWindowRecordGhost) ? 1 : 0;
        }
    }
    normalRect = RECT{left, top, left + w, top + h};
    lastRect = normalRect;

    DWORD style, exStyle;
    StylesForFlags(flags, &style, &exStyle);
    window = CreateWindowExA(exStyle, kWindowClass, caption ? caption : "", style, left, top, w, h, app.phantomWindow,
                             nullptr, module, nullptr);
    if (!window) return FailCreate();

    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (procedure) {
        app.chainedWindowProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
        // The program's procedure was not in place for the real WM_CREATE.
        CREATESTRUCTA creation = {};
        SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation));
    }
    if (window) SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));

    for (int side = 0; side < 4; ++side) {
        DockBay* bay = new (std::nothrow) DockBay{side, 0, RECT{0, 0, 0, 0}};
        if (!bay || items.Append(bay) != side) {
            delete bay;
            return FailCreate();
        }
    }

    statusLock = CreateMutexA(nullptr, FALSE, nullptr);
    if (!statusLock || !window) return FailCreate();
    const char* ready = app.Text(kTextReady, 0);
    SetStatusText(-3, ready);
    SetStatusText(-2, ready);

    ApplyTransparency();
    return 0;
}

// A window that was never fully created has no place worth storing.
int CFrameWindow::FailCreate() {
    index = 0xFFFF;
    Destroy();
    return kErrorWindowNotCreated;
}

void CFrameWindow::Destroy() {
    RemoveTrayIcon();
    for (int i = 0; i < items.Count(); ++i) delete items[i];
    items.Clear();
    DetachStatusCommand();
    statusTexts.Clear();
    if (statusLock) {
        CloseHandle(statusLock);
        statusLock = nullptr;
    }
    // WM_DESTROY stores the position. A window that cannot go (another thread's) must at
    // least stop reaching this object.
    if (window && !DestroyWindow(window)) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    window = nullptr;
    busyOverlay = nullptr;
    focus = nullptr;
    if (App().activeWindow == this) App().activeWindow = nullptr;
}

void CFrameWindow::RemoveTrayIcon() {
    if (!notificationIcon) return;
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window ? window : GetDesktopWindow();
    data.uID = index;
    Shell_NotifyIconA(NIM_DELETE, &data);
    DestroyIcon(notificationIcon);
    notificationIcon = nullptr;
}

void CFrameWindow::SetTrayIcon(uint16_t windowId, int iconId, const char* tipFormat, ...) {
    CApplication& app = App();
    char tip[kMaxPath];
    if (tipFormat) {
        va_list arguments;
        va_start(arguments, tipFormat);
        int n = vsnprintf(tip, sizeof(tip), tipFormat, arguments);
        va_end(arguments);
        if (n < 0) tip[0] = 0;
        tip[sizeof(tip) - 1] = 0;
    } else {
        CopyTruncated(tip, sizeof(tip), app.productName);
    }

    HICON icon = iconId ? static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16,
                                                        LR_DEFAULTCOLOR))
                        : nullptr;
    CFrameWindow* owner = app.FindFrameWindowById(windowId);

    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    data.hWnd = owner && owner->window ? owner->window : GetDesktopWindow();
    data.uID = windowId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kMsgTrayIcon;
    CopyTruncated(data.szTip, kTrayTipSize, tip);
    data.hIcon = icon;

    if (!icon) {
        Shell_NotifyIconA(NIM_DELETE, &data);
    } else if (!Shell_NotifyIconA(NIM_MODIFY, &data)) {
        Shell_NotifyIconA(NIM_ADD, &data);
    }
    if (owner) {
        if (owner->notificationIcon && owner->notificationIcon != icon) DestroyIcon(owner->notificationIcon);
        owner->notificationIcon = icon;
    } else if (icon) {
        DestroyIcon(icon);   // the shell keeps its own copy; nobody would free this one
    }
}
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(NOTIFYICONDATAA) == 508, "the notification structure is 508 bytes in the 32-bit build");
#endif

void CFrameWindow::SavePosition() const {
    if (index == 0xFFFF) return;
    WindowPositionRecord record = {};
    record.left = static_cast<int16_t>(normalRect.left);
    record.top = static_cast<int16_t>(normalRect.top);
    record.width = static_cast<uint16_t>(normalRect.right - normalRect.left);
    record.height = static_cast<uint16_t>(normalRect.bottom - normalRect.top);
    record.flags = flags;
    record.transparency = (transparency & 0xFF) | (ghost ? kWindowRecordGhost : 0);
    WriteRecord(kWindowRecordName, index, &record, sizeof(record));
}

int CFrameWindow::FindStatusText(int32_t id) const {
    for (int i = 0; i < statusTexts.Count(); ++i)
        if (statusTexts[i].id == id) return i;
    return -1;
}

int CFrameWindow::SetStatusText(int32_t id, const char* text) {
    DWORD wait = WaitForSingleObject(statusLock, kStatusLockWaitMs);
    // An abandoned lock is still ours: its holder ended, the list itself is intact.
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return static_cast<int>(wait);

    const bool hasText = text && text[0];
    int at = FindStatusText(id);
    if (hasText) {
        if (at < 0) {
            StatusTextEntry entry;
            entry.id = id;
            entry.text[0] = 0;
            at = statusTexts.Append(entry);
        }
        if (at >= 0) CopyTruncated(statusTexts[at].text, kStatusTextSize, text);
    } else {
        if (at >= 0) statusTexts.Remove(at);
        bool onlyNegative = true;
        for (int i = 0; i < statusTexts.Count(); ++i)
            if (statusTexts[i].id >= 0) onlyNegative = false;
        if (onlyNegative) statusTexts.Remove(FindStatusText(-1));
    }
    UpdateStatusCommand();
    ReleaseMutex(statusLock);
    return 0;
}

// Points the status command's caption at the current status text. The list's storage
// moves as it grows and shrinks, so this runs after every change.
void CFrameWindow::UpdateStatusCommand() {
    if (statusCommand == kNoStatusCommand) return;
    CApplication& app = App();
    CommandRecord record;
    if (app.commands.GetCommand(statusCommand, &record) != 0) return;
    const char* text = kNoStatusText;
    int current = FindStatusText(-1);
    if (current < 0) current = statusTexts.Count() - 1;
    if (current >= 0) text = statusTexts[current].text;
    app.texts.SetText(record.textId, 0, text, app.settings.languageIndex);
    if (app.commands.onRefresh) app.commands.onRefresh(statusCommand);
}

void CFrameWindow::DetachStatusCommand() {
    if (statusCommand == kNoStatusCommand) return;
    CApplication& app = App();
    CommandRecord record;
    if (app.commands.GetCommand(statusCommand, &record) == 0)
        app.texts.SetText(record.textId, 0, kNoStatusText, app.settings.languageIndex);
}

void CFrameWindow::Show(int command, int value) {
    if (value != -1 && window) {
        shown = value;
        if (command != SW_HIDE) Move(0, 0, -1, 0, false);
        if (command == SW_SHOW && IsIconic(window)) command = SW_SHOWNORMAL;
        ShowWindow(window, command);
        if (command == SW_SHOW || command == SW_SHOWNORMAL) SetForegroundWindow(window);
    }
    ShowBars(command);
}

// Free-standing bars follow their window. No operation creates a bar yet, so a window
// never has one.
void CFrameWindow::ShowBars(int) {}

void CFrameWindow::SetBusy(bool busy) {
    if (busy) {
        if (!busyOverlay && window) {
            busyOverlay = CreateWindowExA(WS_EX_TRANSPARENT, kBusyClass, nullptr, WS_CHILD, 0, 0, 0, 0, window,
                                          nullptr, Module(), nullptr);
            if (busyOverlay) {
                RECT client;
                GetClientRect(window, &client);
                SetWindowPos(busyOverlay, nullptr, 0, 0, client.right, client.bottom,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOREDRAW);
                SetCursor(LoadCursor(nullptr, IDC_WAIT));
            }
        }
    } else if (busyOverlay) {
        DestroyWindow(busyOverlay);
        busyOverlay = nullptr;
    }
    // Free-standing bars would be told the new state here; see ShowBars.
}

void CFrameWindow::Move(int x, int y, int width, int height, bool show) {
    if (!window) return;
    if (width == -1) {
        RECT client;
        GetClientRect(window, &client);
        const WPARAM kind = IsZoomed(window) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        const LPARAM size = MAKELPARAM(client.right, client.bottom);
        SendMessageA(window, WM_SIZE, kind, size);
        SendMessageA(window, WM_SIZE, kind, size);
        return;
    }
    // The locks guard against the user; the program itself may always move the window.
    const uint32_t locks = flags & (kWindowLockPosition | kWindowLockSize);
    flags &= ~locks;
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | (show ? SWP_SHOWWINDOW : 0));
    flags |= locks;
    lastRect = normalRect;
}

void CFrameWindow::SetTransparency(uint32_t percent, bool ghostOn) {
    transparency = percent > kMaxTransparency ? kMaxTransparency : percent;
    ghost = ghostOn ? 1 : 0;
    ApplyTransparency();
}

void CFrameWindow::ApplyTransparency() {
    if (!window) return;
    LONG_PTR ex = GetWindowLongPtrA(window, GWL_EXSTYLE);
    if (transparency > 0) {
        ex |= WS_EX_LAYERED;
        if (ghost) ex |= WS_EX_TRANSPARENT;
        else ex &= ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT);
        SetWindowLongPtrA(window, GWL_EXSTYLE, ex);
        SetLayeredWindowAttributes(window, 0, static_cast<BYTE>((100 - transparency) * 255 / 100), LWA_ALPHA);
    } else if (ex & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) {
        SetWindowLongPtrA(window, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED | WS_EX_TRANSPARENT));
        RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void CFrameWindow::Layout(int width, int height) {
    int thickness[4] = {0, 0, 0, 0};
    for (int side = 0; side < 4 && side < items.Count(); ++side)
        if (items[side]) thickness[side] = items[side]->thickness;
    const int top = thickness[0], bottom = thickness[1], left = thickness[2], right = thickness[3];
    const RECT placed[4] = {
        {0, 0, width, top},
        {0, height - bottom, width, height},
        {0, top, left, height - bottom},
        {width - right, top, width, height - bottom},
    };
    for (int side = 0; side < 4 && side < items.Count(); ++side)
        if (items[side]) items[side]->rect = placed[side];
    clientArea = RECT{left, top, width - right, height - bottom};
}

void CFrameWindow::TrackPlacement(HWND hwnd) {
    const bool maximized = IsZoomed(hwnd) != FALSE;
    if (maximized) flags |= kWindowMaximized;
    else flags &= ~kWindowMaximized;
    if (maximized || IsIconic(hwnd) || restyling) return;
    RECT current;
    if (!GetWindowRect(hwnd, &current)) return;
    if (!(flags & kWindowLockPosition)) OffsetRect(&normalRect, current.left - normalRect.left, current.top - normalRect.top);
    if (!(flags & kWindowLockSize)) {
        normalRect.right = normalRect.left + (current.right - current.left);
        normalRect.bottom = normalRect.top + (current.bottom - current.top);
    }
}

void CFrameWindow::OnActivate(HWND hwnd, WPARAM wParam) {
    CApplication& app = App();
    if (LOWORD(wParam) != WA_INACTIVE) {
        app.activeWindow = this;
        SetFocus(focus && IsChild(hwnd, focus) ? focus : hwnd);
    } else {
        HWND focused = GetFocus();
        if (focused && IsChild(hwnd, focused)) focus = focused;
        // An open popup menu of the window keeps it the framework's active window.
        if (app.activeWindow == this && !openMenuItem) app.activeWindow = nullptr;
    }
    // Every framework window redraws its caption as active or not (see WM_NCACTIVATE).
    for (int i = 0; i < app.windows.Count(); ++i) {
        CFrameWindow* other = app.windows[i];
        if (!other || !other->window) continue;
        SendMessageA(other->window, WM_NCACTIVATE, 0, 0);
        if (HasNoCaption(other->flags)) SendMessageA(other->window, WM_NCPAINT, 1, 0);
    }
}

LRESULT CALLBACK CFrameWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CFrameWindow* self = FromHandle(hwnd);
    // Messages before the object is attached (the creation itself) get the default handling.
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    return self->HandleMessage(hwnd, message, wParam, lParam);
}

LRESULT CFrameWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout(LOWORD(lParam), HIWORD(lParam));
            SendMessageA(hwnd, kMsgLayoutChanged, wParam, lParam);
            if (busyOverlay)
                SetWindowPos(busyOverlay, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                             SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOREDRAW);
            TrackPlacement(hwnd);
            break;
        case WM_MOVE:
            TrackPlacement(hwnd);
            break;
        case WM_GETMINMAXINFO: {
            MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = minTrackWidth;
            info->ptMinTrackSize.y = minTrackHeight;
            break;
        }
        case WM_WINDOWPOSCHANGING: {
            WINDOWPOS* position = reinterpret_cast<WINDOWPOS*>(lParam);
            if (flags & kWindowLockPosition) position->flags |= SWP_NOMOVE;
            if (flags & kWindowLockSize) position->flags |= SWP_NOSIZE;
            break;
        }
        case WM_ACTIVATE:
            OnActivate(hwnd, wParam);
            // The default handling would take the focus back from the restored child.
            return 0;
        case WM_NCACTIVATE:
            return DefWindowProcA(hwnd, message, App().activeWindow == this, lParam);
        case WM_ACTIVATEAPP:
            // A framework popup menu would be closed here; the popup menus come with the toolkit.
            break;
        case WM_NCPAINT:
            // Systems before 6.0 would get the toolkit's own frame for caption-less windows.
            break;
        case WM_SETCURSOR:
            if (flags & kWindowLockSize) {
                // A size that cannot change shows no sizing cursors on the frame.
                SetCursor(LoadCursor(nullptr, busyOverlay ? IDC_WAIT : IDC_ARROW));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return TRUE;
        case WM_HELP:
            if (GetKeyState(VK_CONTROL) >= 0) SendMessageA(hwnd, kMsgHelpRequest, wParam, lParam);
            break;
        case WM_SHOWWINDOW:
            Show(wParam ? SW_SHOW : SW_HIDE, -1);
            break;
        case WM_RBUTTONUP:
        case WM_NCRBUTTONUP:
            SendMessageA(hwnd, UIM_CONTEXTMENU, 0, 0);
            return 0;
        case WM_NCRBUTTONDOWN:
            return 0;
        case WM_EXITSIZEMOVE:
            GetWindowRect(hwnd, &lastRect);
            break;
        case WM_CLOSE:
            // Closing only stores the place; the window lives until the program destroys it.
            SavePosition();
            return 0;
        case WM_DESTROY:
            SavePosition();
            break;
        case WM_NCDESTROY:
            // Also reached when the owner (the phantom window) takes this window with it.
            window = nullptr;
            busyOverlay = nullptr;
            break;
        case UIM_CONTEXTMENU:   // the window menu comes with the menu commands
        case UIM_COMMAND:
            return 0;
        case UIM_SETOPENMENU:
            openMenuItem = reinterpret_cast<void*>(lParam);
            return 0;
        case UIM_GETOPENMENU:
            return reinterpret_cast<LRESULT>(openMenuItem);
        case kMsgShowNormal:
            Show(SW_SHOWNORMAL, SW_SHOWNORMAL);
            return 0;
        case UIM_DRAWIMAGE:   // the colour swatches come with the menu commands
            return 0;
        case kMsgModalDepth:
            SetBusy(static_cast<int>(wParam) > 0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
