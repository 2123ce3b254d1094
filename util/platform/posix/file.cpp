// Files on POSIX: descriptors, pread, rename.
#include "util/platform_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

int descriptor(Platform_File file) { return static_cast<int>(file); }

int open_flags(unsigned flags) {
    return O_RDONLY | O_CLOEXEC | ((flags & Open_Never_Block) ? O_NONBLOCK : 0);
}

// Applies Open_Plain_Only to a file just opened; closes it when it is refused. Opened without
// blocking, nothing blocks its reads either, so Open_Plain_Before_Reading asks nothing here.
Platform_File checked(int fd, unsigned flags) {
    if (fd < 0 || !(flags & Open_Plain_Only)) return fd;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) return fd;
    const int error = S_ISDIR(status.st_mode) ? EISDIR : ENODEV;
    ::close(fd);
    errno = error;
    return No_Platform_File;
}

}  // namespace

Platform_File File_Open_Read(const std::string& path, unsigned flags) {
    return checked(::open(path.c_str(), open_flags(flags)), flags);
}

Platform_File Folder_Open(const std::string& path) {
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? No_Platform_File : fd;
}

Platform_File File_Open_Read_In(Platform_File folder, const char* name, const std::string& path, unsigned flags) {
    if (folder == No_Platform_File) return File_Open_Read(path, flags);
    return checked(::openat(descriptor(folder), name, open_flags(flags)), flags);
}

long File_Read_At(Platform_File file, void* destination, std::size_t count, uint64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(descriptor(file), destination, count, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR) return static_cast<long>(got);
    }
}

bool File_Get_Status(Platform_File file, File_Status& status) {
    struct stat system_status {};
    if (::fstat(descriptor(file), &system_status) != 0) return false;
    status.size = system_status.st_size > 0 ? static_cast<uint64_t>(system_status.st_size) : 0;
    status.plain = S_ISREG(system_status.st_mode);
    status.folder = S_ISDIR(system_status.st_mode);
    status.modified = static_cast<int64_t>(system_status.st_mtime);
    return true;
}

void File_Close(Platform_File file) {
    if (file != No_Platform_File) ::close(descriptor(file));
}

namespace {

// The folder names are relative to: the handle, or the working folder for a path.
int folder_of(const Held_Folder& folder) {
    return folder.handle != No_Platform_File ? descriptor(folder.handle) : AT_FDCWD;
}
// The name as the call takes it: alone beside the handle, else with the folder's path.
std::string name_in(const Held_Folder& folder, const std::string& name) {
    return folder.handle != No_Platform_File ? name : folder.path + name;
}

Platform_File open_write(int folder, const std::string& name, File_Create how) {
    const int create = how == File_Create::Exclusive ? O_CREAT | O_EXCL : O_CREAT | O_TRUNC;
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | create | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return No_Platform_File;
    if (how != File_Create::Exclusive) return fd;
    // The mark of a file in use: a lock the system drops when the program ends, however it ends.
    // Another run clearing leftovers may have taken the new file for one before the lock: it
    // removes it under its own lock, which this waits for. The name is then reported as taken,
    // so that the caller tries another.
    struct stat status {};
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (::fstat(fd, &status) == 0 && status.st_nlink == 0) {
        ::close(fd);
        errno = EEXIST;
        return No_Platform_File;
    }
    return fd;
}

}  // namespace

Platform_File File_Open_Write(const std::string& path, File_Create how) { return open_write(AT_FDCWD, path, how); }

Platform_File File_Open_Write_In(const Held_Folder& folder, const std::string& name, File_Create how) {
    return open_write(folder_of(folder), name_in(folder, name), how);
}

bool File_Remove_Unused_In(const Held_Folder& folder, Platform_File file, const std::string& name) {
    struct stat open_status {}, named {};
    if (::fstat(descriptor(file), &open_status) != 0 || !S_ISREG(open_status.st_mode) || open_status.st_nlink != 1)
        return false;
    if (::flock(descriptor(file), LOCK_EX | LOCK_NB) != 0) return false;  // a running program's
    // Still the file opened, not one made under the name since.
    const int at = folder_of(folder);
    const std::string local = name_in(folder, name);
    const bool same = ::fstatat(at, local.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                      named.st_dev == open_status.st_dev && named.st_ino == open_status.st_ino;
    const bool removed = same && ::unlinkat(at, local.c_str(), 0) == 0;
    ::flock(descriptor(file), LOCK_UN);
    return removed;
}

bool File_Replace_In(const Held_Folder& folder, const std::string& from, const std::string& to) {
    const int at = folder_of(folder);
    const std::string target = name_in(folder, to);
    // A file the user may not change stays, as Windows keeps a read-only one.
    struct stat old {};
    if (::fstatat(at, target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode) &&
        (old.st_uid != ::geteuid() || !(old.st_mode & S_IWUSR))) {
        errno = EACCES;
        return false;
    }
    if (::renameat(at, name_in(folder, from).c_str(), at, target.c_str()) != 0) return false;
    // The new name is on the disk once its folder is.
    if (folder.handle != No_Platform_File) {
        ::fsync(descriptor(folder.handle));
    } else if (const int opened = ::open(folder.path.empty() ? "." : folder.path.c_str(),
                                         O_RDONLY | O_DIRECTORY | O_CLOEXEC);
               opened >= 0) {
        ::fsync(opened);
        ::close(opened);
    }
    return true;
}

bool File_Remove_In(const Held_Folder& folder, const std::string& name) {
    return ::unlinkat(folder_of(folder), name_in(folder, name).c_str(), 0) == 0;
}

bool File_Write_All(Platform_File file, const void* bytes, std::size_t count) {
    const auto* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t put = ::write(descriptor(file), next, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        next += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

bool File_Sync(Platform_File file) { return ::fsync(descriptor(file)) == 0; }

std::FILE* File_Stream_Open(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::FILE* File_Stream_Append(const std::string& path) {
    // Never blocking: a named pipe without a reader fails at once.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        errno = ENODEV;
        return nullptr;
    }
    return File_Stream_Adopt(fd, "a");
}

std::FILE* File_Stream_Adopt(Platform_File file, const char* mode) {
    std::FILE* stream = ::fdopen(descriptor(file), mode);
    if (!stream) {
        const int error = errno;
        ::close(descriptor(file));
        errno = error;
    }
    return stream;
}

Platform_File File_Stream_Handle(std::FILE* stream) { return ::fileno(stream); }
