// System error texts: Windows-numbered codes named and described with the C library's texts.
#include "util/system_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "util/system_error_names.h"

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

uint16_t code_of_errno(int error) {
    for (const Errno_Code& row : errno_codes)
        if (row.error == error) return row.code;
    return 0xFFFF;  // no name
}

int errno_of_code(uint16_t code) {
    for (const Errno_Code& row : errno_codes)
        if (row.code == code) return row.error;
    return 0;
}

const char* facility_text(uint32_t facility) {
    switch (facility) {
        case 1: return "(facility=RPC) ";
        case 2: return "(facility=Dispatch) ";
        case 3: return "(facility=Storage) ";
        case 4: return "(facility=ITF) ";
        case 7: return "(facility=Win32) ";
        case 8: return "(facility=Windows) ";
        case 9: return "(facility=SSPI) ";
        case 10: return "(facility=Control) ";
        case 11: return "(facility=CERT) ";
        case 12: return "(facility=Internet) ";
        default: return "";
    }
}

thread_local char result[1024];
thread_local char library_text[256];

}  // namespace

const char* System_Error_Str(uint32_t code) {
    int error = 0;
    uint16_t low = static_cast<uint16_t>(code & 0xFFFF);
    if (code == 0) {
        error = errno;
        low = code_of_errno(error);
    } else {
        error = errno_of_code(low);
    }
    std::string text = facility_text((code >> 16) & 0x0FFF);
    if (const char* name = System_Error_Name(low)) text += name;
    text += ' ';
    if (error != 0) text += Error_Str(error);
    std::snprintf(result, sizeof result, "%s", text.c_str());
    return result;
}

const char* Error_Str(int number) {
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = strerror_r(number, library_text, sizeof library_text);
    if (text != library_text) std::snprintf(library_text, sizeof library_text, "%s", text);
    return library_text;
}
