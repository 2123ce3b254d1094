// Folder services: file and folder lists, existence tests, folder creation, path splitting.
//
// Lists come in name order (ASCII letters compared upper-cased, then byte order), so that the
// records of a DICOMDIR follow the same order on every platform. "Hidden" follows the system's
// rule: a name that starts with "." on POSIX ("." and ".." themselves excepted), the hidden or
// system attribute on Windows. Symbolic links to folders are never listed; links to plain files
// are listed as files. Paths join with the system's separator ("/", or "\" on Windows).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Dir_Entry {
    uint8_t Hidden = 0;
    std::string Name;     // the entry's own name
    std::string File;     // folder, "/" unless the folder ends with one, then Name
    uint32_t Size = 0;    // low 32 bits of the file size
};
using Dir_List = std::vector<Dir_Entry>;

// Plain files of folder matching pattern ("*" and "?", letters in any case; "*.*" matches
// every name). nullopt when the folder cannot be listed or the search path is too long (errno
// says why); an empty list when the folder holds no plain file. Without sizes, Size stays 0
// and files the listing already types as plain cost no status query.
std::optional<Dir_List> Directory_Get_Files(const std::string& folder, const std::string& pattern = "*.*",
                                            bool sizes = true);

// One listing of folder for a count: its sub-folders as Directory_Get_Dirs gives them, but
// unsorted and without "." and "..", and how many of the files Directory_Get_Files lists are
// not hidden. false (errno set) when the folder cannot be listed or the search path is too long.
bool Directory_Tally(const std::string& folder, Dir_List& folders, std::size_t& files);

// Sub-folders of folder, "." and ".." first (callers skip them). nullopt on failure (errno set).
std::optional<Dir_List> Directory_Get_Dirs(const std::string& folder);

// Name order of the lists.
bool Directory_Name_Less(const std::string& a, const std::string& b);

int Directory_Exist(const std::string& path);  // 1 when path names an existing folder

// A folder held open while its files are opened by name in it (the system then does not look
// up the folders of their paths again). handle() is -1 when the folder could not be opened, or
// where the system opens files by path only: the files are then opened by path.
class Directory_Handle {
public:
    explicit Directory_Handle(const std::string& folder);
    ~Directory_Handle();
    Directory_Handle(const Directory_Handle&) = delete;
    Directory_Handle& operator=(const Directory_Handle&) = delete;
    int handle() const { return handle_; }

private:
    int handle_ = -1;
};
int File_Exist(const std::string& path);       // 1 when path is a plain file that can be opened for reading
// Joins the three pieces without separators and tests the result as File_Exist.
int File_Exist_Parts(const char* folder, const char* name, const char* extension);
// Creates path and every missing folder above it; 1 when the folder exists afterwards.
int Directory_Create(const std::string& path);

// Splits a path into folder (with its trailing separator), base name and extension (with its dot).
// A trailing ";1" is ignored; an extension longer than 5 characters (dot included) or whose
// first character is a digit stays in the base name. "/" and "\" both separate components; on
// Windows the folder comes with its drive letter in upper case and "\" as its separator.
struct File_Name_Parts {
    std::string folder;
    std::string name;
    std::string extension;
};
File_Name_Parts File_Name_Split(const std::string& path);
// Pointer form: each output may be nullptr.
void File_Name_Split(const char* path, std::string* folder, std::string* name, std::string* extension);
