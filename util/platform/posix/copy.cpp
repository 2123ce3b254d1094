// Copies on POSIX: copy_file_range where the kernel has it, read and write otherwise.
#include "util/platform_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Copies with read and write, from where copy_file_range stopped.
bool copy_by_hand(int from, int to, uint64_t& copied) {
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), static_cast<off_t>(copied));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done),
                                         static_cast<off_t>(copied));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                if (put == 0) errno = ENOSPC;
                return false;
            }
            done += put;
            copied += static_cast<uint64_t>(put);
        }
    }
}

bool copy_bytes(int from, int to, uint64_t& copied) {
#ifdef __linux__
    for (;;) {
        const ssize_t moved = ::copy_file_range(from, nullptr, to, nullptr, 1u << 30, 0);
        if (moved > 0) {
            copied += static_cast<uint64_t>(moved);
            continue;
        }
        if (moved == 0) return true;
        if (errno == EINTR) continue;
        // Not supported between these two files: the bytes go through this process instead.
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) break;
        return false;
    }
#endif
    return copy_by_hand(from, to, copied);
}

}  // namespace

bool File_Copy_New(const std::string& from, const std::string& to, uint64_t& copied) {
    copied = 0;
    Descriptor source, target;
    source.fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (source.fd < 0) return false;
    struct stat status {};
    if (::fstat(source.fd, &status) != 0) return false;
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : ENODEV;
        return false;
    }
    target.fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (target.fd < 0) return false;
    bool ok = copy_bytes(source.fd, target.fd, copied);
    const int fd = target.fd;
    target.fd = -1;
    // A full disk may show only when the last blocks are written out.
    if (::close(fd) != 0) ok = false;
    if (!ok) {
        const int error = errno;
        ::unlink(to.c_str());
        errno = error;
    }
    return ok;
}

bool File_Remove_Made(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool Folder_Create_New(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool Folder_Remove_Empty(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

