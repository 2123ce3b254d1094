// Folders and paths as the system gives them (part of the platform layer, see platform_file.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "util/directory.h"

#ifdef _WIN32
inline constexpr char Path_Separator = '\\';
inline constexpr bool Path_Has_Drives = true;
#else
inline constexpr char Path_Separator = '/';
inline constexpr bool Path_Has_Drives = false;
#endif

// Longest path the system opens. On Windows the platform layer passes long paths on with the
// "\\?\" prefix, so MAX_PATH (260) does not bound them.
extern const std::size_t Path_Limit;

// Whether c separates folders: "/" everywhere, "\" too on Windows.
constexpr bool Path_Is_Separator(char c) { return c == '/' || (Path_Has_Drives && c == '\\'); }

// folder with the system's separator appended unless it ends with one already.
inline std::string Path_With_Separator(std::string folder) {
    if (folder.empty() || !Path_Is_Separator(folder.back())) folder += Path_Separator;
    return folder;
}

// Length of the part of path that names its root and is never created or split: "/" on POSIX;
// "D:\", "D:" or "\\server\share\" on Windows (0 for a relative path).
std::size_t Path_Root_Length(std::string_view path);

enum class Folder_Item_Kind { File, Folder };

// Appends the entries of folder of the kind wanted to list, in the order the system gives them,
// without "." and "..": Name, Hidden by the system's rule (a leading dot on POSIX; the hidden
// or system attribute on Windows) and, for files when sizes is set, Size (else 0). Plain files
// and links to plain files count as files; links to folders, devices and pipes are left out.
// File stays empty. Returns 0, or the errno of why the folder could not be listed.
int Folder_Read(const std::string& folder, Folder_Item_Kind wanted, bool sizes, Dir_List& list);

// Calls seen once for each entry of folder, in the order the system gives them, without "."
// and "..": as Folder_Read would list it (plain files and links to them as files; folders, not
// links to them), with hidden by the system's rule; other entries are left out. Nothing else is
// asked of the system: for a count, which needs no names kept and no sizes. Returns 0, or the
// errno of why the folder could not be listed.
using Folder_Entry_Seen = std::function<void(std::string_view name, Folder_Item_Kind kind, bool hidden)>;
int Folder_Visit(const std::string& folder, const Folder_Entry_Seen& seen);

// 1 when path names an existing folder (a drive alone on Windows: without asking the system).
int Path_Is_Folder(const std::string& path);
// Creates the one folder path (its parent must exist); true when it exists afterwards.
bool Folder_Create_One(const std::string& path);
// Makes path (its parent must exist) a folder of this user's alone, created rwx------ when
// missing. 0 when it is such a folder afterwards; EPERM when it exists and belongs to someone
// else, ENOTDIR when it is a link or no folder, else the errno of the failed creation.
int Folder_Make_Private(const std::string& path);

// path with every link followed and "." and ".." resolved, as the system finally opens it; empty
// (errno set) when it does not exist. For telling whether a name stays inside a folder.
std::string Path_Resolved(const std::string& path);
// When path (a link itself not followed) was last modified, in nanoseconds since 1970; -1 when
// it cannot be asked.
int64_t Path_Modified(const std::string& path);
