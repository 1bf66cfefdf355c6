// End-to-end support: points the installation record at a test folder of its own (and
// restores the previous record afterwards), and runs the real program in the prefix.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#include "../../framework/core/framework_records.h"
#include "temp_folder.h"

// A window the program showed while it ran, with the texts of its child controls.
struct SeenWindow {
    std::string className;
    std::string title;
    std::string text;   // child texts joined by '\n'
};

struct RunResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::vector<SeenWindow> windows;   // visible windows seen, each closed by the runner
};

class TestInstallation {
public:
    // installFolder gets an "Init" folder; the record names dataRoot as the custom data folder.
    TestInstallation();
    ~TestInstallation();

    const std::string& InstallFolder() const { return installFolder_; }
    const std::string& DataFolder() const { return dataFolder_; }
    std::string DataFile(const std::string& name) const { return dataFolder_ + "\\" + name; }
    TempFolder& Temp() { return temp_; }

    InstallationRecord& Record() { return record_; }
    // Writes record_ (or the given bytes) as the installation record value.
    bool WriteRecord();
    bool WriteRecordBytes(const std::string& bytes);
    bool DeleteRecord();

private:
    TempFolder temp_;
    std::string installFolder_, dataFolder_;
    InstallationRecord record_ = {};
    std::string savedValue_;
    bool hadValue_ = false;
};

// Folder of the test program; Plexaro.exe and its extension stand-in are built beside it.
std::string BuildFolder();

// Runs program (default: the built Plexaro.exe) with arguments and waits for it to end.
// Every visible window it shows is recorded and closed, so an error box never blocks a test.
// whilePolling, when given, is called with the process id every 50 ms while the program runs.
RunResult RunProgram(const std::string& arguments, DWORD timeoutMs = 30000, const std::string& program = "",
                     const std::function<void(DWORD)>& whilePolling = nullptr);

// Waits until no process runs the given executable file name (e.g. a restarted copy).
bool WaitForNoProcess(const char* exeName, DWORD timeoutMs);

// Keeps HKEY_CLASSES_ROOT "Unknown\shell\open\command", where the program stores the command
// for files of unknown type, as it was before the test.
class UnknownTypeCommandGuard {
public:
    UnknownTypeCommandGuard();
    ~UnknownTypeCommandGuard();
    UnknownTypeCommandGuard(const UnknownTypeCommandGuard&) = delete;
    UnknownTypeCommandGuard& operator=(const UnknownTypeCommandGuard&) = delete;

    // The command stored now; false (and an empty text) when there is none.
    static bool Read(std::string* out);

private:
    bool had_ = false;
    std::string saved_;
};
