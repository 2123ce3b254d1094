// Error numbers on POSIX: errno values named after their Windows equivalents, texts from the
// C library.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "util/platform_system.h"

namespace {

// errno values and the Windows codes that mean the same; the first row of a code describes it.
struct Errno_Code {
    int error;
    uint16_t code;
};
constexpr Errno_Code errno_codes[] = {
    {ENOENT, 2},         {ENOTDIR, 3},      {EMFILE, 4},      {ENFILE, 4},        {EACCES, 5},
    {EPERM, 5},          {EISDIR, 5},       {EBADF, 6},       {ENOMEM, 8},        {ENOEXEC, 11},
    {ENODEV, 15},        {EXDEV, 17},       {EROFS, 19},      {ESPIPE, 25},       {EIO, 31},
    {ETXTBSY, 32},       {EOPNOTSUPP, 50},  {EEXIST, 183},    {EINVAL, 87},       {EPIPE, 109},
    {ENOSPC, 112},       {ENOSYS, 120},     {ENOTEMPTY, 145}, {EBUSY, 170},       {ENAMETOOLONG, 206},
    {EAGAIN, 170},       {EINTR, 995},      {EFAULT, 998},    {ETIMEDOUT, 1460},
};

}  // namespace

System_Error System_Error_Describe(uint32_t code) {
    System_Error described{code, {}};
    int error = 0;
    if (code == 0) {
        error = errno;
        described.code = 0xFFFF;  // no name unless the table has one
        for (const Errno_Code& row : errno_codes) {
            if (row.error != error) continue;
            described.code = row.code;
            break;
        }
    } else {
        for (const Errno_Code& row : errno_codes) {
            if (row.code != (code & 0xFFFF)) continue;
            error = row.error;
            break;
        }
    }
    if (error != 0) {
        char text[256];
        C_Error_Text(error, text, sizeof text);
        described.text = text;
    }
    return described;
}

void C_Error_Text(int number, char* buffer, std::size_t size) {
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = strerror_r(number, buffer, size);
    if (text != buffer) std::snprintf(buffer, size, "%s", text);
}
