// A private temporary folder for a test, and small helpers for the files in it.
#pragma once
#include <string>

// Creates a folder with a unique name under %TEMP%; removes it with everything inside
// at the end. Links inside it are removed, never followed.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's full path, without a trailing backslash; empty when it could not be made.
    const std::string& Path() const { return path_; }
    // Path() + "\" + rel.
    std::string File(const std::string& rel) const;

private:
    std::string path_;
};

// Writes (replaces) a file, creating its missing folders. False on any failure.
bool WriteBytes(const std::string& path, const std::string& bytes);
// The file's content, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);
// True for an existing file (not a folder).
bool FileExists(const std::string& path);
// True for an existing folder.
bool FolderExists(const std::string& path);
// Creates a folder and all its missing parents.
bool MakeFolders(const std::string& path);
// Removes a file or a folder tree (links are removed, not followed).
bool RemoveTree(const std::string& path);
