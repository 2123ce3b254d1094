// Files on Windows: wide handles, positioned reads, replacement by MoveFileExW.
#include "util/platform_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "util/platform/win32/wide.h"
#include "util/platform_folder.h"

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

// Whether folder's path names the folder held still: files are named by path here, and a folder
// renamed and replaced meanwhile is another folder. errno ENOENT when it is not.
static bool still_held(const Held_Folder& folder) {
    if (folder.handle == No_Platform_File) return true;
    std::string path = folder.path.empty() ? "." : folder.path;
    if (path.size() > Path_Root_Length(path) && Path_Is_Separator(path.back())) path.pop_back();
    const HANDLE named = CreateFileW(Wide_Path(path).c_str(), FILE_READ_ATTRIBUTES, Share_All, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION held{}, now{};
    const bool same = named != INVALID_HANDLE_VALUE && GetFileInformationByHandle(named, &now) &&
                      GetFileInformationByHandle(handle_of(folder.handle), &held) &&
                      now.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
                      now.nFileIndexHigh == held.nFileIndexHigh && now.nFileIndexLow == held.nFileIndexLow;
    if (named != INVALID_HANDLE_VALUE) CloseHandle(named);
    if (!same) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        errno = ENOENT;
    }
    return same;
}

Platform_File File_Open_Read(const std::string& path, unsigned flags) {
    const HANDLE handle = CreateFileW(Wide_Path(path).c_str(), GENERIC_READ, Share_All, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failed();
    // A folder does not open without backup semantics; what else opens is a disk file unless it
    // is a pipe or a device. Neither blocks on opening, so Open_Never_Block needs nothing; but
    // reading a device such as a console can, so its kind is asked before any read.
    if ((flags & (Open_Plain_Only | Open_Plain_Before_Reading)) && GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        errno = ENODEV;
        return No_Platform_File;
    }
    return file_of(handle);
}

// Open for listing, which tells whether the folder can be listed; its files still open by path
// (Win32 has no opening relative to a folder).
Platform_File Folder_Open(const std::string& path) {
    const HANDLE handle = CreateFileW(Wide_Path(path.empty() ? "." : path).c_str(), FILE_LIST_DIRECTORY, Share_All,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return failed();
    FILE_STANDARD_INFO information{};
    if (GetFileInformationByHandleEx(handle, FileStandardInfo, &information, sizeof information) &&
        information.Directory)
        return file_of(handle);
    CloseHandle(handle);
    errno = ENOTDIR;
    return No_Platform_File;
}

Platform_File File_Open_Read_In(Platform_File, const char*, const std::string& path, unsigned flags) {
    return File_Open_Read(path, flags);
}

long File_Read_At(Platform_File file, void* destination, std::size_t count, uint64_t offset) {
    // Positioned through the file pointer rather than an OVERLAPPED: a read given an OVERLAPPED
    // also reports its completion, a further call into the system per read.
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    const DWORD want = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
    DWORD got = 0;
    if (SetFilePointerEx(handle_of(file), at, nullptr, FILE_BEGIN) &&
        ReadFile(handle_of(file), destination, want, &got, nullptr))
        return static_cast<long>(got);
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    Errno_From_Last_Error();
    return -1;
}

bool File_Get_Status(Platform_File file, File_Status& status) {
    // The standard information alone: the whole record (GetFileInformationByHandle) also names
    // the file, which some systems work out afresh from the path at every call.
    FILE_STANDARD_INFO information{};
    if (!GetFileInformationByHandleEx(handle_of(file), FileStandardInfo, &information, sizeof information)) {
        Errno_From_Last_Error();
        return false;
    }
    status.size = static_cast<uint64_t>(information.EndOfFile.QuadPart);
    FILE_BASIC_INFO times{};
    if (GetFileInformationByHandleEx(handle_of(file), FileBasicInfo, &times, sizeof times)) {
        // 100-nanosecond steps since 1601.
        status.modified = times.LastWriteTime.QuadPart / 10000000 - 11644473600LL;
    }
    status.folder = information.Directory != FALSE;
    status.plain = !status.folder && GetFileType(handle_of(file)) == FILE_TYPE_DISK;
    return true;
}

void File_Close(Platform_File file) {
    if (file != No_Platform_File) CloseHandle(handle_of(file));
}

Platform_File File_Open_Write(const std::string& path, File_Create how) {
    const bool exclusive = how == File_Create::Exclusive;
    // A new file may be renamed while held (deletion shared); holding it for writing is what marks
    // it in use (File_Remove_Unused_In). A final symbolic link is opened as itself, not followed.
    const HANDLE handle = CreateFileW(Wide_Path(path).c_str(), GENERIC_WRITE,
                                      exclusive ? FILE_SHARE_READ | FILE_SHARE_DELETE : FILE_SHARE_READ, nullptr,
                                      exclusive ? CREATE_NEW : CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return handle == INVALID_HANDLE_VALUE ? failed() : file_of(handle);
}

Platform_File File_Open_Write_In(const Held_Folder& folder, const std::string& name, File_Create how) {
    if (!still_held(folder)) return No_Platform_File;
    return File_Open_Write(folder.path + name, how);
}

bool File_Remove_Unused_In(const Held_Folder& folder, Platform_File file, const std::string& name) {
    if (!still_held(folder)) return false;
    const std::string path = folder.path + name;
    BY_HANDLE_FILE_INFORMATION open_file{};
    if (!GetFileInformationByHandle(handle_of(file), &open_file) || open_file.nNumberOfLinks != 1 ||
        (open_file.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    // Opening without sharing writes fails while a running program holds the file for writing.
    const HANDLE named = CreateFileW(Wide_Path(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION named_file{};
    // Still the file opened, not one made under the name since.
    bool removed = GetFileInformationByHandle(named, &named_file) &&
                   named_file.dwVolumeSerialNumber == open_file.dwVolumeSerialNumber &&
                   named_file.nFileIndexHigh == open_file.nFileIndexHigh &&
                   named_file.nFileIndexLow == open_file.nFileIndexLow;
    if (removed) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        removed = SetFileInformationByHandle(named, FileDispositionInfo, &disposition, sizeof disposition);
    }
    CloseHandle(named);
    return removed;
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

bool File_Replace_In(const Held_Folder& folder, const std::string& from, const std::string& to) {
    if (!still_held(folder)) return false;
    // Fails, leaving to as it was, when to is read-only or open in a program that does not share
    // deletion. (The read-only test is made here too: not every implementation of the call
    // refuses to replace such a file.)
    const std::wstring target = Wide_Path(folder.path + to);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        errno = EACCES;
        return false;
    }
    if (MoveFileExW(Wide_Path(folder.path + from).c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    Errno_From_Last_Error();
    return false;
}

bool File_Remove_In(const Held_Folder& folder, const std::string& name) {
    if (!still_held(folder)) return false;
    if (DeleteFileW(Wide_Path(folder.path + name).c_str())) return true;
    Errno_From_Last_Error();
    return false;
}

std::FILE* File_Stream_Open(const std::string& path, const char* mode) {
    return _wfopen(Wide_Path(path).c_str(), Utf8_To_Wide(mode).c_str());
}

std::FILE* File_Stream_Append(const std::string& path) {
    // Plain files only: a link of that name is opened as itself and then refused.
    const HANDLE handle = CreateFileW(Wide_Path(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Errno_From_Last_Error();
        return nullptr;
    }
    FILE_ATTRIBUTE_TAG_INFO information{};
    if (GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &information, sizeof information) ||
        (information.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(handle);
        errno = ENODEV;
        return nullptr;
    }
    return File_Stream_Adopt(file_of(handle), "a");
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
