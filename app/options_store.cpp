// Loading and saving the Options record and the system settings it mirrors.
#include "options_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../framework/core/blob_store.h"
#include "../framework/core/elevation.h"
#include "string_list.h"

OptionsRecord g_options;
IMalloc* g_shellMalloc = nullptr;
IShellFolder* g_desktopFolder = nullptr;

namespace {

constexpr const char* kOptionsRecord = "Options";
constexpr const char* kExplorerAdvanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr const char* kDesktopSettings = "Control Panel\\Desktop";
constexpr const char* kUnknownShell = "Unknown\\shell";
constexpr const char* kUnknownOpen = "Unknown\\shell\\open";
constexpr const char* kUnknownCommand = "Unknown\\shell\\open\\command";
char kKeyClass[] = "Plexaro";

constexpr size_t kCommandField = sizeof(g_options.UnknownTypeCommand);
constexpr DWORD kCommandBuffer = 1024;
constexpr DWORD kDelayBuffer = 260;

// The stored record could not be read (not merely missing): the in-memory record holds
// defaults, so the quiet save must not put them over the stored one.
bool s_optionsReadFailed = false;
// "MenuShowDelay" was read at load; the quiet save writes it back only then, so a start
// never changes the system-wide delay that nobody touched.
bool s_menuDelayKnown = false;
// The command as loaded or last saved: tells whether the user has edited it in this run.
char s_commandAsLoaded[kCommandField] = {};

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Opens the key, creating it when missing.
    bool Create(HKEY root, const char* path, REGSAM access) {
        return RegCreateKeyExA(root, path, 0, kKeyClass, REG_OPTION_NON_VOLATILE, access, nullptr, &key_, nullptr) ==
               ERROR_SUCCESS;
    }
    // Opens an existing key only.
    bool Open(HKEY root, const char* path, REGSAM access) {
        return RegOpenKeyExA(root, path, 0, access, &key_) == ERROR_SUCCESS;
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

enum class RegText { NotRead, Read, TooLong };

// Reads a string value into out[size], always terminated. Data need not carry its own
// zero, so at most size-1 bytes are read and the text ends at the returned length. A value
// too large for the buffer or of a non-string type is not read (out stays empty).
RegText QueryText(HKEY key, const char* name, char* out, DWORD size) {
    out[0] = 0;
    DWORD type = 0;
    DWORD bytes = size - 1;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &bytes);
    if (rc == ERROR_MORE_DATA) {
        out[0] = 0;
        return RegText::TooLong;
    }
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        out[0] = 0;
        return RegText::NotRead;
    }
    if (bytes > size - 1) bytes = size - 1;
    out[bytes] = 0;
    return RegText::Read;
}

// name null = the key's default value.
bool SetText(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

// The command field as a C string; the field's last byte counts as its terminator.
void CommandFromRecord(char (&out)[kCommandField]) {
    size_t n = FieldLength(g_options.UnknownTypeCommand, kCommandField);
    memcpy(out, g_options.UnknownTypeCommand, n);
    out[n] = 0;
}

bool WriteOptionsRecord() {
    if (WriteRecord(kOptionsRecord, -1, &g_options, kOptionsSize, kFolderPerUser) != kOptionsSize) return false;
    s_optionsReadFailed = false;   // the file now holds what is in memory
    return true;
}

void ReadIncludeHidden() {
    DWORD hidden = 0;
    RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kExplorerAdvanced, KEY_QUERY_VALUE)) {
        DWORD size = sizeof(hidden);
        if (RegQueryValueExA(key.Get(), "Hidden", nullptr, nullptr, reinterpret_cast<BYTE*>(&hidden), &size) !=
            ERROR_SUCCESS)
            hidden = 0;
    }
    g_options.IncludeHidden = hidden == 2 ? 0 : 1;
}

void ReadMenuDelay() {
    g_options.MenuDelay = 1000;
    s_menuDelayKnown = false;
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, kDesktopSettings, KEY_QUERY_VALUE)) return;
    char text[kDelayBuffer];
    if (QueryText(key.Get(), "MenuShowDelay", text, sizeof(text)) != RegText::Read) return;
    g_options.MenuDelay = static_cast<int32_t>(strtol(text, nullptr, 10));
    s_menuDelayKnown = true;
}

void WriteMenuDelay(bool quiet) {
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, kDesktopSettings, KEY_ALL_ACCESS)) return;
    char text[16];
    snprintf(text, sizeof(text), "%d", static_cast<int>(g_options.MenuDelay));
    if (SetText(key.Get(), "MenuShowDelay", text) && !quiet) s_menuDelayKnown = true;
}

// The registry's command for files of unknown type. NotRead leaves out empty (no key or
// no value); TooLong means a value exists that the record's field cannot hold.
RegText ReadUnknownCommand(char (&out)[kCommandBuffer]) {
    out[0] = 0;
    RegKey key;
    if (!key.Open(HKEY_CLASSES_ROOT, kUnknownCommand, KEY_QUERY_VALUE)) return RegText::NotRead;
    RegText result = QueryText(key.Get(), nullptr, out, sizeof(out));
    if (result == RegText::Read && strlen(out) >= kCommandField) {
        out[0] = 0;
        return RegText::TooLong;
    }
    return result;
}

// Writes the command; an empty one removes the keys. New values are set over the old
// ones rather than after deleting them, so a failed write leaves the previous command.
void WriteUnknownCommand(const char* command) {
    if (!command[0]) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kUnknownCommand);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kUnknownOpen);
        return;
    }
    {
        RegKey shell;
        if (shell.Create(HKEY_CLASSES_ROOT, kUnknownShell, KEY_ALL_ACCESS)) SetText(shell.Get(), nullptr, "");
    }
    RegKey open;
    if (open.Create(HKEY_CLASSES_ROOT, kUnknownCommand, KEY_ALL_ACCESS)) SetText(open.Get(), nullptr, command);
}

// Brings the record's command in line with the registry: what the registry really holds
// is what the record keeps. Returns false when the key is absent.
bool ReadBackUnknownCommand() {
    RegKey key;
    if (!key.Open(HKEY_CLASSES_ROOT, kUnknownCommand, KEY_QUERY_VALUE)) return false;
    char text[kCommandBuffer];
    // Only a value that fits is copied: a cut command would be written machine-wide by
    // the next elevated save.
    if (QueryText(key.Get(), nullptr, text, sizeof(text)) == RegText::Read && strlen(text) < kCommandField)
        memcpy(g_options.UnknownTypeCommand, text, strlen(text) + 1);
    return true;
}

}  // namespace

void LoadOptions() {
    // Read over a copy: a file that exists but cannot be read must not replace the
    // defaults with zeros.
    OptionsRecord stored = g_options;
    ReadStatus status = ReadStatus::Ok;
    ReadRecord(kOptionsRecord, -1, &stored, kOptionsSize, kFolderPerUser, &status);
    s_optionsReadFailed = status == ReadStatus::Failed;
    if (!s_optionsReadFailed) g_options = stored;
    // The count bounds loops over the 64-entry table; a short file reads it as 0.
    ClampInt(&g_options.FavoriteCount, 1, kMaxFavorites);

    LoadFavorites();

    if (g_options.IncludeHidden == -1) ReadIncludeHidden();
    ReadMenuDelay();

    CommandFromRecord(s_commandAsLoaded);
}

bool SaveOptions(int mode) {
    const bool quiet = mode == kSaveQuiet;
    // A quiet save after a failed read would put defaults over the user's stored record.
    const bool mayWriteRecord = !quiet || !s_optionsReadFailed;

    bool recordWritten = true;
    if (mayWriteRecord) recordWritten = WriteOptionsRecord();

    if (!quiet || FavoritesLoadComplete()) SaveFavorites();

    if (!quiet || s_menuDelayKnown) WriteMenuDelay(quiet);

    // Without the stored record the command field is only the default: it must not touch
    // the machine-wide command.
    if (!mayWriteRecord) return true;

    char command[kCommandField];
    CommandFromRecord(command);
    char current[kCommandBuffer];
    RegText inRegistry = ReadUnknownCommand(current);
    if (_stricmp(current, command) == 0) return recordWritten;
    // A registry command longer than the field can never equal it; unless the user typed a
    // new one, leave it alone instead of asking for elevation at every save.
    if (inRegistry == RegText::TooLong && strcmp(command, s_commandAsLoaded) == 0) return recordWritten;

    if (!quiet && IsElevated() == 0) {
        // The elevated copy loads the record just written; without it the change would be
        // lost, so the caller reports the failure and the dialog stays open instead.
        if (recordWritten) RequestRestart(2, mode == kSaveApply ? "-RESTARTASADMIN" : "-SAVEASADMIN", 1);
        return recordWritten;
    }

    WriteUnknownCommand(command);
    // The second write carries everything the first did, so either one landing is enough.
    if (ReadBackUnknownCommand()) recordWritten = WriteOptionsRecord() || recordWritten;
    CommandFromRecord(s_commandAsLoaded);
    return recordWritten;
}
