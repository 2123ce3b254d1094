// Copies on Windows: CopyFileExW, which lets the system (or the server of a share) move the bytes.
#include "util/platform_copy.h"

#include <windows.h>

#include <cerrno>
#include <vector>

#include "util/platform/win32/wide.h"

namespace {

bool failed() {
    Errno_From_Last_Error();
    return false;
}

}  // namespace

bool File_Copy_New(const std::string& from, const std::string& to, uint64_t& copied) {
    copied = 0;
    const std::wstring source = Wide_Path(from), target = Wide_Path(to);
    const DWORD attributes = GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return failed();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        errno = EISDIR;
        return false;
    }
    BOOL cancel = FALSE;
    if (!CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, &cancel, COPY_FILE_FAIL_IF_EXISTS)) {
        const DWORD error = GetLastError();
        // A partial copy is removed; a name that was taken before is not ours to remove.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) DeleteFileW(target.c_str());
        SetLastError(error);
        return failed();
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        DeleteFileW(target.c_str());
        SetLastError(error);
        return failed();
    }
    copied = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    // The copy keeps the source's attributes: a read-only source would give a copy that a later
    // clean-up cannot remove.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(target.c_str(), data.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    return true;
}

bool File_Remove_Made(const std::string& path) { return DeleteFileW(Wide_Path(path).c_str()) ? true : failed(); }

bool Folder_Create_New(const std::string& path) {
    return CreateDirectoryW(Wide_Path(path).c_str(), nullptr) ? true : failed();
}

bool Folder_Remove_Empty(const std::string& path) {
    return RemoveDirectoryW(Wide_Path(path).c_str()) ? true : failed();
}

