#include "file_search.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "path_util.h"

namespace {

class FindHandle {
public:
    FindHandle(const char* pattern, WIN32_FIND_DATAA* data) : handle_(FindFirstFileA(pattern, data)) {}
    ~FindHandle() { if (Valid()) FindClose(handle_); }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA* data) { return FindNextFileA(handle_, data) != FALSE; }

private:
    HANDLE handle_;
};

bool Contains(const CGrowableList<PathEntry>& list, const char* path) {
    for (int i = 0; i < list.Count(); ++i)
        if (_stricmp(list[i].path, path) == 0) return true;
    return false;
}

bool IsDotEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Adds the sub-folders of folder, depth first, in the order the system returns them.
void AddSubFolders(CFileList* list, const char* folder) {
    char pattern[kMaxPath];
    if (!FormatBounded(pattern, sizeof(pattern), "%s\\*.*", folder)) return;
    WIN32_FIND_DATAA data;
    FindHandle find(pattern, &data);
    if (!find.Valid()) return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(data.cFileName)) continue;
        // Junctions and directory links can point at an ancestor (endless descent) or at a
        // foreign folder whose files a restore would then delete.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        PathEntry entry;
        if (!FormatBounded(entry.path, sizeof(entry.path), "%s\\%s", folder, data.cFileName)) continue;
        if (Contains(list->folders, entry.path)) continue;
        if (list->folders.Append(entry) < 0) return;
        AddSubFolders(list, entry.path);
    } while (find.Next(&data));
}

void AddFiles(CFileList* list, const char* folder, const char* pattern) {
    char query[kMaxPath];
    if (!FormatBounded(query, sizeof(query), "%s\\%s", folder, pattern)) return;
    WIN32_FIND_DATAA data;
    FindHandle find(query, &data);
    if (!find.Valid()) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        PathEntry entry;
        if (!FormatBounded(entry.path, sizeof(entry.path), "%s\\%s", folder, data.cFileName)) continue;
        if (Contains(list->files, entry.path)) continue;
        if (list->files.Append(entry) < 0) return;
    } while (find.Next(&data));
}

// Formats the patterns into the list. A list that does not fit loses its cut last pattern:
// a cut pattern would match other files than the one asked for.
void FormatPatterns(CFileList* list, const char* format, va_list args) {
    char* patterns = list->patterns;
    const size_t size = sizeof(list->patterns);
    patterns[0] = 0;
    if (!format) return;
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(patterns, size, format, args);
    patterns[size - 1] = 0;
    if (length < 0) {
        patterns[0] = 0;
    } else if (static_cast<size_t>(length) >= size) {
        // Was the cut on a separator? Then the last kept pattern is whole.
        std::vector<char> full(static_cast<size_t>(length) + 1);
        std::vsnprintf(full.data(), full.size(), format, again);
        if (full[size - 1] != list->separator) {
            char* last = std::strrchr(patterns, list->separator);
            if (last) *last = 0;
            else patterns[0] = 0;
        }
    }
    va_end(again);
}

int SearchFilesV(CFileList* list, const char* baseFolder, const char* patternFormat, va_list args) {
    if (!list) return -1;
    if (!baseFolder || !CopyBounded(list->baseFolder, sizeof(list->baseFolder), baseFolder)) list->baseFolder[0] = 0;
    FormatPatterns(list, patternFormat, args);
    if (!list->baseFolder[0]) return -1;
    if (!list->patterns[0]) return 0;

    list->files.Clear();
    list->folders.Clear();
    PathEntry base;
    std::memcpy(base.path, list->baseFolder, sizeof(base.path));
    if (list->folders.Append(base) < 0) return 0;
    AddSubFolders(list, list->baseFolder);

    for (int i = 0; i < list->folders.Count(); ++i) {
        const char* start = list->patterns;
        while (*start) {
            const char* end = std::strchr(start, list->separator);
            const size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
            // A pattern too long for any path is skipped; so is an empty one (";;", or the
            // ";" at the very end).
            if (length > 0 && length < static_cast<size_t>(kMaxPath)) {
                char pattern[kMaxPath];
                std::memcpy(pattern, start, length);
                pattern[length] = 0;
                AddFiles(list, list->folders[i].path, pattern);
            }
            if (!end) break;
            start = end + 1;
        }
    }
    return list->files.Count();
}

}  // namespace

CFileList::CFileList(const char* baseFolder, const char* patternFormat, ...) {
    va_list args;
    va_start(args, patternFormat);
    SearchFilesV(this, baseFolder, patternFormat, args);
    va_end(args);
}

int SearchFiles(CFileList* list, const char* baseFolder, const char* patternFormat, ...) {
    va_list args;
    va_start(args, patternFormat);
    const int result = SearchFilesV(list, baseFolder, patternFormat, args);
    va_end(args);
    return result;
}
