// The command line: switches ("-NAME", compared without case) each followed by values.
#pragma once
#include <cstdint>
#include "growable_list.h"

struct ArgumentValue { char text[260]; };

struct ArgumentEntry {
    char name[260];                      // "" for values before any switch
    CGrowableList<ArgumentValue>* values; // owned by the argument list
};

class CArgumentList {
public:
    CArgumentList() = default;
    ~CArgumentList() { Clear(); }
    CArgumentList(const CArgumentList&) = delete;
    CArgumentList& operator=(const CArgumentList&) = delete;

    int Count() const { return entries_.Count(); }
    const char* Name(int index) const { return entries_[index].name; }
    int ValueCount(int index) const { return entries_[index].values ? entries_[index].values->Count() : 0; }
    const char* Value(int index, int value) const { return (*entries_[index].values)[value].text; }

    // Index of the first entry whose name equals name without regard to case, or -1.
    int FindArgument(const char* name) const;

    void Clear();
    // Appends an entry; takes ownership of values (may be null).
    int Append(const char* name, CGrowableList<ArgumentValue>* values);

private:
    CGrowableList<ArgumentEntry> entries_;
};

struct CommandLineFlags {
    bool autostart = false;
    bool startMinimized = false;   // only ever set by the parse
};

// Parses the raw command line (without program name). Words longer than 259 characters
// are cut to 259 and the rest of the word is skipped. Returns -1 when "-QUIT" was found,
// else 1 when "-WAITFORDATAPATH" was found, else 0.
int ParseCommandLine(const char* commandLine, CArgumentList* arguments, CommandLineFlags* flags);
