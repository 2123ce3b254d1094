// Files on Windows: wide handles, positioned reads, replacement by MoveFileExW.
#include "util/platform_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "util/platform/win32/wide.h"

namespace {

HANDLE handle_of(Platform_File file) { return reinterpret_cast<HANDLE>(file); }
Platform_File file_of(HANDLE handle) { return reinterpret_cast<Platform_File>(handle); }

Platform_File failed() {
    Errno_From_Last_Error();
    return No_Platform_File;
}

// Others may read, write, rename or delete a file the walk reads, as on POSIX.
constexpr DWORD Share_All = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

Platform_File File_Open_Read(const std::string& path, unsigned flags) {
    const HANDLE handle = CreateFileW(Wide_Path(path).c_str(), GENERIC_READ, Share_All, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failed();
    // A folder does not open without backup semantics; what else opens is a disk file unless it
    // is a pipe or a device. Neither blocks on opening, so Open_Never_Block needs nothing.
    if ((flags & Open_Plain_Only) && GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        errno = ENODEV;
        return No_Platform_File;
    }
    return file_of(handle);
}

// Files open by path: a relative open would need the native interface underneath Win32.
Platform_File Folder_Open(const std::string&) { return No_Platform_File; }

Platform_File File_Open_Read_In(Platform_File, const char*, const std::string& path, unsigned flags) {
    return File_Open_Read(path, flags);
}

long File_Read_At(Platform_File file, void* destination, std::size_t count, uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD want = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
    DWORD got = 0;
    if (ReadFile(handle_of(file), destination, want, &got, &at)) return static_cast<long>(got);
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    Errno_From_Last_Error();
    return -1;
}

bool File_Get_Status(Platform_File file, File_Status& status) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle_of(file), &information)) {
        Errno_From_Last_Error();
        return false;
    }
    status.size = (uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
    status.folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.plain = !status.folder && GetFileType(handle_of(file)) == FILE_TYPE_DISK;
    return true;
}

void File_Close(Platform_File file) {
    if (file != No_Platform_File) CloseHandle(handle_of(file));
}

Platform_File File_Open_Write(const std::string& path, File_Create how) {
    const DWORD disposition = how == File_Create::Exclusive ? CREATE_NEW : CREATE_ALWAYS;
    // A final symbolic link is opened as itself, not followed.
    const HANDLE handle = CreateFileW(Wide_Path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return handle == INVALID_HANDLE_VALUE ? failed() : file_of(handle);
}

bool File_Write_All(Platform_File file, const void* bytes, std::size_t count) {
    const auto* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const DWORD want = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
        DWORD put = 0;
        if (!WriteFile(handle_of(file), next, want, &put, nullptr) || put == 0) {
            Errno_From_Last_Error();
            return false;
        }
        next += put;
        count -= put;
    }
    return true;
}

bool File_Sync(Platform_File file) {
    if (FlushFileBuffers(handle_of(file))) return true;
    Errno_From_Last_Error();
    return false;
}

bool File_Replace(const std::string& from, const std::string& to) {
    // Fails, leaving to as it was, when to is read-only or open in a program that does not share
    // deletion.
    if (MoveFileExW(Wide_Path(from).c_str(), Wide_Path(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    Errno_From_Last_Error();
    return false;
}

bool File_Remove(const std::string& path) {
    if (DeleteFileW(Wide_Path(path).c_str())) return true;
    Errno_From_Last_Error();
    return false;
}

std::FILE* File_Stream_Open(const std::string& path, const char* mode) {
    return _wfopen(Wide_Path(path).c_str(), Utf8_To_Wide(mode).c_str());
}

std::FILE* File_Stream_Adopt(Platform_File file, const char* mode) {
    const int flags = _O_BINARY | (mode[0] == 'r' ? _O_RDONLY : 0) | (mode[0] == 'a' ? _O_APPEND : 0);
    const int descriptor = _open_osfhandle(file, flags);
    if (descriptor < 0) {
        File_Close(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, mode);
    if (!stream) _close(descriptor);
    return stream;
}

Platform_File File_Stream_Handle(std::FILE* stream) { return _get_osfhandle(_fileno(stream)); }
