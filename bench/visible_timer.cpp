// Measures the time from process start until a program's window is visible.
//
//   visible_timer [-runs N] [-warmup N] [-timeout MS] CAPTION EXE [ARG...]
//                 [-- CAPTION EXE [ARG...]]
//
// For each target it starts EXE with its arguments, polls every 2 ms for a visible top-level
// window of that process whose title is CAPTION, and takes the time from just before
// CreateProcess to the first poll that sees the window. It then closes the window (WM_CLOSE,
// and TerminateProcess if the process is still alive 5 s later) and waits for the process to
// end before the next start, so that runs never overlap. With two targets the runs alternate
// in the order A B, B A, A B, ... so that both see the same machine state and neither always
// follows the other; warm-up runs are not counted.
//
// Output, one line each: "run <i> <A|B> <ms> ms (closed in <ms> ms|terminated)" (warm-up runs
// begin "warmup <A|B>"), then "median <A|B> <ms> ms <caption>" and "min <A|B> <ms> ms" per
// target and, with two targets, "ratio B/A <value>". A failed run prints
// "error <A|B>: <command> <reason>" and ends the program. Exit code 0 when every run saw its
// window, 1 when a run failed, 2 for a usage error (Wine's "explorer /desktop" does not pass
// the code on, so scripts read the output).
#include <windows.h>
#include <mmsystem.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kPollMs = 2;
const DWORD kCloseWaitMs = 5000;

enum RunResult { kRunOk = 0, kRunNotStarted, kRunExitedEarly, kRunTimedOut };

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~OwnedHandle() { if (handle_) CloseHandle(handle_); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }
private:
    HANDLE handle_;
};

// Keeps the 1 ms timer resolution for the polls while the measurement runs; the default
// resolution on Windows would round every 2 ms sleep up to about 16 ms.
class TimerResolution {
public:
    TimerResolution() : set_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~TimerResolution() { if (set_) timeEndPeriod(1); }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
private:
    bool set_;
};

struct Target {
    char label;
    std::string caption;
    std::string command_line;
    std::vector<double> times_ms;
};

// Appends one argument with the quoting that the C runtime's argument parser undoes.
void AppendQuoted(std::string& line, const char* argument) {
    if (!line.empty()) line += ' ';
    if (*argument && !strpbrk(argument, " \t\n\v\"")) {
        line += argument;
        return;
    }
    line += '"';
    size_t backslashes = 0;
    for (const char* p = argument; ; ++p) {
        if (*p == '\\') { ++backslashes; continue; }
        if (*p == '\0') { line.append(backslashes * 2, '\\'); break; }
        if (*p == '"') line.append(backslashes * 2 + 1, '\\');
        else line.append(backslashes, '\\');
        line += *p;
        backslashes = 0;
    }
    line += '"';
}

struct WindowSearch {
    DWORD process_id;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window)) return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (strcmp(title, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

double ElapsedMs(const LARGE_INTEGER& start, const LARGE_INTEGER& end, const LARGE_INTEGER& frequency) {
    return double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Ends the process: politely through its window, by force when it does not go in time.
// Returns true when it ended by itself.
bool EndProcess(HANDLE process, HWND window) {
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, window ? kCloseWaitMs : 0) == WAIT_OBJECT_0) return true;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, kCloseWaitMs);
    return false;
}

struct Measurement {
    double visible_ms;  // process start until the window was visible
    double close_ms;    // WM_CLOSE until the process had ended; negative when it was terminated
    DWORD exit_code;    // of a process that ended before its window was visible
};

/// Starts the target once and fills *measurement as far as the result allows.
RunResult MeasureOnce(const Target& target, DWORD timeout_ms, Measurement* measurement) {
    std::vector<char> command(target.command_line.begin(), target.command_line.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return kRunNotStarted;
    }
    OwnedHandle process(info.hProcess);
    OwnedHandle thread(info.hThread);

    WindowSearch search = {info.dwProcessId, target.caption.c_str(), nullptr};
    for (;;) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        if (search.found) break;
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.get(), &measurement->exit_code);
            return kRunExitedEarly;
        }
        if (ElapsedMs(start, now, frequency) >= timeout_ms) {
            EndProcess(process.get(), nullptr);
            return kRunTimedOut;
        }
        Sleep(kPollMs);
    }
    measurement->visible_ms = ElapsedMs(start, now, frequency);
    bool closed = EndProcess(process.get(), search.found);
    LARGE_INTEGER ended;
    QueryPerformanceCounter(&ended);
    measurement->close_ms = closed ? ElapsedMs(now, ended, frequency) : -1.0;
    return kRunOk;
}

const char* Describe(RunResult result) {
    switch (result) {
    case kRunNotStarted: return "could not be started";
    case kRunExitedEarly: return "ended before its window was visible";
    case kRunTimedOut: return "showed no visible window in time";
    default: return "ok";
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

int Usage() {
    fprintf(stderr,
            "usage: visible_timer [-runs N] [-warmup N] [-timeout MS] CAPTION EXE [ARG...]"
            " [-- CAPTION EXE [ARG...]]\n");
    return 2;
}

bool ParseCount(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    long parsed = strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends, so that scripts on the Linux side read clean lines.
    _setmode(_fileno(stdout), _O_BINARY);

    long runs = 10, warmup = 1, timeout_ms = 30000;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-' && strcmp(argv[i], "--") != 0; i += 2) {
        bool ok = false;
        if (strcmp(argv[i], "-runs") == 0) ok = ParseCount(argv[i + 1], 1, 10000, &runs);
        else if (strcmp(argv[i], "-warmup") == 0) ok = ParseCount(argv[i + 1], 0, 100, &warmup);
        else if (strcmp(argv[i], "-timeout") == 0) ok = ParseCount(argv[i + 1], 1, 600000, &timeout_ms);
        if (!ok) return Usage();
    }

    std::vector<Target> targets;
    while (i < argc) {
        if (argc - i < 2 || strcmp(argv[i], "--") == 0) return Usage();
        Target target;
        target.label = char('A' + targets.size());
        target.caption = argv[i++];
        for (; i < argc && strcmp(argv[i], "--") != 0; ++i) AppendQuoted(target.command_line, argv[i]);
        targets.push_back(target);
        if (i < argc) ++i;  // the separator
        if (targets.size() == 2 && i < argc) return Usage();
    }
    if (targets.empty()) return Usage();

    TimerResolution resolution;
    for (long run = -warmup; run < runs; ++run) {
        // Every other round runs the targets in reverse order, starting with A B.
        bool reversed = (run + warmup) % 2 == 1;
        for (size_t k = 0; k < targets.size(); ++k) {
            Target& target = targets[reversed ? targets.size() - 1 - k : k];
            Measurement m = {};
            RunResult result = MeasureOnce(target, DWORD(timeout_ms), &m);
            if (result != kRunOk) {
                // A single-instance program also ends at once when another copy already runs.
                char detail[64] = "";
                if (result == kRunExitedEarly) {
                    snprintf(detail, sizeof(detail), " (exit code %lu)", (unsigned long)m.exit_code);
                }
                printf("error %c: %s %s%s\n", target.label, target.command_line.c_str(),
                       Describe(result), detail);
                return 1;
            }
            double ms = m.visible_ms;
            char closing[64];
            if (m.close_ms < 0) snprintf(closing, sizeof(closing), "terminated");
            else snprintf(closing, sizeof(closing), "closed in %.0f ms", m.close_ms);
            if (run < 0) {
                printf("warmup %c %.2f ms (%s)\n", target.label, ms, closing);
            } else {
                target.times_ms.push_back(ms);
                printf("run %ld %c %.2f ms (%s)\n", run + 1, target.label, ms, closing);
            }
            fflush(stdout);
        }
    }

    for (const Target& target : targets) {
        printf("median %c %.2f ms %s\n", target.label, Median(target.times_ms), target.caption.c_str());
    }
    // The fastest run shows the cost without interference from other load on the machine.
    for (const Target& target : targets) {
        printf("min %c %.2f ms\n", target.label, *std::min_element(target.times_ms.begin(), target.times_ms.end()));
    }
    if (targets.size() == 2) {
        printf("ratio B/A %.3f\n", Median(targets[1].times_ms) / Median(targets[0].times_ms));
    }
    return 0;
}
