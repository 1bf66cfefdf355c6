#include "app/options_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/application.h"
#include "tests/support/temp_folder.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kAdvancedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
const char kUnknownKey[] = "Unknown";
const char kShellKey[] = "Unknown\\shell";
const char kOpenKey[] = "Unknown\\shell\\open";
const char kCommandKey[] = "Unknown\\shell\\open\\command";

// ---- registry helpers --------------------------------------------------------------

struct RegValue {
    bool exists = false;
    DWORD type = 0;
    std::string data;
};

bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

RegValue GetValue(HKEY root, const char* path, const char* name) {
    RegValue value;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(&value.data[0]), &size) ==
            ERROR_SUCCESS) {
            value.data.resize(size);
            value.exists = true;
        }
    }
    RegCloseKey(key);
    return value;
}

// The text of a string value without its terminating zero; "<absent>" when missing.
std::string GetText(HKEY root, const char* path, const char* name) {
    RegValue v = GetValue(root, path, name);
    if (!v.exists) return "<absent>";
    return std::string(v.data.c_str(), strnlen(v.data.c_str(), v.data.size()));
}

void SetValue(HKEY root, const char* path, const char* name, DWORD type, const std::string& data) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                            static_cast<DWORD>(data.size())));
    RegCloseKey(key);
}

void SetText(HKEY root, const char* path, const char* name, const std::string& text) {
    SetValue(root, path, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

void DeleteValue(HKEY root, const char* path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// One value, put back as it was (or removed, with its key when that was new) at scope end.
class SavedValue {
public:
    SavedValue(HKEY root, const char* path, const char* name)
        : root_(root), path_(path), name_(name), keyExisted_(KeyExists(root, path)), saved_(GetValue(root, path, name)) {}
    ~SavedValue() {
        if (saved_.exists) {
            SetValue(root_, path_, name_, saved_.type, saved_.data);
        } else if (keyExisted_) {
            DeleteValue(root_, path_, name_);
        } else {
            RegDeleteTreeA(root_, path_);
        }
    }

private:
    HKEY root_;
    const char* path_;
    const char* name_;
    bool keyExisted_;
    RegValue saved_;
};

// A key with everything below it, rebuilt exactly at scope end.
class SavedTree {
public:
    SavedTree(HKEY root, const char* path) : root_(root), path_(path) {
        HKEY key;
        if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            existed_ = true;
            Snapshot(key, tree_);
            RegCloseKey(key);
        }
    }
    ~SavedTree() {
        RegDeleteTreeA(root_, path_);
        if (existed_) Rebuild(root_, path_, tree_);
    }

private:
    struct Tree {
        std::vector<std::pair<std::string, RegValue>> values;
        std::vector<std::pair<std::string, Tree>> keys;
    };

    static void Snapshot(HKEY key, Tree& tree) {
        for (DWORD i = 0;; ++i) {
            char name[16384];
            DWORD nameSize = sizeof(name), type = 0, size = 0;
            if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
            RegValue v;
            v.type = type;
            v.data.resize(size);
            nameSize = sizeof(name);
            RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&v.data[0]), &size);
            v.exists = true;
            tree.values.emplace_back(name, v);
        }
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD nameSize = sizeof(name);
            if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY child;
            Tree sub;
            if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
                Snapshot(child, sub);
                RegCloseKey(child);
            }
            tree.keys.emplace_back(name, sub);
        }
    }

    static void Rebuild(HKEY parent, const char* path, const Tree& tree) {
        HKEY key;
        if (RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        for (const auto& v : tree.values)
            RegSetValueExA(key, v.first.empty() ? nullptr : v.first.c_str(), 0, v.second.type,
                           reinterpret_cast<const BYTE*>(v.second.data.data()), static_cast<DWORD>(v.second.data.size()));
        for (const auto& k : tree.keys) Rebuild(key, k.first.c_str(), k.second);
        RegCloseKey(key);
    }

    HKEY root_;
    const char* path_;
    bool existed_ = false;
    Tree tree_;
};

// ---- record helpers ----------------------------------------------------------------

std::string RecordBytes(const OptionsRecord& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof(record));
}

OptionsRecord FromBytes(const std::string& bytes) {
    OptionsRecord record;
    memset(&record, 0, sizeof(record));
    memcpy(&record, bytes.data(), bytes.size() < sizeof(record) ? bytes.size() : sizeof(record));
    return record;
}

// What the extension's InitOptions would give: every byte decided, including its own.
OptionsRecord Defaults() {
    OptionsRecord r;
    memset(&r, 0x5A, sizeof(r));
    r.IncludeHidden = -1;
    r.ToolTips = (1u << 16) | 5u;
    r.Multicolumn = 0;
    memcpy(r.IncludeExtensions, "exe\0lnk\0", 9);
    memcpy(r.ExcludeExtensions, "\0", 2);
    memcpy(r.ExcludeObjects, "\0", 2);
    r.IncludeAllExtensions = 0;
    r.MenuDelay = 123;
    strcpy(r.UnknownTypeCommand, "");
    strcpy(r.StartMenuRoot, "");
    r.ShowRecent = 1;
    r.RecentCount = 10;
    r.ShowFavorites = 1;
    r.FavoriteCount = 10;
    r.SubOpenAreaWidth = 16;
    strcpy(r.FileManager, "");
    return r;
}

// Holds a file open without sharing, as a scanner or another process might.
class LockedFile {
public:
    explicit LockedFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~LockedFile() { Release(); }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release() {
        if (Held()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

class ElevationOverride {
public:
    explicit ElevationOverride(bool elevated) {
        _putenv(elevated ? "PLEXARO_TEST_ELEVATION=1" : "PLEXARO_TEST_ELEVATION=0");
    }
    ~ElevationOverride() { _putenv("PLEXARO_TEST_ELEVATION="); }
};

const std::string kSeparator("\xFF\xFF\xFF\xFF", 4);
const std::string kDesktopList("\0\0", 2);
const std::string kTwoItemList("\x04\0ab\x03\0c\0\0", 9);

// ---- fixture -----------------------------------------------------------------------

class OptionsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        CApplication& app = App();
        memcpy(savedFolder_, app.perUserDataFolder, sizeof(savedFolder_));
        ASSERT_LT(temp_.Path().size(), sizeof(app.perUserDataFolder));
        strcpy(app.perUserDataFolder, temp_.Path().c_str());
        FreeFavorites();
        g_options = Defaults();
        // A known registry to start from.
        SetText(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay", "400");
        SetValue(HKEY_CURRENT_USER, kAdvancedKey, "Hidden", REG_DWORD, std::string("\x01\0\0\0", 4));
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kUnknownKey);
    }

    void TearDown() override {
        FreeFavorites();
        CApplication& app = App();
        memcpy(app.perUserDataFolder, savedFolder_, sizeof(savedFolder_));
        // A restart request must not restart the test program at exit.
        app.restartMode = 0;
        app.restartArguments[0] = 0;
        app.broadcastRestart = 0;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }

    std::string File(const char* name) const { return temp_.File(name); }
    std::string StoredOptions() const { return ReadBytes(File("Options.dcf")); }
    void Store(const OptionsRecord& record) { ASSERT_TRUE(WriteBytes(File("Options.dcf"), RecordBytes(record))); }

    // The registry command and the record's command set up, then loaded as at a start.
    void StartWith(const char* registryCommand, const char* recordCommand) {
        if (registryCommand) SetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr, registryCommand);
        OptionsRecord stored = Defaults();
        strcpy(stored.UnknownTypeCommand, recordCommand);
        Store(stored);
        LoadOptions();
    }

    TempFolder temp_;
    char savedFolder_[260] = {};
    SavedValue delay_{HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay"};
    SavedValue hidden_{HKEY_CURRENT_USER, kAdvancedKey, "Hidden"};
    SavedTree unknown_{HKEY_CLASSES_ROOT, kUnknownKey};
};

// ---- loading ---------------------------------------------------------------------------

TEST_F(OptionsStoreTest, NoStoredRecordKeepsTheDefaults) {
    LoadOptions();
    OptionsRecord expected = Defaults();
    expected.IncludeHidden = 1;   // "Hidden" is 1
    expected.MenuDelay = 400;     // from the registry
    EXPECT_EQ(RecordBytes(expected), RecordBytes(g_options));
}

TEST_F(OptionsStoreTest, ShortRecordReadsTheMissingTailAsZeros) {
    ASSERT_TRUE(WriteBytes(File("Options.dcf"), std::string(100, '\x22')));
    LoadOptions();
    const std::string bytes = RecordBytes(g_options);
    EXPECT_EQ(std::string(100, '\x22'), bytes.substr(0, 100));
    for (size_t i = 100; i < bytes.size(); ++i) {
        if (i >= 1564 && i < 1568) continue;   // MenuDelay comes from the registry
        if (i >= 2136 && i < 2140) continue;   // FavoriteCount is clamped
        ASSERT_EQ(0, bytes[i]) << "byte " << i;
    }
    EXPECT_EQ(0x22222222, g_options.IncludeHidden) << "only -1 asks for Explorer's setting";
    EXPECT_EQ(400, g_options.MenuDelay);
    EXPECT_EQ(1, g_options.FavoriteCount) << "a zero count would delete every stored favourite";
}

TEST_F(OptionsStoreTest, IncludeHiddenFollowsExplorerOnlyWhenUndecided) {
    struct Case {
        int32_t stored;
        const char* hidden;   // 4 bytes, or null for a missing value
        int32_t expected;
    } cases[] = {
        {-1, "\x02\0\0\0", 0}, {-1, "\x01\0\0\0", 1}, {-1, "\x00\0\0\0", 1}, {-1, "\x07\0\0\0", 1},
        {-1, nullptr, 1},      {0, "\x01\0\0\0", 0},  {1, "\x02\0\0\0", 1},
    };
    for (const Case& c : cases) {
        if (c.hidden)
            SetValue(HKEY_CURRENT_USER, kAdvancedKey, "Hidden", REG_DWORD, std::string(c.hidden, 4));
        else
            DeleteValue(HKEY_CURRENT_USER, kAdvancedKey, "Hidden");
        OptionsRecord stored = Defaults();
        stored.IncludeHidden = c.stored;
        Store(stored);
        LoadOptions();
        EXPECT_EQ(c.expected, g_options.IncludeHidden)
            << "stored " << c.stored << ", Hidden " << (c.hidden ? int(c.hidden[0]) : -1);
    }
}

TEST_F(OptionsStoreTest, MenuDelayComesFromTheRegistryText) {
    struct Case {
        const char* what;
        DWORD type;
        std::string data;   // empty type 0 = value absent
        int32_t expected;
    } cases[] = {
        {"absent", 0, "", 1000},
        {"400", REG_SZ, std::string("400", 4), 400},
        {"abc", REG_SZ, std::string("abc", 4), 0},
        {"leading number", REG_SZ, std::string("250ms", 6), 250},
        {"no terminating zero", REG_SZ, std::string("300", 3), 300},
        {"a number, not text", REG_DWORD, std::string("\x90\x01\0\0", 4), 1000},
        {"longer than the buffer", REG_SZ, std::string(300, '7') + '\0', 1000},
    };
    for (const Case& c : cases) {
        if (c.type)
            SetValue(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay", c.type, c.data);
        else
            DeleteValue(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay");
        g_options = Defaults();
        LoadOptions();
        EXPECT_EQ(c.expected, g_options.MenuDelay) << c.what;
    }
}

TEST_F(OptionsStoreTest, FavoriteCountIsClampedRightAfterReading) {
    for (int32_t stored : {0, -5, 500}) {
        OptionsRecord record = Defaults();
        record.FavoriteCount = stored;
        Store(record);
        LoadOptions();
        EXPECT_EQ(stored > 64 ? 64 : 1, g_options.FavoriteCount) << stored;
    }
}

// ---- the quiet save ----------------------------------------------------------------

TEST_F(OptionsStoreTest, QuietSaveWritesTheRecordAndCarriesTheExtensionsBytes) {
    OptionsRecord stored = Defaults();
    stored.IncludeHidden = 0;
    memcpy(stored.extension0, "\x01\x02\x03\x04", 4);
    memcpy(stored.extension4, "\x0A\x0B\x0C\x0D", 4);
    memcpy(stored.StartMenuRoot, "C:\\\0tail after the zero", 23);
    Store(stored);
    LoadOptions();
    g_options.LastStart = 0x12345678;
    EXPECT_TRUE(SaveOptions(kSaveQuiet));

    OptionsRecord written = FromBytes(StoredOptions());
    ASSERT_EQ(sizeof(OptionsRecord), StoredOptions().size());
    EXPECT_EQ(0x12345678u, written.LastStart);
    EXPECT_EQ(0, memcmp(written.extension0, "\x01\x02\x03\x04", 4));
    EXPECT_EQ(0, memcmp(written.extension4, "\x0A\x0B\x0C\x0D", 4));
    EXPECT_EQ(0, memcmp(written.StartMenuRoot, "C:\\\0tail after the zero", 23));
    EXPECT_EQ(400, written.MenuDelay);
    EXPECT_EQ(0, App().restartMode);
}

TEST_F(OptionsStoreTest, QuietSaveWritesMenuDelayOnlyWhenItWasRead) {
    DeleteValue(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay");
    LoadOptions();
    EXPECT_EQ(1000, g_options.MenuDelay);
    SaveOptions(kSaveQuiet);
    EXPECT_EQ("<absent>", GetText(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay"))
        << "a start must not change the system-wide delay nobody touched";

    SetText(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay", "400");
    LoadOptions();
    g_options.MenuDelay = 555;
    SaveOptions(kSaveQuiet);
    EXPECT_EQ("555", GetText(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay"));
}

TEST_F(OptionsStoreTest, OkAndApplyAlwaysWriteMenuDelay) {
    for (int mode : {kSaveApply, kSaveOk}) {
        DeleteValue(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay");
        LoadOptions();
        g_options.MenuDelay = 700 + mode;
        EXPECT_TRUE(SaveOptions(mode));
        EXPECT_EQ(std::to_string(700 + mode), GetText(HKEY_CURRENT_USER, kDesktopKey, "MenuShowDelay"));
    }
}

// A record that exists but cannot be read must not be replaced by defaults at the start.
TEST_F(OptionsStoreTest, UnreadableRecordIsNotOverwrittenByTheQuietSave) {
    OptionsRecord stored = Defaults();
    stored.Multicolumn = 1;
    strcpy(stored.StartMenuRoot, "D:\\Menu");
    Store(stored);
    const std::string before = StoredOptions();
    SetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr, "\"C:\\Viewer.exe\" \"%1\"");
    {
        LockedFile lock(File("Options.dcf"));
        ASSERT_TRUE(lock.Held());
        LoadOptions();
    }
    EXPECT_EQ(0, g_options.Multicolumn) << "the defaults stay, not zeros and not the stored values";
    EXPECT_EQ(5u, g_options.ToolTips & 0xFFFF);

    ElevationOverride elevated(true);
    EXPECT_TRUE(SaveOptions(kSaveQuiet));
    EXPECT_EQ(before, StoredOptions());
    EXPECT_EQ("\"C:\\Viewer.exe\" \"%1\"", GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr))
        << "the default command must not replace the machine-wide one";

    // An explicit OK writes what the user saw and confirmed.
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_EQ(0, FromBytes(StoredOptions()).Multicolumn);
}

TEST_F(OptionsStoreTest, SaveReportsARecordThatCouldNotBeWritten) {
    // The data folder is a file, so nothing can be created inside it.
    ASSERT_TRUE(WriteBytes(File("blocker"), "x"));
    strcpy(App().perUserDataFolder, File("blocker").c_str());
    LoadOptions();
    EXPECT_FALSE(SaveOptions(kSaveQuiet));
    EXPECT_FALSE(SaveOptions(kSaveOk));

    // Not elevated, with a changed command: no restart that would load a record that is
    // not there; the dialog stays to tell the user.
    SetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr, "old");
    strcpy(g_options.UnknownTypeCommand, "new");
    ElevationOverride notElevated(false);
    EXPECT_FALSE(SaveOptions(kSaveOk));
    EXPECT_EQ(0, App().restartMode);

    strcpy(App().perUserDataFolder, temp_.Path().c_str());
    EXPECT_TRUE(SaveOptions(kSaveQuiet));
}

// ---- the command for files of unknown type -------------------------------------------

TEST_F(OptionsStoreTest, CommandEqualExceptForCaseChangesNothing) {
    SetText(HKEY_CLASSES_ROOT, kShellKey, nullptr, "keep");
    StartWith("\"C:\\Tools\\View.exe\" \"%1\"", "\"c:\\tools\\VIEW.EXE\" \"%1\"");
    ElevationOverride notElevated(false);
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_EQ(0, App().restartMode);
    EXPECT_EQ("\"C:\\Tools\\View.exe\" \"%1\"", GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr));
    EXPECT_EQ("keep", GetText(HKEY_CLASSES_ROOT, kShellKey, nullptr));
}

TEST_F(OptionsStoreTest, ChangedCommandWhenNotElevatedAsksForAnElevatedRestart) {
    struct Case {
        int mode;
        const char* arguments;
    } cases[] = {{kSaveApply, "-RESTARTASADMIN"}, {kSaveOk, "-SAVEASADMIN"}};
    for (const Case& c : cases) {
        StartWith("\"C:\\Old.exe\" \"%1\"", "\"C:\\Old.exe\" \"%1\"");
        strcpy(g_options.UnknownTypeCommand, "\"C:\\New.exe\" \"%1\"");
        ElevationOverride notElevated(false);
        EXPECT_TRUE(SaveOptions(c.mode));
        EXPECT_EQ(2, App().restartMode) << c.arguments;
        EXPECT_STREQ(c.arguments, App().restartArguments);
        EXPECT_EQ(1, App().broadcastRestart);
        EXPECT_EQ("\"C:\\Old.exe\" \"%1\"", GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr))
            << "only the elevated copy writes the registry";
        EXPECT_STREQ("\"C:\\New.exe\" \"%1\"", FromBytes(StoredOptions()).UnknownTypeCommand)
            << "the elevated copy loads the record written here";
        App().restartMode = 0;
        App().restartArguments[0] = 0;
        App().broadcastRestart = 0;
    }
}

TEST_F(OptionsStoreTest, QuietSaveNeverAsksForElevation) {
    StartWith("\"C:\\Old.exe\" \"%1\"", "\"C:\\New.exe\" \"%1\"");
    ElevationOverride notElevated(false);
    SaveOptions(kSaveQuiet);
    EXPECT_EQ(0, App().restartMode);
}

TEST_F(OptionsStoreTest, ElevatedSaveWritesTheCommandAndStoresWhatTheRegistryHolds) {
    SetText(HKEY_CLASSES_ROOT, kShellKey, nullptr, "edit");
    StartWith("\"C:\\Old.exe\" \"%1\"", "\"C:\\Old.exe\" \"%1\"");
    strcpy(g_options.UnknownTypeCommand, "\"C:\\New.exe\" \"%1\"");
    ElevationOverride elevated(true);
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_EQ(0, App().restartMode);
    EXPECT_EQ("\"C:\\New.exe\" \"%1\"", GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr));
    EXPECT_EQ(REG_SZ, GetValue(HKEY_CLASSES_ROOT, kCommandKey, nullptr).type);
    EXPECT_EQ("", GetText(HKEY_CLASSES_ROOT, kShellKey, nullptr));
    EXPECT_STREQ("\"C:\\New.exe\" \"%1\"", FromBytes(StoredOptions()).UnknownTypeCommand);
}

TEST_F(OptionsStoreTest, CommandIsCreatedWhereNoneExisted) {
    StartWith(nullptr, "");
    strcpy(g_options.UnknownTypeCommand, "notepad.exe \"%1\"");
    ElevationOverride elevated(true);
    EXPECT_TRUE(SaveOptions(kSaveApply));
    EXPECT_EQ("notepad.exe \"%1\"", GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr));
    EXPECT_EQ("", GetText(HKEY_CLASSES_ROOT, kShellKey, nullptr));
}

TEST_F(OptionsStoreTest, EmptyCommandDeletesTheKeysAndCreatesNothing) {
    SetText(HKEY_CLASSES_ROOT, kShellKey, nullptr, "keep me");
    StartWith("\"C:\\Old.exe\" \"%1\"", "\"C:\\Old.exe\" \"%1\"");
    g_options.UnknownTypeCommand[0] = 0;
    ElevationOverride elevated(true);
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kCommandKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kOpenKey));
    EXPECT_EQ("keep me", GetText(HKEY_CLASSES_ROOT, kShellKey, nullptr));
    EXPECT_STREQ("", FromBytes(StoredOptions()).UnknownTypeCommand);
}

TEST_F(OptionsStoreTest, EmptyCommandWithNoKeyCreatesNoKey) {
    StartWith(nullptr, "");
    ElevationOverride elevated(true);
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kShellKey));
}

// A field without its terminator: only its own 259 characters go to the registry, never
// the bytes of the field after it.
TEST_F(OptionsStoreTest, UnterminatedCommandFieldIsWrittenBounded) {
    StartWith("old", "old");
    memset(g_options.UnknownTypeCommand, 'a', sizeof(g_options.UnknownTypeCommand));
    strcpy(g_options.StartMenuRoot, "ZZZ");
    ElevationOverride elevated(true);
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_EQ(std::string(259, 'a'), GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr));
    EXPECT_STREQ("ZZZ", g_options.StartMenuRoot);
    EXPECT_EQ(std::string(259, 'a'), std::string(g_options.UnknownTypeCommand, 259));
}

TEST_F(OptionsStoreTest, RegistryCommandWithoutTerminatorComparesAsItsText) {
    SetValue(HKEY_CLASSES_ROOT, kCommandKey, nullptr, REG_SZ, "abc");   // no zero byte
    OptionsRecord stored = Defaults();
    strcpy(stored.UnknownTypeCommand, "ABC");
    Store(stored);
    LoadOptions();
    ElevationOverride notElevated(false);
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_EQ(0, App().restartMode);
}

// A command set by another program that the field cannot hold: left alone, no elevation
// at every OK, and never cut into the record.
TEST_F(OptionsStoreTest, RegistryCommandTooLongForTheFieldIsLeftAlone) {
    for (size_t length : {size_t(300), size_t(1500)}) {
        const std::string longCommand = "\"C:\\" + std::string(length, 'x') + ".exe\" \"%1\"";
        StartWith(longCommand.c_str(), "\"C:\\Mine.exe\" \"%1\"");
        {
            ElevationOverride notElevated(false);
            EXPECT_TRUE(SaveOptions(kSaveOk));
            EXPECT_EQ(0, App().restartMode) << length;
        }
        {
            ElevationOverride elevated(true);
            EXPECT_TRUE(SaveOptions(kSaveOk));
        }
        EXPECT_EQ(longCommand, GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr)) << length;
        EXPECT_STREQ("\"C:\\Mine.exe\" \"%1\"", g_options.UnknownTypeCommand);

        // A command the user typed in this run is written.
        strcpy(g_options.UnknownTypeCommand, "\"C:\\Typed.exe\" \"%1\"");
        ElevationOverride elevated(true);
        EXPECT_TRUE(SaveOptions(kSaveOk));
        EXPECT_EQ("\"C:\\Typed.exe\" \"%1\"", GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr)) << length;
    }
}

// The new command is set over the old one instead of after deleting the keys, so nothing
// else under them is lost and a failed write would leave the previous command.
TEST_F(OptionsStoreTest, ChangedCommandIsSetWithoutDeletingTheKeys) {
    StartWith("old", "old");
    SetText(HKEY_CLASSES_ROOT, kOpenKey, "Other", "kept");
    SetText(HKEY_CLASSES_ROOT, kCommandKey, "Other", "kept too");
    strcpy(g_options.UnknownTypeCommand, "new \"%1\"");
    ElevationOverride elevated(true);
    EXPECT_TRUE(SaveOptions(kSaveOk));
    EXPECT_EQ("new \"%1\"", GetText(HKEY_CLASSES_ROOT, kCommandKey, nullptr));
    EXPECT_EQ("kept", GetText(HKEY_CLASSES_ROOT, kOpenKey, "Other"));
    EXPECT_EQ("kept too", GetText(HKEY_CLASSES_ROOT, kCommandKey, "Other"));
}

// ---- favourites through the start-up sequence ------------------------------------------

TEST_F(OptionsStoreTest, StartWithFavoritesSwitchedOffKeepsTheStoredSeries) {
    ASSERT_TRUE(WriteBytes(File("FAV0.dcf"), kTwoItemList));
    ASSERT_TRUE(WriteBytes(File("FAV1.dcf"), kSeparator));
    ASSERT_TRUE(WriteBytes(File("FAV2.dcf"), kDesktopList));
    OptionsRecord stored = Defaults();
    stored.ShowFavorites = 0;
    Store(stored);
    LoadOptions();
    SaveOptions(kSaveQuiet);
    EXPECT_EQ(kTwoItemList, ReadBytes(File("FAV0.dcf")));
    EXPECT_EQ(kSeparator, ReadBytes(File("FAV1.dcf")));
    EXPECT_EQ(kDesktopList, ReadBytes(File("FAV2.dcf")));
}

TEST_F(OptionsStoreTest, QuietSaveLeavesASeriesItCouldNotLoadWhole) {
    ASSERT_TRUE(WriteBytes(File("FAV0.dcf"), kTwoItemList));
    ASSERT_TRUE(WriteBytes(File("FAV1.dcf"), kSeparator));
    ASSERT_TRUE(WriteBytes(File("FAV2.dcf"), kDesktopList));
    Store(Defaults());
    {
        LockedFile lock(File("FAV1.dcf"));
        ASSERT_TRUE(lock.Held());
        LoadOptions();
    }
    EXPECT_FALSE(FavoritesLoadComplete());
    SaveOptions(kSaveQuiet);
    EXPECT_EQ(kSeparator, ReadBytes(File("FAV1.dcf")));
    EXPECT_EQ(kDesktopList, ReadBytes(File("FAV2.dcf")));

    // OK writes the table the user confirmed.
    ElevationOverride elevated(true);
    SaveOptions(kSaveOk);
    EXPECT_EQ(kTwoItemList, ReadBytes(File("FAV0.dcf")));
    EXPECT_FALSE(FileExists(File("FAV1.dcf")));
}

}  // namespace
