#include "framework/core/file_search.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class FileSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        base_ = temp_.File("base");
        for (const char* file : {"a.txt", "b.dcf", "s1\\c.dcf", "s1\\s2\\d.dcf", "s3\\e.txt", "s3\\F.DCF"})
            ASSERT_TRUE(WriteBytes(base_ + "\\" + file, file));
        ASSERT_TRUE(MakeFolders(base_ + "\\empty"));
    }

    // The found files relative to the base folder, lower case.
    std::set<std::string> Files(const CFileList& list) const {
        std::set<std::string> files;
        for (int i = 0; i < list.files.Count(); ++i) files.insert(Relative(list.files[i].path));
        return files;
    }
    std::string Relative(const std::string& path) const {
        EXPECT_EQ(0u, Lower(path).find(Lower(base_))) << path;
        return Lower(path.size() > base_.size() ? path.substr(base_.size() + 1) : std::string());
    }

    TempFolder temp_;
    std::string base_;
};

TEST_F(FileSearchTest, FindsEveryFileAndFolderDepthFirst) {
    CFileList list;
    ASSERT_EQ(6, SearchFiles(&list, base_.c_str(), "*.*"));
    EXPECT_EQ((std::set<std::string>{"a.txt", "b.dcf", "s1\\c.dcf", "s1\\s2\\d.dcf", "s3\\e.txt", "s3\\f.dcf"}),
              Files(list));
    ASSERT_EQ(5, list.folders.Count());
    EXPECT_STREQ(base_.c_str(), list.folders[0].path);
    std::vector<std::string> folders;
    for (int i = 0; i < list.folders.Count(); ++i) folders.push_back(Relative(list.folders[i].path));
    EXPECT_EQ((std::set<std::string>{"", "s1", "s1\\s2", "s3", "empty"}),
              std::set<std::string>(folders.begin(), folders.end()));
    // A sub-folder's own sub-folders follow it at once.
    const auto s1 = std::find(folders.begin(), folders.end(), "s1");
    ASSERT_NE(folders.end(), s1);
    ASSERT_NE(folders.end(), s1 + 1);
    EXPECT_EQ("s1\\s2", *(s1 + 1));
}

TEST_F(FileSearchTest, PatternLists) {
    struct Case {
        const char* patterns;
        std::set<std::string> files;
    };
    const std::set<std::string> dcf = {"b.dcf", "s1\\c.dcf", "s1\\s2\\d.dcf", "s3\\f.dcf"};
    const std::set<std::string> all = {"a.txt", "b.dcf", "s1\\c.dcf", "s1\\s2\\d.dcf", "s3\\e.txt", "s3\\f.dcf"};
    const Case cases[] = {
        {"*.dcf", dcf},
        {"*.dcf;*.txt", all},
        {"*.dcf;*.txt;", all},     // a ";" at the end adds nothing
        {";;*.dcf;;", dcf},
        {"*.dcf;*.*", all},        // a file matched twice is listed once
        {"A.TXT;a.txt", {"a.txt"}},
        {"e.txt", {"s3\\e.txt"}},
        {"nothing.here", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patterns);
        CFileList list;
        EXPECT_EQ(static_cast<int>(c.files.size()), SearchFiles(&list, base_.c_str(), "%s", c.patterns));
        EXPECT_EQ(c.files, Files(list));
        EXPECT_EQ(static_cast<int>(c.files.size()), list.files.Count());
    }
}

TEST_F(FileSearchTest, PatternsAreFormattedFromTheArguments) {
    CFileList list;
    EXPECT_EQ(6, SearchFiles(&list, base_.c_str(), "%s;*.%s", "*.dcf", "txt"));
    EXPECT_STREQ("*.dcf;*.txt", list.patterns);
    EXPECT_STREQ(base_.c_str(), list.baseFolder);

    CFileList constructed(base_.c_str(), "*.%s", "dcf");
    EXPECT_EQ(4, constructed.files.Count());
}

TEST_F(FileSearchTest, EmptyBaseFolderOrPatterns) {
    CFileList list;
    EXPECT_EQ(-1, SearchFiles(&list, "", "*.*"));
    EXPECT_EQ(-1, SearchFiles(&list, nullptr, "*.*"));
    EXPECT_EQ(-1, SearchFiles(&list, std::string(300, 'c').c_str(), "*.*"));   // never cut
    EXPECT_EQ(0, SearchFiles(&list, base_.c_str(), ""));
    EXPECT_EQ(0, list.files.Count());
    EXPECT_EQ(0, list.folders.Count());
    // Only separators: a search that finds nothing.
    EXPECT_EQ(0, SearchFiles(&list, base_.c_str(), "%s", ";;"));
    EXPECT_EQ(0, list.files.Count());
}

TEST_F(FileSearchTest, EachSearchStartsAfresh) {
    CFileList list;
    ASSERT_EQ(6, SearchFiles(&list, base_.c_str(), "*.*"));
    EXPECT_EQ(4, SearchFiles(&list, base_.c_str(), "*.dcf"));
    EXPECT_EQ(5, list.folders.Count());
    EXPECT_EQ(1, SearchFiles(&list, (base_ + "\\s1\\s2").c_str(), "*.*"));
    EXPECT_EQ(1, list.folders.Count());
}

TEST_F(FileSearchTest, MissingBaseFolderFindsNothing) {
    CFileList list;
    EXPECT_EQ(0, SearchFiles(&list, temp_.File("absent").c_str(), "*.*"));
    EXPECT_EQ(1, list.folders.Count());
}

// A pattern whose joined path would not fit 259 characters is skipped; the others work.
TEST_F(FileSearchTest, OverlongPatternIsSkipped) {
    const std::string longPattern(300, 'p');
    CFileList list;
    EXPECT_EQ(4, SearchFiles(&list, base_.c_str(), "%s;*.dcf", longPattern.c_str()));
    EXPECT_EQ(4, SearchFiles(&list, base_.c_str(), "*.dcf;%s", longPattern.c_str()));
}

// The pattern buffer is always terminated; a pattern cut by the limit is dropped rather
// than searched for as another pattern.
TEST_F(FileSearchTest, PatternListBeyondTheBufferKeepsOnlyWholePatterns) {
    std::string filler;
    for (int i = 0; i < 1298; ++i) filler += "q;";   // 2596 characters
    CFileList list;
    EXPECT_EQ(0, SearchFiles(&list, base_.c_str(), "%s*.dcf", filler.c_str()));
    EXPECT_LE(std::strlen(list.patterns), 2599u);
    EXPECT_EQ(nullptr, std::strstr(list.patterns, "*."));
    EXPECT_EQ(filler.substr(0, filler.size() - 1), list.patterns);

    // Cut exactly at a separator: the last kept pattern is whole and is searched for.
    CFileList exact;
    EXPECT_EQ(1, SearchFiles(&exact, base_.c_str(), "%sa.*;*.dcf", filler.c_str()));
    EXPECT_EQ(2599u, std::strlen(exact.patterns));
    EXPECT_EQ((std::set<std::string>{"a.txt"}), Files(exact));
}

bool IsDirectoryLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Directory links for a test, removed again at its end. Where the system makes none (Wine
// has no reparse points of its own) a Unix symbolic link stands in: Wine reports it as a
// directory with the reparse-point attribute, but can neither make nor remove one itself.
class DirectoryLinks {
public:
    ~DirectoryLinks() {
        for (const std::string& link : unixLinks_) {
            RunUnix("Z:\\bin\\rm -f \"" + ToUnix(link) + "\"");
            for (int i = 0; i < 100 && GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
        }
    }

    // False when no link can be made here.
    bool Make(const std::string& link, const std::string& target) {
        using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
        auto createLink = reinterpret_cast<CreateLink>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
        if (createLink && createLink(link.c_str(), target.c_str(), 1 /* directory */) && IsDirectoryLink(link))
            return true;
        const std::string unixLink = ToUnix(link), unixTarget = ToUnix(target);
        if (unixLink.empty() || unixTarget.empty()) return false;
        if (!RunUnix("Z:\\bin\\ln -s \"" + unixTarget + "\" \"" + unixLink + "\"")) return false;
        unixLinks_.push_back(link);
        // A Unix process started from Wine cannot be waited for: watch for the link instead.
        for (int i = 0; i < 100 && !IsDirectoryLink(link); ++i) Sleep(50);
        return IsDirectoryLink(link);
    }

private:
    static std::string ToUnix(const std::string& path) {
        using UnixName = char*(CDECL*)(LPCWSTR);
        auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        if (!unixName) return std::string();
        const std::wstring wide(path.begin(), path.end());
        char* name = unixName(wide.c_str());
        std::string result = name ? name : "";
        if (name) HeapFree(GetProcessHeap(), 0, name);
        return result;
    }
    static bool RunUnix(std::string line) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    std::vector<std::string> unixLinks_;
};

// Links are not followed: one to an ancestor would descend without end, one to a foreign
// folder would let a restore delete that folder's files.
TEST_F(FileSearchTest, DirectoryLinksAreNotFollowed) {
    ASSERT_TRUE(WriteBytes(temp_.File("foreign\\secret.dcf"), "s"));
    DirectoryLinks links;
    if (!links.Make(base_ + "\\up", base_) || !links.Make(base_ + "\\s1\\away", temp_.File("foreign")))
        GTEST_SKIP() << "no directory links can be made here";
    CFileList list;
    EXPECT_EQ(6, SearchFiles(&list, base_.c_str(), "*.*"));
    EXPECT_EQ(5, list.folders.Count());
    for (int i = 0; i < list.folders.Count(); ++i) {
        const std::string folder = Relative(list.folders[i].path);
        EXPECT_NE(0u, folder.find("up")) << folder;
        EXPECT_EQ(std::string::npos, folder.find("away")) << folder;
    }
    EXPECT_EQ(0u, Files(list).count("s1\\away\\secret.dcf"));
}

}  // namespace
