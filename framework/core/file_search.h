// Recursive file-list search over a base folder and its sub-folders.
#pragma once
#include "growable_list.h"

struct PathEntry { char path[260]; };

class CFileList {
public:
    CFileList() = default;
    // Constructs the list with a first search.
    CFileList(const char* baseFolder, const char* patternFormat, ...);

    char baseFolder[260] = {};
    char patterns[2600] = {};
    char separator = ';';
    CGrowableList<PathEntry> files;
    CGrowableList<PathEntry> folders;
};

// Returns the number of files found, 0 for empty patterns, -1 for an empty base folder
// (or one longer than 259 characters). Directory links (reparse points) are not followed;
// paths that would not fit 259 characters are skipped; a pattern list longer than 2599
// characters keeps only its whole patterns.
int SearchFiles(CFileList* list, const char* baseFolder, const char* patternFormat, ...);
