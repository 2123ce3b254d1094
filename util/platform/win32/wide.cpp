// UTF-8 to UTF-16 and back, long paths and Win32 errors as errno values.
#include "util/platform/win32/wide.h"

#include <windows.h>

#include <cerrno>

std::wstring Utf8_To_Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string Wide_To_Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::string narrow(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), static_cast<int>(narrow.size()), nullptr,
                        nullptr);
    return narrow;
}

std::wstring Wide_Path(std::string_view path) {
    // Below this length every call takes the path as it is (folder creation allows 248 characters
    // and a search appends "\*").
    constexpr std::size_t Short_Path = 240;
    std::wstring wide = Utf8_To_Wide(path);
    if (wide.size() < Short_Path || wide.starts_with(L"\\\\?\\")) return wide;
    // The prefix takes absolute paths with "\" only and no "." or "..": the full path gives that.
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return wide;
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), length, full.data(), nullptr));
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\...
    return L"\\\\?\\" + full;
}

int Errno_From_Last_Error() {
    struct Mapping {
        DWORD code;
        int error;
    };
    static constexpr Mapping mappings[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT},      {ERROR_PATH_NOT_FOUND, ENOENT},     {ERROR_INVALID_DRIVE, ENOENT},
        {ERROR_BAD_NETPATH, ENOENT},         {ERROR_BAD_NET_NAME, ENOENT},       {ERROR_INVALID_NAME, ENOENT},
        {ERROR_BAD_PATHNAME, ENOENT},        {ERROR_NO_MORE_FILES, ENOENT},      {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
        {ERROR_ACCESS_DENIED, EACCES},       {ERROR_SHARING_VIOLATION, EACCES},  {ERROR_LOCK_VIOLATION, EACCES},
        {ERROR_NETWORK_ACCESS_DENIED, EACCES}, {ERROR_WRITE_PROTECT, EACCES},    {ERROR_CURRENT_DIRECTORY, EACCES},
        {ERROR_INVALID_HANDLE, EBADF},       {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},  {ERROR_OUTOFMEMORY, ENOMEM},
        {ERROR_NOT_SAME_DEVICE, EXDEV},      {ERROR_FILE_EXISTS, EEXIST},        {ERROR_ALREADY_EXISTS, EEXIST},
        {ERROR_DISK_FULL, ENOSPC},           {ERROR_HANDLE_DISK_FULL, ENOSPC},   {ERROR_BROKEN_PIPE, EPIPE},
        {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},    {ERROR_BUSY, EBUSY},                {ERROR_DIRECTORY, ENOTDIR},
        {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG}, {ERROR_NOT_SUPPORTED, ENOSYS}, {ERROR_CALL_NOT_IMPLEMENTED, ENOSYS},
        {ERROR_CRC, EIO},                    {ERROR_READ_FAULT, EIO},            {ERROR_WRITE_FAULT, EIO},
        {ERROR_GEN_FAILURE, EIO},            {ERROR_SEEK, EIO},                  {ERROR_NOT_READY, EIO},
    };
    const DWORD code = GetLastError();
    int error = EINVAL;
    for (const Mapping& mapping : mappings) {
        if (mapping.code != code) continue;
        error = mapping.error;
        break;
    }
    errno = error;
    return error;
}
