#include "tests/support/temp_folder.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<unsigned> g_counter{0};

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

}  // namespace

TempFolder::TempFolder() {
    char temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof(temp), temp);
    if (length == 0 || length >= sizeof(temp)) return;
    std::string base(temp, length);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    // Process id, a counter and the tick count keep parallel test processes apart.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof(name), "\\plx_%lu_%u_%lu", GetCurrentProcessId(), g_counter++, GetTickCount());
        std::string candidate = base + name;
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty()) RemoveTree(path_);
}

std::string TempFolder::File(const std::string& rel) const { return path_ + "\\" + rel; }

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    if (FolderExists(path)) return true;
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0) {
        const std::string parent = path.substr(0, slash);
        // "C:" is a drive, not a folder to create.
        if (!(parent.size() == 2 && parent[1] == ':') && !MakeFolders(parent)) return false;
    }
    return CreateDirectoryA(path.c_str(), nullptr) || FolderExists(path);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size());
    return CloseHandle(file) && ok;
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) content.append(chunk, got);
    CloseHandle(file);
    return content;
}

bool RemoveTree(const std::string& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != FALSE;
    // A link to a folder goes by itself; descending would delete the target's files.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = data.cFileName;
                if (name == "." || name == "..") continue;
                RemoveTree(path + "\\" + name);
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
    }
    return RemoveDirectoryA(path.c_str()) != FALSE;
}
