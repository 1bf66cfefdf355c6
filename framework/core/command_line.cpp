#include "command_line.h"

#include <cstring>
#include <new>

namespace {

constexpr int kMaxWord = 259;   // a name or value field holds 260 bytes

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

// Switch names are compared without regard to case, and only in ASCII: the same
// result whatever code page or C locale the process runs with.
bool EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
    return *a == *b;
}

// Copies the word from p up to (not including) a character for which stop() holds or
// the end of the string. At most 259 characters are kept; the rest of the word is
// skipped, so an overlong word never overruns its field nor spills into a new word.
template <typename Stop>
const char* CopyWord(const char* p, char* out, Stop stop) {
    int n = 0;
    for (; *p && !stop(*p); ++p)
        if (n < kMaxWord) out[n++] = *p;
    out[n] = 0;
    return p;
}

// The entry being built while the parse runs.
struct PendingEntry {
    bool active = false;
    char name[260] = {};
    CGrowableList<ArgumentValue>* values = nullptr;

    void Start() {
        active = true;
        name[0] = 0;
        values = nullptr;
    }
    void AddValue(const ArgumentValue& value) {
        if (!values) values = new (std::nothrow) CGrowableList<ArgumentValue>();
        if (values) values->Append(value);
    }
    void Finish(CArgumentList* list) {
        if (!active) return;
        list->Append(name, values);   // the list owns the values from here on
        active = false;
        values = nullptr;
    }
};

}  // namespace

int CArgumentList::FindArgument(const char* name) const {
    if (!name) return -1;
    for (int i = 0; i < entries_.Count(); ++i)
        if (EqualNoCase(entries_[i].name, name)) return i;
    return -1;
}

void CArgumentList::Clear() {
    for (int i = 0; i < entries_.Count(); ++i) {
        delete entries_[i].values;
        entries_[i].values = nullptr;
    }
    entries_.Clear();
}

int CArgumentList::Append(const char* name, CGrowableList<ArgumentValue>* values) {
    ArgumentEntry entry;
    std::memset(&entry, 0, sizeof(entry));
    if (name) {
        size_t n = std::strlen(name);
        if (n > kMaxWord) n = kMaxWord;
        std::memcpy(entry.name, name, n);
    }
    entry.values = values;
    int index = entries_.Append(entry);
    if (index < 0) delete values;   // ownership was handed over; do not leak on failure
    return index;
}

int ParseCommandLine(const char* commandLine, CArgumentList* arguments, CommandLineFlags* flags) {
    if (arguments) arguments->Clear();
    if (!commandLine || !*commandLine || !arguments) return 0;

    bool quit = false, waitForDataPath = false;
    PendingEntry entry;
    const char* p = commandLine;
    for (;;) {
        // Only the space counts as a blank: a tab belongs to the word it is in.
        while (*p == ' ') ++p;
        if (!*p) break;

        if (*p == '-') {
            entry.Finish(arguments);
            entry.Start();
            p = CopyWord(p, entry.name, [](char c) { return c == ' '; });
            if (EqualNoCase(entry.name, "-WAITFORDATAPATH")) {
                waitForDataPath = true;
            } else if (EqualNoCase(entry.name, "-AUTOSTART")) {
                if (flags) flags->autostart = true;
            } else if (EqualNoCase(entry.name, "-QUIT")) {
                quit = true;
            } else if (EqualNoCase(entry.name, "-MINIMIZE")) {
                if (flags) flags->startMinimized = true;
            }
            continue;
        }

        if (!entry.active) entry.Start();
        ArgumentValue value;
        if (*p == '"') {
            // A quoted value keeps its blanks; without a closing quote it takes the rest.
            p = CopyWord(p + 1, value.text, [](char c) { return c == '"'; });
            if (*p == '"') ++p;
        } else {
            p = CopyWord(p, value.text, [](char c) { return c == ' '; });
        }
        entry.AddValue(value);
    }
    entry.Finish(arguments);

    if (quit) return -1;
    return waitForDataPath ? 1 : 0;
}
