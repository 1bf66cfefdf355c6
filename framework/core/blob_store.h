// The blob store: each named record is one file {folder}\{name}[{number}].dcf holding
// exactly the record's bytes. Writes go through {file}_tmp, flushed, then moved over the
// record, so a reader in another process sees the old or the new file, never a partial one.
#pragma once
#include <cstdint>

constexpr int kFolderPerUser = 0;
constexpr int kFolderCommon = 1;

enum class ReadStatus { Ok, NotFound, Failed };

// Read: bytes read; a missing file leaves the buffer untouched, a shorter file zero-fills
// the rest. Null buffer: the file's size. status (optional) tells a missing file apart from
// one that exists but could not be read, so callers never overwrite what they failed to read.
int ReadRecord(const char* name, int number, void* buffer, int size, int selector = kFolderPerUser,
               ReadStatus* status = nullptr);
// Write: size when written, else 0 (the old file stays intact).
int WriteRecord(const char* name, int number, const void* data, int size, int selector = kFolderPerUser);
// Delete: for a single record 0 when deleted, 1 when not. With series the numbered
// records {name}0, {name}1, … go too, up to the first number whose file does not exist.
int DeleteRecord(const char* name, bool series, int selector = kFolderPerUser);
// Deletes the numbered records from first upward until one does not exist.
void DeleteRecordSeriesFrom(const char* name, int first, int selector = kFolderPerUser);

// {folder}\{name}.{extension}; null parts are left out; a null folder uses the selector's.
int ReadPath(const char* folder, const char* name, const char* extension, void* buffer, int size,
             int selector, ReadStatus* status = nullptr);
int WritePath(const char* folder, const char* name, const char* extension, const void* data, int size,
              int selector);

int ReadFileData(const char* path, void* buffer, int size, ReadStatus* status = nullptr);
// Mode 0 replaces the file, mode 1 appends. Returns bytes written.
int WriteFileData(const char* path, const void* data, int size, int mode);

// 0 exists or created with all missing parents, 1 a folder could not be created, 2 empty path.
int CreateFolderPath(const char* path, bool pauseOnFailure);
// 0 when the folder exists afterwards, else 1.
int CreateFolder(const char* path, bool pauseOnFailure);

// The folder a selector names (the application object's data folders).
const char* DataFolder(int selector);
