#include "blob_store.h"

#include <windows.h>

#include <climits>
#include <cstring>

#include "application.h"
#include "path_util.h"

namespace {

// How long a replacement waits for a reader (the shell extension) to let go of a record.
constexpr DWORD kMoveRetryMs = 1000;
constexpr DWORD kMoveRetryStepMs = 50;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { if (Valid()) CloseHandle(handle_); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    // Closes now so the caller can learn whether the close itself succeeded.
    bool Close() {
        if (!Valid()) return true;
        BOOL ok = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

private:
    HANDLE handle_;
};

void SetStatus(ReadStatus* status, ReadStatus value) {
    if (status) *status = value;
}

bool FitsPath(const char* path) {
    return path && path[0] && std::strlen(path) < static_cast<size_t>(kMaxPath);
}

bool FolderExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsNotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// {folder}\{name}.{extension}, parts that are null left out; a null folder is the
// selector's data folder. False when the folder is not settled or the path would not fit.
bool BuildPath(char* out, const char* folder, const char* name, const char* extension, int selector) {
    out[0] = 0;
    if (!folder) folder = DataFolder(selector);
    if (!folder || !folder[0]) return false;
    if (!CopyBounded(out, kMaxPath, folder)) return false;
    char joined[kMaxPath];
    if (name) {
        if (!FormatBounded(joined, sizeof(joined), "%s\\%s", out, name)) return false;
        std::memcpy(out, joined, sizeof(joined));
    }
    if (extension) {
        if (!FormatBounded(joined, sizeof(joined), "%s.%s", out, extension)) return false;
        std::memcpy(out, joined, sizeof(joined));
    }
    return true;
}

// "FAV" 12 → "FAV12"; -1 leaves the name as it is.
bool RecordName(char* out, const char* name, int number) {
    if (!name) return false;
    if (number == -1) return CopyBounded(out, kMaxPath, name);
    return FormatBounded(out, kMaxPath, "%s%d", name, number);
}

bool RecordPath(char* out, const char* name, int number, int selector) {
    char fileName[kMaxPath];
    return RecordName(fileName, name, number) && BuildPath(out, nullptr, fileName, "dcf", selector);
}

int WriteFileDataImpl(const char* path, const void* data, int size, int mode, bool flush) {
    if (!FitsPath(path) || size < 0 || (size > 0 && !data)) return 0;
    const DWORD disposition = mode == 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
    auto open = [&] {
        return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE handle = open();
    if (handle == INVALID_HANDLE_VALUE) {
        const char* slash = std::strrchr(path, '\\');
        if (!slash || slash == path) return 0;
        char folder[kMaxPath];
        const size_t length = static_cast<size_t>(slash - path);
        std::memcpy(folder, path, length);
        folder[length] = 0;
        if (!FolderExists(folder)) CreateFolderPath(folder, true);
        handle = open();
        if (handle == INVALID_HANDLE_VALUE) return 0;
    }
    FileHandle file(handle);
    if (mode == 1 && SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return 0;
    DWORD written = 0;
    if (size > 0 && !WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr)) written = 0;
    // A record must be on the disk before it replaces the old one: after a power cut an
    // empty record would read as all zeros and be saved back.
    if (flush && !FlushFileBuffers(file.Get())) return 0;
    if (!file.Close()) return 0;
    return static_cast<int>(written);
}

// The shell extension may be reading the record right now; the move then fails until it
// lets go, so keep trying for a short while.
bool ReplaceWithRetry(const char* source, const char* target) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return false;
        if (GetTickCount() - start >= kMoveRetryMs) return false;
        Sleep(kMoveRetryStepMs);
    }
}

}  // namespace

const char* DataFolder(int selector) {
    return selector == kFolderCommon ? App().commonDataFolder : App().perUserDataFolder;
}

int ReadFileData(const char* path, void* buffer, int size, ReadStatus* status) {
    SetStatus(status, ReadStatus::Failed);
    if (!FitsPath(path)) return 0;
    // Share delete as well: a writer may replace the record while it is being read.
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        if (IsNotFound(GetLastError())) SetStatus(status, ReadStatus::NotFound);
        return 0;
    }
    if (!buffer) {
        LARGE_INTEGER fileSize;
        if (!GetFileSizeEx(file.Get(), &fileSize)) return 0;
        SetStatus(status, ReadStatus::Ok);
        return fileSize.QuadPart > INT_MAX ? INT_MAX : static_cast<int>(fileSize.QuadPart);
    }
    if (size <= 0) {
        SetStatus(status, ReadStatus::Ok);
        return 0;
    }
    char* bytes = static_cast<char*>(buffer);
    int total = 0;
    bool failed = false;
    while (total < size) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes + total, static_cast<DWORD>(size - total), &got, nullptr)) {
            failed = true;
            break;
        }
        if (got == 0) break;
        total += static_cast<int>(got);
    }
    if (total < size) std::memset(bytes + total, 0, static_cast<size_t>(size - total));
    SetStatus(status, failed ? ReadStatus::Failed : ReadStatus::Ok);
    return total;
}

int WriteFileData(const char* path, const void* data, int size, int mode) {
    return WriteFileDataImpl(path, data, size, mode, false);
}

int ReadPath(const char* folder, const char* name, const char* extension, void* buffer, int size, int selector,
             ReadStatus* status) {
    char path[kMaxPath];
    if (!BuildPath(path, folder, name, extension, selector)) {
        SetStatus(status, ReadStatus::Failed);
        return 0;
    }
    return ReadFileData(path, buffer, size, status);
}

int WritePath(const char* folder, const char* name, const char* extension, const void* data, int size,
              int selector) {
    char path[kMaxPath];
    char temporary[kMaxPath];
    if (!BuildPath(path, folder, name, extension, selector)) return 0;
    if (!FormatBounded(temporary, sizeof(temporary), "%s_tmp", path)) return 0;
    if (size < 0 || WriteFileDataImpl(temporary, data, size, 0, true) != size) return 0;
    return ReplaceWithRetry(temporary, path) ? size : 0;
}

int ReadRecord(const char* name, int number, void* buffer, int size, int selector, ReadStatus* status) {
    char fileName[kMaxPath];
    if (!RecordName(fileName, name, number)) {
        SetStatus(status, ReadStatus::Failed);
        return 0;
    }
    return ReadPath(nullptr, fileName, "dcf", buffer, size, selector, status);
}

int WriteRecord(const char* name, int number, const void* data, int size, int selector) {
    char fileName[kMaxPath];
    if (!RecordName(fileName, name, number)) return 0;
    return WritePath(nullptr, fileName, "dcf", data, size, selector);
}

void DeleteRecordSeriesFrom(const char* name, int first, int selector) {
    if (first < 0) first = 0;
    for (int number = first; number < INT_MAX; ++number) {
        char path[kMaxPath];
        if (!RecordPath(path, name, number, selector)) return;
        if (DeleteFileA(path)) continue;
        // Only a missing file ends the series; one held open by a reader is skipped so
        // the records above it still go.
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return;
    }
}

int DeleteRecord(const char* name, bool series, int selector) {
    char path[kMaxPath];
    int result = 1;
    if (RecordPath(path, name, -1, selector) && DeleteFileA(path)) result = 0;
    if (series) DeleteRecordSeriesFrom(name, 0, selector);
    return result;
}

int CreateFolder(const char* path, bool pauseOnFailure) {
    if (!path || !path[0]) return 1;
    CreateDirectoryA(path, nullptr);
    if (FolderExists(path)) return 0;
    if (pauseOnFailure) Sleep(100);
    return 1;
}

int CreateFolderPath(const char* path, bool pauseOnFailure) {
    if (!path || !path[0]) return 2;
    char buffer[520];
    if (!CopyBounded(buffer, sizeof(buffer), path)) return 1;
    if (FolderExists(buffer)) return 0;

    // Walk back to the deepest part that exists, remembering every cut.
    int cuts[sizeof(buffer)];
    int cutCount = 0;
    bool exists = false;
    while (!exists) {
        char* slash = std::strrchr(buffer, '\\');
        if (!slash) break;
        *slash = 0;
        cuts[cutCount++] = static_cast<int>(slash - buffer);
        exists = buffer[0] && FolderExists(buffer);
    }
    // No existing part at all: start with the first component.
    if (!exists && buffer[0] && CreateFolder(buffer, pauseOnFailure) != 0) return 1;
    // Forward again, creating each folder in turn.
    while (cutCount > 0) {
        buffer[cuts[--cutCount]] = '\\';
        if (CreateFolder(buffer, pauseOnFailure) != 0) return 1;
    }
    return 0;
}
