// Folder lists in name order, and the folder and file existence tests.
#include "util/directory.h"

#include <algorithm>
#include <cerrno>

#include "util/log.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// "*" any run, "?" any one character, letters in any case.
bool wildcard_match(const char* pattern, const char* name) {
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') {
        for (const char* rest = name;; ++rest) {
            if (wildcard_match(pattern + 1, rest)) return true;
            if (*rest == '\0') return false;
        }
    }
    if (*name == '\0') return false;
    if (*pattern != '?' && upper(*pattern) != upper(*name)) return false;
    return wildcard_match(pattern + 1, name + 1);
}

bool every_name(const std::string& pattern) { return pattern == "*.*" || pattern == "*"; }

std::string join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && Path_Is_Separator(folder.back())) return folder + name;
    return folder + Path_Separator + name;
}

// The search path must fit the platform's path limit.
bool search_path_fits(const std::string& folder, const std::string& pattern, int line) {
    std::size_t length = join(folder, pattern).size();
    if (length < Path_Limit) return true;
    Log_Message(nullptr, LOG_TRACE_1, "Path too long (%d char > Window's MAX_PATH=%d)",
                static_cast<int>(length), static_cast<int>(Path_Limit));
    Log_Message(nullptr, LOG_TRACE_1, "File:%s, Line:%d", __FILE__, line);
    errno = ENAMETOOLONG;
    return false;
}

std::optional<Dir_List> list_folder(const std::string& folder, const std::string& pattern, Folder_Item_Kind wanted,
                                    bool sizes) {
    Dir_List list;
    if (const int error = Folder_Read(folder, wanted, sizes, list); error != 0) {
        errno = error;
        return std::nullopt;
    }
    if (!every_name(pattern)) {
        std::erase_if(list, [&pattern](const Dir_Entry& e) { return !wildcard_match(pattern.c_str(), e.Name.c_str()); });
    }
    for (Dir_Entry& entry : list) entry.File = join(folder, entry.Name);
    std::sort(list.begin(), list.end(),
              [](const Dir_Entry& a, const Dir_Entry& b) { return Directory_Name_Less(a.Name, b.Name); });
    return list;
}

}  // namespace

bool Directory_Name_Less(const std::string& a, const std::string& b) {
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (upper(a[i]) != upper(b[i]))
            return static_cast<unsigned char>(upper(a[i])) < static_cast<unsigned char>(upper(b[i]));
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::optional<Dir_List> Directory_Get_Files(const std::string& folder, const std::string& pattern, bool sizes) {
    if (!search_path_fits(folder, pattern, __LINE__)) return std::nullopt;
    return list_folder(folder, pattern, Folder_Item_Kind::File, sizes);
}

bool Directory_Tally(const std::string& folder, Dir_List& folders, std::size_t& files) {
    if (!search_path_fits(folder, "*.*", __LINE__)) return false;
    const int error = Folder_Visit(folder, [&](std::string_view name, Folder_Item_Kind kind, bool hidden) {
        if (kind == Folder_Item_Kind::File) {
            files += hidden ? 0 : 1;
            return;
        }
        Dir_Entry& entry = folders.emplace_back();
        entry.Name = name;
        entry.Hidden = hidden;
        entry.File = join(folder, entry.Name);
    });
    if (error != 0) errno = error;
    return error == 0;
}

std::optional<Dir_List> Directory_Get_Dirs(const std::string& folder) {
    if (!search_path_fits(folder, "*.*", __LINE__)) return std::nullopt;
    std::optional<Dir_List> folders = list_folder(folder, "*.*", Folder_Item_Kind::Folder, false);
    if (!folders) return std::nullopt;
    Dir_List list;
    list.reserve(folders->size() + 2);
    for (const char* self : {".", ".."}) {
        Dir_Entry entry;
        entry.Name = self;
        entry.File = join(folder, self);
        list.push_back(std::move(entry));
    }
    std::move(folders->begin(), folders->end(), std::back_inserter(list));
    return list;
}

int Directory_Exist(const std::string& path) {
    File_Name_Parts parts = File_Name_Split(path);
    std::string joined = parts.folder + parts.name + parts.extension;
    if (joined.size() > Path_Root_Length(joined) && Path_Is_Separator(joined.back())) joined.pop_back();
    if (joined.empty()) return 0;
    return Path_Is_Folder(joined);
}

int File_Exist(const std::string& path) {
    // Never blocking, so that a named pipe cannot hold the caller.
    const Platform_File file = File_Open_Read(path, Open_Never_Block);
    if (file == No_Platform_File) return 0;
    File_Status status;
    const bool plain = File_Get_Status(file, status) && !status.folder;
    File_Close(file);
    return plain ? 1 : 0;
}

int File_Exist_Parts(const char* folder, const char* name, const char* extension) {
    std::string joined = std::string(folder ? folder : "") + (name ? name : "") + (extension ? extension : "");
    if (joined.size() > 2047) {
        Log_Message(nullptr, LOG_TRACE_1, "Path too long (%d char > max=%d)", static_cast<int>(joined.size()), 2048);
        Log_Message(nullptr, LOG_TRACE_1, "File:%s, Line:%d", __FILE__, __LINE__);
        return 0;
    }
    return File_Exist(joined);
}

int Directory_Create(const std::string& path) {
    std::string folder = path;
    if (folder.empty() || !Path_Is_Separator(folder.back())) folder += Path_Separator;
    if (Directory_Exist(folder)) return 1;

    // The root ("/", a drive, a network share) is never created; every folder below it in turn.
    const std::string pieces = File_Name_Split(folder).folder;
    std::size_t start = Path_Root_Length(pieces);
    std::string built = pieces.substr(0, start);
    while (start < pieces.size()) {
        std::size_t end = start;
        while (end < pieces.size() && !Path_Is_Separator(pieces[end])) ++end;
        if (end > start) {
            built.append(pieces, start, end - start);
            Folder_Create_One(built);
            built += Path_Separator;
        }
        start = end + 1;
    }
    return Directory_Exist(folder);
}

Directory_Handle::Directory_Handle(const std::string& folder) : handle_(static_cast<int>(Folder_Open(folder))) {}

Directory_Handle::~Directory_Handle() {
    if (handle_ >= 0) File_Close(handle_);
}
