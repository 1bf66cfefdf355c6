// Lays out an installation as the product's setup does: copies the program and the
// extension stand-in into the installation folder, creates its "Init" folder and writes
// the installation record into HKLM "Software\Ombrix", value "Plexaro".
//
//   PlexaroSetup /install [FOLDER] [/data CUSTOMFOLDER [/peruser]]
//   PlexaroSetup /uninstall
#include <windows.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>

#include "../../framework/core/framework_records.h"
#include "../../framework/core/path_util.h"

namespace {

const char kDefaultFolder[] = "C:\\Program Files\\Ombrix\\Plexaro";
const char* const kFiles[] = {"Plexaro.exe", "Plexaro32.dll", "Plexaro.chm"};

int Usage() {
    fprintf(stderr, "usage: PlexaroSetup /install [FOLDER] [/data CUSTOMFOLDER [/peruser]] | /uninstall\n");
    return 2;
}

bool CreateFolders(const char* path) {
    int rc = SHCreateDirectoryExA(nullptr, path, nullptr);
    return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS;
}

int Install(const char* folder, const char* dataFolder, bool perUser) {
    char source[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, source, sizeof(source));
    char* slash = strrchr(source, '\\');
    if (n == 0 || n >= sizeof(source) || !slash) return 1;
    *slash = 0;

    char init[MAX_PATH];
    if (!FormatBounded(init, sizeof(init), "%s\\Init", folder)) {
        fprintf(stderr, "installation folder too long\n");
        return 1;
    }
    if (!CreateFolders(folder) || !CreateFolders(init)) {
        fprintf(stderr, "cannot create %s\n", init);
        return 1;
    }
    for (const char* file : kFiles) {
        char from[MAX_PATH], to[MAX_PATH];
        if (!FormatBounded(from, sizeof(from), "%s\\%s", source, file) ||
            !FormatBounded(to, sizeof(to), "%s\\%s", folder, file))
            return 1;
        if (GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES) {
            // The help file is built separately; the program reports a missing manual itself.
            if (strcmp(file, "Plexaro.chm") == 0) continue;
            fprintf(stderr, "missing %s\n", from);
            return 1;
        }
        if (!CopyFileA(from, to, FALSE)) {
            fprintf(stderr, "cannot copy %s to %s (error %lu)\n", from, to, GetLastError());
            return 1;
        }
    }

    InstallationRecord record = {};
    CopyBounded(record.installFolder, sizeof(record.installFolder), folder);
    if (dataFolder) {
        record.customDataFolderFlag = 1;
        record.perUserSubfolderFlag = perUser ? 1 : 0;
        if (!CopyBounded(record.customDataFolder, sizeof(record.customDataFolder), dataFolder)) return 1;
    }
    // Reserved for the update check: the maker's server is configured per installation.
    CopyBounded(record.updateAddress, sizeof(record.updateAddress), "http://update.ombrix.invalid/Plexaro/version.txt");
    CopyBounded(record.downloadAddress, sizeof(record.downloadAddress), "http://update.ombrix.invalid/Plexaro/download.htm");

    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ombrix", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        fprintf(stderr, "cannot create HKLM\\Software\\Ombrix\n");
        return 1;
    }
    LONG rc = RegSetValueExA(key, "Plexaro", 0, REG_BINARY, (const BYTE*)&record, sizeof(record));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return 1;
    printf("installed to %s\n", folder);
    return 0;
}

int Uninstall() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ombrix", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Plexaro");
        RegCloseKey(key);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    if (_stricmp(argv[1], "/uninstall") == 0) return Uninstall();
    if (_stricmp(argv[1], "/install") != 0) return Usage();
    const char* folder = kDefaultFolder;
    const char* dataFolder = nullptr;
    bool perUser = false;
    for (int i = 2; i < argc; ++i) {
        if (_stricmp(argv[i], "/data") == 0 && i + 1 < argc) dataFolder = argv[++i];
        else if (_stricmp(argv[i], "/peruser") == 0) perUser = true;
        else if (argv[i][0] != '/') folder = argv[i];
        else return Usage();
    }
    return Install(folder, dataFolder, perUser);
}
