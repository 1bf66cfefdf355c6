// Help, file dialogs and window placement.
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "../../framework/core/application.h"
#include "../../framework/core/file_dialog.h"
#include "../../framework/core/help.h"
#include "../../framework/core/message_box.h"
#include "../../framework/core/monitors.h"
#include "tests/support/temp_folder.h"

namespace {

bool IsDialog(HWND window) {
    char className[32];
    return GetClassNameA(window, className, sizeof(className)) && strcmp(className, "#32770") == 0;
}

struct FirstDialog {
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM lParam) {
    if (!IsDialog(window) || !IsWindowVisible(window)) return TRUE;
    reinterpret_cast<FirstDialog*>(lParam)->found = window;
    return FALSE;
}

// A visible dialog of the thread, or null.
HWND VisibleDialogOf(DWORD thread) {
    FirstDialog data = {nullptr};
    EnumThreadWindows(thread, FindVisibleDialog, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

std::string TextOf(HWND dialog, int id) {
    char text[2048] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// Runs call() while a second thread handles every dialog this thread shows with act();
// the first dialog is handed over once it is shown and idle. Returns call()'s result.
int WithDialogs(const std::function<int()>& call, const std::function<void(HWND)>& act, int* dialogsSeen) {
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> done{false};
    int seen = 0;
    std::thread driver([&] {
        HWND last = nullptr;
        const DWORD start = GetTickCount();
        while (!done) {
            HWND dialog = VisibleDialogOf(thread);
            if (dialog && dialog != last) {
                SendMessageA(dialog, WM_NULL, 0, 0);   // its thread is idle in the dialog's loop
                last = dialog;
                ++seen;
                act(dialog);
            } else if (dialog && GetTickCount() - start > 20000) {
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);   // never hang the run
            }
            Sleep(10);
        }
    });
    const int result = call();
    done = true;
    driver.join();
    if (dialogsSeen) *dialogsSeen = seen;
    return result;
}

// The texts of a message box, then OK.
struct SeenBox {
    std::string first, second;
};

std::function<void(HWND)> RecordAndConfirm(SeenBox* box) {
    return [box](HWND dialog) {
        box->first = TextOf(dialog, kMessageBoxFirstLine);
        box->second = TextOf(dialog, kMessageBoxMoreLines);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
}

std::string ShortPath(const std::string& path) {
    char out[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), out, sizeof(out));
    return n > 0 && n < sizeof(out) ? out : path;
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\'));
}

// Points the installation folder at a test folder, and the current folder elsewhere.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = App().installation;
        GetCurrentDirectoryA(sizeof(savedCurrent_), savedCurrent_);
        install_ = installRoot_.File("Ombrix Plexaro Installation");
        ASSERT_TRUE(MakeFolders(install_));
        strcpy(App().installation.installFolder, install_.c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedCurrent_);
        App().installation = saved_;
    }

    TempFolder installRoot_, elsewhere_;
    std::string install_;
    InstallationRecord saved_ = {};
    char savedCurrent_[MAX_PATH] = {};
};

TEST_F(HelpTest, ANameWithoutChmIsRefusedSilently) {
    ASSERT_TRUE(WriteBytes(install_ + "\\readme.txt", "text"));
    ASSERT_TRUE(WriteBytes(install_ + "\\manual.CHM", "not as written"));
    for (const char* name : {"readme.txt", "manual.CHM", ""}) {
        int dialogs = -1;
        EXPECT_EQ(kHelpNotCompiledHelp, WithDialogs([&] { return OpenHelp(name, "Options.htm"); },
                                                    [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }, &dialogs))
            << name;
        EXPECT_EQ(0, dialogs) << name;
    }
    EXPECT_EQ(kHelpNotCompiledHelp, OpenHelp(nullptr, nullptr));
}

TEST_F(HelpTest, AMissingFileShowsTheReinstallMessage) {
    SeenBox box;
    int dialogs = 0;
    EXPECT_EQ(kHelpNotFound, WithDialogs([] { return OpenHelp("Missing.chm", "Options.htm"); }, RecordAndConfirm(&box),
                                         &dialogs));
    EXPECT_EQ(1, dialogs);
    EXPECT_EQ("Could not find the manual \"" + install_ + "\\Missing.chm\".", box.first);
    EXPECT_EQ("Please reinstall the program.", box.second);
}

// A help file in the folder the program was started from is never opened in place of the
// installed one.
TEST_F(HelpTest, ARelativeNameIsNeverTakenFromTheCurrentFolder) {
    ASSERT_TRUE(WriteBytes(elsewhere_.File("Plexaro.chm"), "planted"));
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere_.Path().c_str()));
    SeenBox box;
    EXPECT_EQ(kHelpNotFound,
              WithDialogs([] { return OpenHelp("Plexaro.chm", "Options.htm"); }, RecordAndConfirm(&box), nullptr));
    EXPECT_EQ("Could not find the manual \"" + install_ + "\\Plexaro.chm\".", box.first);

    // Names that depend on the current drive have no place in the installation folder.
    for (const char* name : {"\\Plexaro.chm", "C:Plexaro.chm"}) {
        SeenBox refused;
        EXPECT_EQ(kHelpNotFound, WithDialogs([&] { return OpenHelp(name, nullptr); }, RecordAndConfirm(&refused), nullptr))
            << name;
        EXPECT_EQ(std::string("Could not find the manual \"") + name + "\".", refused.first);
    }

    // Without an installation folder a relative name cannot be found at all.
    App().installation.installFolder[0] = 0;
    SeenBox none;
    EXPECT_EQ(kHelpNotFound, WithDialogs([] { return OpenHelp("Plexaro.chm", nullptr); }, RecordAndConfirm(&none), nullptr));
}

TEST_F(HelpTest, AFileTypeWithoutAViewerShowsTheViewerMessage) {
    // Not ".chmxyz": its short form ends in ".CHM" and finds the help viewer.
    ASSERT_TRUE(WriteBytes(install_ + "\\manual.chm.plxnoviewer", "no program opens this"));
    SeenBox box;
    EXPECT_EQ(kHelpNoViewer,
              WithDialogs([] { return OpenHelp("manual.chm.plxnoviewer", nullptr); }, RecordAndConfirm(&box), nullptr));
    EXPECT_EQ("Could not display the manual \"manual.chm.plxnoviewer\".", box.first);
    EXPECT_EQ("Please make sure that a viewer for this file type is installed on your system.", box.second);
}

// The command line of another process, read from its process parameters.
std::string CommandLineOf(HANDLE process) {
    using QueryProc = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    QueryProc query = reinterpret_cast<QueryProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return "";
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) ||
        !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr))
        return "";
    std::wstring wide(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, &wide[0], parameters.CommandLine.Length, nullptr))
        return "";
    char narrow[4096] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), narrow, sizeof(narrow) - 1, nullptr, nullptr);
    return narrow;
}

// Finds the help viewer window whose process was started for the given file; ends it.
class Viewer {
public:
    explicit Viewer(std::string file) : file_(std::move(file)) {}
    ~Viewer() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (process_) {
            if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
            CloseHandle(process_);
        }
    }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    bool WaitFor(DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            EnumWindows(Match, reinterpret_cast<LPARAM>(this));
            if (window_) return true;
            Sleep(50);
        }
        return false;
    }
    const std::string& CommandLine() const { return commandLine_; }

private:
    static BOOL CALLBACK Match(HWND window, LPARAM lParam) {
        Viewer* self = reinterpret_cast<Viewer*>(lParam);
        char className[32];
        if (!GetClassNameA(window, className, sizeof(className)) || strcmp(className, "HH Parent") != 0) return TRUE;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE,
                                     FALSE, pid);
        if (!process) return TRUE;
        const std::string line = CommandLineOf(process);
        // Other viewers may be open in the same prefix: only ours names our file.
        if (line.find(self->file_) == std::string::npos) {
            CloseHandle(process);
            return TRUE;
        }
        self->window_ = window;
        self->process_ = process;
        self->commandLine_ = line;
        return FALSE;
    }

    std::string file_;
    HWND window_ = nullptr;
    HANDLE process_ = nullptr;
    std::string commandLine_;
};

TEST_F(HelpTest, TheViewerOpensTheInstalledFileAtTheTopic) {
    const std::string built = ProgramFolder() + "\\Plexaro.chm";
    if (!FileExists(built)) GTEST_SKIP() << "the build made no Plexaro.chm (chmcmd missing)";
    ASSERT_TRUE(CopyFileA(built.c_str(), (install_ + "\\Plexaro.chm").c_str(), FALSE));
    // Started from elsewhere: the name is resolved against the installation folder.
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere_.Path().c_str()));
    const std::string shortPath = ShortPath(install_ + "\\Plexaro.chm");
    ASSERT_EQ(std::string::npos, shortPath.find(' ')) << "the short form has no blanks";

    int dialogs = 0;
    EXPECT_EQ(kHelpShown, WithDialogs([] { return OpenHelp("Plexaro.chm", "Options.htm"); },
                                      [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }, &dialogs));
    EXPECT_EQ(0, dialogs);
    Viewer viewer(shortPath);
    ASSERT_TRUE(viewer.WaitFor(15000)) << "no help viewer window for " << shortPath;
    EXPECT_NE(std::string::npos, viewer.CommandLine().find("\"" + shortPath + "::/Options.htm\""))
        << viewer.CommandLine();
}

TEST_F(HelpTest, WithoutATopicTheViewerGetsTheQuotedPathAlone) {
    const std::string built = ProgramFolder() + "\\Plexaro.chm";
    if (!FileExists(built)) GTEST_SKIP() << "the build made no Plexaro.chm (chmcmd missing)";
    const std::string full = install_ + "\\Full Name.chm";
    ASSERT_TRUE(CopyFileA(built.c_str(), full.c_str(), FALSE));
    const std::string shortPath = ShortPath(full);
    // A fully qualified name is used as it is.
    EXPECT_EQ(kHelpShown, OpenHelp(full.c_str(), ""));
    Viewer viewer(shortPath);
    ASSERT_TRUE(viewer.WaitFor(15000)) << "no help viewer window for " << shortPath;
    EXPECT_NE(std::string::npos, viewer.CommandLine().find("\"" + shortPath + "\"")) << viewer.CommandLine();
    EXPECT_EQ(std::string::npos, viewer.CommandLine().find("::/")) << viewer.CommandLine();
}

TEST(FilterDefaultExtension, TakesTheSelectedRowsPattern) {
    static const char kFilter[] = "Ombrix Configuration Data\0*.OmbrixConfig\0Executable Files (.EXE)\0*.EXE\0"
                                  "Pictures\0*.png;*.jpg\0All Files\0*.*\0Odd\0data*\0Empty\0*.\0";
    struct Case {
        int row;
        const char* expected;   // null: no default extension
    } cases[] = {
        {0, "OmbrixConfig"}, {1, "EXE"}, {2, "png"}, {3, nullptr}, {4, nullptr},
        {5, nullptr},        {6, nullptr}, {-1, nullptr}, {100, nullptr},
    };
    for (const Case& c : cases) {
        char out[260] = "stale";
        const bool found = FilterDefaultExtension(kFilter, c.row, out, sizeof(out));
        EXPECT_EQ(c.expected != nullptr, found) << "row " << c.row;
        EXPECT_STREQ(c.expected ? c.expected : "", out) << "row " << c.row;
    }
    char small[4];
    EXPECT_FALSE(FilterDefaultExtension(kFilter, 0, small, sizeof(small))) << "does not fit: not cut";
    EXPECT_STREQ("", small);
    EXPECT_FALSE(FilterDefaultExtension(nullptr, 0, small, sizeof(small)));
}

const char kConfigFilter[] = "Ombrix Configuration Data\0*.OmbrixConfig\0All Files\0*.*\0";

BOOL CALLBACK FindNameEdit(HWND window, LPARAM lParam) {
    char className[16];
    // The file name field: an edit inside the combo box with the dialog's file-name id.
    if (GetDlgCtrlID(window) == 1148 && GetClassNameA(window, className, sizeof(className)) &&
        strcmp(className, "Edit") == 0) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

// Types the name into the file dialog and confirms it; records where the dialog stood.
std::function<void(HWND)> ChooseFile(const std::string& name, RECT* where) {
    return [name, where](HWND dialog) {
        if (where) GetWindowRect(dialog, where);
        HWND edit = nullptr;
        EnumChildWindows(dialog, FindNameEdit, reinterpret_cast<LPARAM>(&edit));
        if (!edit) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
}

TEST(FileDialog, SaveAddsTheSelectedRowsExtensionAndReturnsTheFolder) {
    TempFolder folder;
    struct Case {
        int row;
        const char* typed;
        const char* expected;
    } cases[] = {
        {0, "backup", "backup.OmbrixConfig"},
        {1, "backup", "backup"},
        {0, "named.zip", "named.zip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        char path[260];
        strcpy(path, folder.Path().c_str());
        int row = -5;
        std::string chosen;
        RECT where = {};
        WithDialogs(
            [&] {
                const char* result = FileDialog(true, kConfigFilter, c.row, &row, path, "start");
                chosen = result ? result : "(none)";
                return 0;
            },
            ChooseFile(c.typed, &where), nullptr);
        // Compared without letter case: the system may write the extension in lower case.
        EXPECT_EQ(0, lstrcmpiA(folder.File(c.expected).c_str(), chosen.c_str())) << chosen;
        EXPECT_EQ(folder.Path() + "\\", std::string(path)) << "the folder with its trailing backslash";
        EXPECT_EQ(c.row, row);
        // Centred on the desktop by the hook, within the monitor.
        RECT monitor;
        GetMonitorRect(0, 0, 0, &monitor);
        const int width = where.right - where.left;
        if (width > 0 && width <= monitor.right - monitor.left) {
            RECT desktop;
            GetWindowRect(GetDesktopWindow(), &desktop);
            EXPECT_NEAR(desktop.left + (desktop.right - desktop.left - width) / 2, where.left, 1);
        }
    }
}

TEST(FileDialog, OpenReturnsAnExistingFile) {
    TempFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("saved.OmbrixConfig"), "zip"));
    char path[260];
    strcpy(path, folder.Path().c_str());
    int row = -5;
    std::string chosen;
    WithDialogs(
        [&] {
            const char* result = FileDialog(false, kConfigFilter, 0, &row, path, nullptr);
            chosen = result ? result : "(none)";
            return 0;
        },
        ChooseFile("saved.OmbrixConfig", nullptr), nullptr);
    EXPECT_EQ(folder.File("saved.OmbrixConfig"), chosen);
    EXPECT_EQ(folder.Path() + "\\", std::string(path));
    EXPECT_EQ(0, row);
}

TEST(FileDialog, CancelReturnsNoneAndLeavesTheArgumentsAlone) {
    char path[260] = "C:\\windows";
    int row = 7;
    bool none = false;
    int dialogs = 0;
    WithDialogs(
        [&] {
            none = FileDialog(true, kConfigFilter, 1, &row, path, "name") == nullptr;
            return 0;
        },
        [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); }, &dialogs);
    EXPECT_EQ(1, dialogs);
    EXPECT_TRUE(none);
    EXPECT_STREQ("C:\\windows", path);
    EXPECT_EQ(7, row);
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct SystemMonitors {
    int count = 0;
    RECT rects[kMaxMonitors];
};

BOOL CALLBACK CollectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    SystemMonitors* list = reinterpret_cast<SystemMonitors*>(data);
    if (list->count < kMaxMonitors) list->rects[list->count++] = *rect;
    return TRUE;
}

TEST(Monitors, TheListHoldsTheSystemsMonitorsAndKeepsThePreviousOne) {
    SystemMonitors system;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&system));
    ASSERT_GE(system.count, 1);
    EnumerateMonitors();
    const MonitorList& current = GetMonitorList(0);
    ASSERT_EQ(system.count, current.count);
    for (int i = 0; i < system.count; ++i) EXPECT_TRUE(SameRect(system.rects[i], current.rects[i])) << i;

    // A point on the first monitor gives that monitor, from either list.
    RECT found;
    GetMonitorRect(system.rects[0].left + 1, system.rects[0].top + 1, 0, &found);
    EXPECT_TRUE(SameRect(system.rects[0], found));
    GetMonitorRect(system.rects[0].left + 1, system.rects[0].top + 1, 1, &found);
    EXPECT_TRUE(SameRect(system.rects[0], found)) << "an empty previous list answers with the current monitors";

    const MonitorList before = current;
    RefreshMonitorsAfterDisplayChange();
    const MonitorList& previous = GetMonitorList(1);
    ASSERT_EQ(before.count, previous.count);
    for (int i = 0; i < before.count; ++i) EXPECT_TRUE(SameRect(before.rects[i], previous.rects[i])) << i;
    EXPECT_EQ(system.count, GetMonitorList(0).count);
}

class CentreWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CentreWindowTest";
        RegisterClassA(&windowClass);
        EnumerateMonitors();
        GetMonitorRect(0, 0, 0, &monitor_);
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        if (parent_) DestroyWindow(parent_);
    }
    HWND Make(HWND owner, int x, int y, int width, int height) {
        return CreateWindowExA(0, "CentreWindowTest", "", WS_POPUP, x, y, width, height, owner, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    RECT monitor_ = {};
    HWND parent_ = nullptr, window_ = nullptr;
};

TEST_F(CentreWindowTest, ComputesThePositionIntoTheRectangle) {
    parent_ = Make(nullptr, monitor_.left + 100, monitor_.top + 100, 400, 300);
    window_ = Make(parent_, 0, 0, 50, 50);
    RECT r = {0, 0, 200, 100};
    CentreWindow(window_, &r);
    EXPECT_EQ(monitor_.left + 200, r.left);
    EXPECT_EQ(monitor_.top + 200, r.top);
    EXPECT_EQ(200, r.right) << "only left and top are computed";
    EXPECT_EQ(100, r.bottom);
    RECT actual;
    GetWindowRect(window_, &actual);
    EXPECT_EQ(50, actual.right - actual.left) << "the window itself stays";
}

TEST_F(CentreWindowTest, KeepsTheWindowInsideTheMonitorOfItsParent) {
    // The parent stands half off the right edge.
    parent_ = Make(nullptr, monitor_.right - 200, monitor_.top + 100, 400, 300);
    window_ = Make(parent_, 0, 0, 300, 200);
    CentreWindow(window_, nullptr);
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(monitor_.right - 300, r.left);
    EXPECT_EQ(monitor_.top + 150, r.top);
    EXPECT_EQ(300, r.right - r.left) << "not resized";
}

TEST_F(CentreWindowTest, AWindowWithoutParentIsCentredOnTheDesktop) {
    window_ = Make(nullptr, 0, 0, 300, 200);
    CentreWindow(window_, nullptr);
    RECT desktop, r;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window_, &r);
    EXPECT_EQ(desktop.left + (desktop.right - desktop.left - 300) / 2, r.left);
    EXPECT_EQ(desktop.top + (desktop.bottom - desktop.top - 200) / 2, r.top);
}

}  // namespace
