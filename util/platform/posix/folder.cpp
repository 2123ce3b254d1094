// Folders on POSIX: readdir, with a status query only where the listing leaves the type open.
#include "util/platform_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

const std::size_t Path_Limit = PATH_MAX;

namespace {

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

// Calls seen(name, type as the listing gives it, the folder's descriptor) for each entry of
// folder but "." and "..". Returns 0, or the errno of why the folder could not be listed.
template <typename Seen>
int each_entry(const std::string& folder, Seen seen) {
    std::unique_ptr<DIR, Dir_Closer> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return errno;
    for (;;) {
        errno = 0;
        const dirent* found = readdir(dir.get());
        if (!found) return errno;  // 0 at the end
        const char* name = found->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        seen(name, found->d_type, dirfd(dir.get()));
    }
}

}  // namespace

std::size_t Path_Root_Length(std::string_view path) { return path.starts_with('/') ? 1 : 0; }

int Folder_Read(const std::string& folder, Folder_Item_Kind wanted_kind, bool sizes, Dir_List& list) {
    const Kind wanted = wanted_kind == Folder_Item_Kind::File ? Kind::File : Kind::Folder;
    return each_entry(folder, [&](const char* name, unsigned char type, int dir_fd) {
        uint32_t size = 0;
        // The listing's own type settles plain files and folders without a status query,
        // except for the size of a file that is kept, when sizes are asked for.
        const bool is_folder = type == DT_DIR;
        const bool is_file = type == DT_REG;
        if ((is_folder && wanted != Kind::Folder) || (is_file && wanted != Kind::File)) return;
        const bool settled = is_folder || (is_file && !sizes);
        if (!settled && entry_kind(dir_fd, name, size) != wanted) return;
        Dir_Entry& entry = list.emplace_back();
        entry.Name = name;
        entry.Hidden = name[0] == '.';
        entry.Size = wanted == Kind::File ? size : 0;
    });
}

int Folder_Visit(const std::string& folder, const Folder_Entry_Seen& seen) {
    return each_entry(folder, [&](const char* name, unsigned char type, int dir_fd) {
        uint32_t size = 0;
        const Kind kind = type == DT_DIR ? Kind::Folder : type == DT_REG ? Kind::File : entry_kind(dir_fd, name, size);
        if (kind != Kind::Other) seen(name, kind == Kind::File ? Folder_Item_Kind::File : Folder_Item_Kind::Folder, name[0] == '.');
    });
}

int Path_Is_Folder(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return 0;
    return S_ISDIR(status.st_mode) ? 1 : 0;
}

bool Folder_Create_One(const std::string& path) {
    // An existing folder is no error; umask decides the rest.
    if (mkdir(path.c_str(), 0777) == 0) return true;
    return errno == EEXIST && Path_Is_Folder(path);
}

int Folder_Make_Private(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return errno;
    if (!S_ISDIR(status.st_mode)) return ENOTDIR;  // a link is never taken for the folder
    return status.st_uid == getuid() ? 0 : EPERM;
}

std::string Path_Resolved(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

int64_t Path_Modified(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return -1;
    return static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}
