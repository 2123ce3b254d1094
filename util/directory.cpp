// Folder lists on POSIX, in name order, and the folder and file existence tests.
#include "util/directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "util/log.h"

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

bool pattern_match(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;  // the search's "every name"
    return wildcard_match(pattern.c_str(), name.c_str());
}

std::string join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The search path must fit the platform's path limit.
bool search_path_fits(const std::string& folder, const std::string& pattern, int line) {
    std::size_t length = join(folder, pattern).size();
    if (length < PATH_MAX) return true;
    Log_Message(nullptr, LOG_TRACE_1, "Path too long (%d char > Window's MAX_PATH=%d)",
                static_cast<int>(length), PATH_MAX);
    Log_Message(nullptr, LOG_TRACE_1, "File:%s, Line:%d", __FILE__, line);
    return false;
}

struct Dir_Closer {
    void operator()(DIR* dir) const { closedir(dir); }
};

enum class Kind { File, Folder, Other };

// What an entry is, links followed only when they lead to plain files.
Kind entry_kind(int dir_fd, const char* name, uint32_t& size) {
    struct stat status {};
    if (fstatat(dir_fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return Kind::Other;
    if (S_ISLNK(status.st_mode)) {
        if (fstatat(dir_fd, name, &status, 0) != 0 || !S_ISREG(status.st_mode)) return Kind::Other;
    }
    size = static_cast<uint32_t>(status.st_size);
    if (S_ISREG(status.st_mode)) return Kind::File;
    if (S_ISDIR(status.st_mode)) return Kind::Folder;
    return Kind::Other;  // devices, pipes and sockets are not files a walk may open
}

std::optional<Dir_List> list_folder(const std::string& folder, const std::string& pattern, Kind wanted,
                                    bool sizes) {
    std::unique_ptr<DIR, Dir_Closer> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return std::nullopt;
    Dir_List list;
    while (const dirent* found = readdir(dir.get())) {
        std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        uint32_t size = 0;
        // The listing's own type settles plain files and folders without a status query,
        // except for the size of a file that is kept, when sizes are asked for.
        const bool is_folder = found->d_type == DT_DIR;
        const bool is_file = found->d_type == DT_REG;
        if ((is_folder && wanted != Kind::Folder) || (is_file && wanted != Kind::File)) continue;
        const bool settled = is_folder || (is_file && !sizes);
        if (!settled && entry_kind(dirfd(dir.get()), found->d_name, size) != wanted) continue;
        if (!pattern_match(pattern, name)) continue;
        Dir_Entry entry;
        entry.Hidden = name[0] == '.';
        entry.File = join(folder, name);
        entry.Name = std::move(name);
        entry.Size = wanted == Kind::File ? size : 0;
        list.push_back(std::move(entry));
    }
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
    return list_folder(folder, pattern, Kind::File, sizes);
}

std::optional<Dir_List> Directory_Get_Dirs(const std::string& folder) {
    if (!search_path_fits(folder, "*.*", __LINE__)) return std::nullopt;
    std::optional<Dir_List> folders = list_folder(folder, "*.*", Kind::Folder, false);
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
    if (joined.size() > 1 && joined.back() == '/') joined.pop_back();
    if (joined.empty()) return 0;
    struct stat status {};
    if (stat(joined.c_str(), &status) != 0) return 0;
    return S_ISDIR(status.st_mode) ? 1 : 0;
}

int File_Exist(const std::string& path) {
    // Non-blocking, so that a named pipe cannot hold the caller.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat status {};
    bool plain = fstat(fd, &status) == 0 && !S_ISDIR(status.st_mode);
    close(fd);
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
    if (folder.empty() || folder.back() != '/') folder += '/';
    if (Directory_Exist(folder)) return 1;

    std::string pieces = File_Name_Split(folder).folder;
    std::string built = pieces.starts_with('/') ? "/" : "";
    std::size_t start = built.size();
    while (start < pieces.size()) {
        std::size_t end = pieces.find('/', start);
        if (end == std::string::npos) end = pieces.size();
        if (end > start) {
            built += pieces.substr(start, end - start) + "/";
            mkdir(built.c_str(), 0777);  // an existing folder is no error; umask decides the rest
        }
        start = end + 1;
    }
    return Directory_Exist(folder);
}

Directory_Handle::Directory_Handle(const std::string& folder)
    : handle_(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

Directory_Handle::~Directory_Handle() {
    if (handle_ >= 0) ::close(handle_);
}
