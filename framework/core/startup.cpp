#include "startup.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <cstdio>
#include <cstring>

#include "application.h"
#include "blob_store.h"
#include "crc32.h"
#include "data_folders.h"
#include "elevation.h"
#include "instance_control.h"
#include "message_box.h"
#include "path_util.h"

namespace {

int Fail(int code) {
    CApplication& app = App();
    ShowMessage(nullptr, app.productName, app.Text(kTextStartupError, 0), 0x111, 0, code);
    return code;
}

void ReadProgramVersion(CApplication& app) {
    DWORD n = GetModuleFileNameA(nullptr, app.programPath, sizeof(app.programPath));
    if (n == 0 || n >= sizeof(app.programPath)) { app.programPath[0] = 0; return; }
    char info[2600];
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(app.programPath, &handle);
    if (size == 0 || size > sizeof(info) || !GetFileVersionInfoA(app.programPath, 0, sizeof(info), info)) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(info, "\\", (void**)&fixed, &len) || !fixed || len < sizeof(*fixed)) return;
    app.versionMajor = HIWORD(fixed->dwFileVersionMS);
    app.versionMinor = LOWORD(fixed->dwFileVersionMS);
    app.versionRelease = HIWORD(fixed->dwFileVersionLS);
}

// Version of comctl32 as major * 65536 + minor; 0 when the library or export is missing.
DWORD CommonControlsVersion() {
    HMODULE lib = LoadLibraryA("comctl32.dll");
    if (!lib) return 0;
    DWORD version = 0;
    auto getVersion = (DLLGETVERSIONPROC)(void*)GetProcAddress(lib, "DllGetVersion");
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof(info);
    if (getVersion && SUCCEEDED(getVersion(&info))) version = info.dwMajorVersion * 65536 + info.dwMinorVersion;
    FreeLibrary(lib);
    return version;
}

// Images of the standard commands: icon resources of the program, and the colour swatches
// of the colour menu, which the first framework window draws itself.
bool RegisterStandardImages(CPainter& painter) {
    static const struct { uint16_t id; uint16_t icon; } icons[] = {
        {61712, 50004}, {61713, 50005}, {61728, 50000}, {61744, 50001}, {61760, 50002},
        {61776, 50003}, {61792, 50006}, {61804, 50007}, {61805, 50008},
    };
    static int32_t swatchSize[2] = {16, 16};
    auto added = [](int result) { return result >= 0 && result != kErrorImageNotLoaded; };
    for (const auto& image : icons) {
        if (!added(painter.AddImage(image.id, image.icon, 0, 0))) return false;
        if (image.id == 61744) {
            for (uint16_t swatch = 61748; swatch <= 61751; ++swatch)
                if (!added(painter.AddImage(swatch, (uintptr_t)swatchSize, kImageOwnerDrawn, 0))) return false;
        }
    }
    return true;
}

}  // namespace

int InitApplication(HINSTANCE instance, uint16_t productTextId, TextRecord* programTexts,
                    int allowSeveralInstances, int32_t settingsStamp, const char* commandLine, int showCommand) {
    CApplication& app = App();

    using SetDpiAwareFn = BOOL(WINAPI*)();
    if (auto setDpiAware = (SetDpiAwareFn)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware"))
        setDpiAware();

    app.instance = instance;
    app.productTextId = productTextId;
    CopyTruncated(app.commandLine, sizeof(app.commandLine), commandLine ? commandLine : "");
    app.texts.SetTextTable(0, programTexts);
    CopyTruncated(app.productName, sizeof(app.productName), app.Text(productTextId, 0));
    app.processId = GetCurrentProcessId();
    app.controlMessage = RegisterWindowMessageA("OMXMSG_OMXCONTROL");
    app.productCheckValue = Crc32(app.productName, strlen(app.productName));
    app.doubleClickTime = GetDoubleClickTime();
    // Fonts first: a start-up error box needs them.
    app.painter.Initialise();
    app.startMinimized = !(showCommand == SW_SHOWNORMAL || showCommand == SW_SHOW || showCommand == SW_SHOWDEFAULT);

    CommandLineFlags flags;
    flags.startMinimized = app.startMinimized;
    int parse = ParseCommandLine(app.commandLine, &app.arguments, &flags);
    app.autostart = flags.autostart;
    app.startMinimized = flags.startMinimized;

    ReadProgramVersion(app);

    if (!app.ReadInstallationRecord()) return Fail(kErrorInstallationRecord);
    SettleDataFolders();
    if (parse == 1) {
        int waited = WaitForDataFolders();
        if (waited) return waited;
    }

    // Decide the hand-over before anything touches the data folder: a start that only hands
    // over (or says "-QUIT") must not copy files or restore an archive under a running instance.
    HWND running = nullptr;
    if (!allowSeveralInstances || parse == -1) {
        // One check at a time per product: the lock is kept until this instance's main window
        // exists (or the start ends), so a start at the same moment finds it.
        char lockName[300];
        snprintf(lockName, sizeof(lockName), "Local\\OMXInstanceCheck_%08X", (unsigned)app.productCheckValue);
        app.instanceCheckLock = CreateMutexA(nullptr, FALSE, lockName);
        // An abandoned lock (a start that died) is ours all the same; after the time-out the
        // check goes ahead unserialised rather than never starting.
        if (app.instanceCheckLock && WaitForSingleObject(app.instanceCheckLock, 15000) == WAIT_TIMEOUT) {
            CloseHandle(app.instanceCheckLock);
            app.instanceCheckLock = nullptr;
        }
        running = FindRunningInstance(app.productName);
    }
    bool handingOver = running || parse == -1;

    if (!handingOver) {
        CopyStartupFiles();
    }

    ReadRecord("(OMX)App", -1, &app.settings, kAppSettingsSize);
    if (app.settings.settingsStamp != settingsStamp) app.stampChanged = 1;
    app.settings.settingsStamp = settingsStamp;
    if ((uint32_t)app.settings.languageIndex >= kTextLanguages) app.settings.languageIndex = 0;

    if (!handingOver) WriteRecord("(OMX)Cmd", -1, app.commandLine, (int)strlen(app.commandLine) + 1);
    app.painter.LoadThemeAndFont();

    if (CommonControlsVersion() < (4u * 65536 + 71)) return Fail(kErrorCommonControlsTooOld);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFFFFFFFF};
    InitCommonControlsEx(&controls);

    app.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
    if (auto filter = (FilterFn)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter")) {
        filter(app.taskbarCreatedMessage, 1);
        filter(app.controlMessage, 1);
    }
    app.osVersionCode = GetOsVersionCode(&app.is64BitSystem);

    if (handingOver) {
        if (running) {
            // A hung window of some other process must not block this start for ever.
            DWORD_PTR result;
            SendMessageTimeoutA(HWND_BROADCAST, app.controlMessage, parse == -1 ? kControlQuit : kControlActivate,
                                (LPARAM)app.productCheckValue, SMTO_ABORTIFHUNG, 3000, &result);
        }
        app.noSave = 1;
        app.ReleaseInstanceCheck();
        return kErrorHandedOver;
    }

    WNDCLASSA itemClass = {};
    itemClass.lpfnWndProc = DefWindowProcA;
    itemClass.hInstance = instance;
    itemClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    itemClass.lpszClassName = "OMXAppUIItem";
    RegisterClassA(&itemClass);

    WNDCLASSA phantomClass = {};
    phantomClass.lpfnWndProc = PhantomWindowProc;
    phantomClass.hInstance = instance;
    phantomClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    phantomClass.lpszClassName = "OMXPhantom";
    RegisterClassA(&phantomClass);
    app.phantomWindow = CreateWindowExA(WS_EX_TOOLWINDOW, "OMXPhantom", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        instance, nullptr);

    if (!RegisterStandardImages(app.painter)) return Fail(kErrorImageNotRegistered);
    if (RegisterStandardCommands(&app.commands) != 0) return Fail(kErrorCommandNotRegistered);
    return 0;
}
