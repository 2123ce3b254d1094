// Folders on Windows: FindFirstFileExW listings, attributes, drives and network shares.
#include "util/platform_folder.h"

#include <windows.h>

#include <cerrno>

#include "util/platform/win32/wide.h"

// With the "\\?\" prefix the wide calls take paths up to this length.
const std::size_t Path_Limit = 32767;

namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "D:" or "D:\" alone.
bool is_drive(std::string_view path) {
    return (path.size() == 2 || (path.size() == 3 && Path_Is_Separator(path[2]))) && is_letter(path[0]) &&
           path[1] == ':';
}

struct Search_Closer {
    HANDLE search;
    ~Search_Closer() { FindClose(search); }
};

// Calls seen(entry, whether it is a folder, whether it is hidden) for each entry of folder but
// "." and "..". Links and junctions to folders are never walked, as on POSIX. Returns 0, or the
// errno of why the folder could not be listed.
template <typename Seen>
int each_entry(const std::string& folder, Seen seen) {
    std::string pattern = folder.empty() ? std::string(".") : folder;
    if (!Path_Is_Separator(pattern.back())) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(Wide_Path(pattern).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive's root may hold nothing at all, not even "." and "..".
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return 0;
        return Errno_From_Last_Error();
    }
    const Search_Closer closer{search};
    do {
        const wchar_t* name = found.cFileName;
        if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;
        const DWORD attributes = found.dwFileAttributes;
        const bool folder_entry = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder_entry && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        seen(found, folder_entry, (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0);
    } while (FindNextFileW(search, &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) return Errno_From_Last_Error();
    return 0;
}

}  // namespace

std::size_t Path_Root_Length(std::string_view path) {
    std::size_t prefix = 0;
    if (path.starts_with("\\\\?\\UNC\\")) prefix = 8;
    else if (path.starts_with("\\\\?\\")) prefix = 4;
    std::string_view rest = path.substr(prefix);
    if (rest.size() >= 2 && is_letter(rest[0]) && rest[1] == ':')
        return prefix + (rest.size() > 2 && Path_Is_Separator(rest[2]) ? 3 : 2);
    const bool network = prefix == 8 || (prefix == 0 && rest.size() >= 2 && Path_Is_Separator(rest[0]) &&
                                         Path_Is_Separator(rest[1]));
    if (!network) return prefix == 0 && !rest.empty() && Path_Is_Separator(rest[0]) ? 1 : prefix;
    // Server and share: \\server\share\ (the prefixed form has no leading separators left).
    std::size_t at = prefix == 8 ? 0 : 2;
    for (int pieces = 0; pieces < 2 && at < rest.size(); ++pieces) {
        while (at < rest.size() && !Path_Is_Separator(rest[at])) ++at;
        if (at < rest.size()) ++at;
    }
    return prefix + at;
}

int Folder_Read(const std::string& folder, Folder_Item_Kind wanted, bool sizes, Dir_List& list) {
    return each_entry(folder, [&](const WIN32_FIND_DATAW& found, bool folder_entry, bool hidden) {
        if (folder_entry != (wanted == Folder_Item_Kind::Folder)) return;
        Dir_Entry& entry = list.emplace_back();
        entry.Name = Wide_To_Utf8(found.cFileName);
        entry.Hidden = hidden;
        entry.Size = sizes && !folder_entry ? found.nFileSizeLow : 0;
    });
}

int Folder_Visit(const std::string& folder, const Folder_Entry_Seen& seen) {
    return each_entry(folder, [&](const WIN32_FIND_DATAW& found, bool folder_entry, bool hidden) {
        seen(Wide_To_Utf8(found.cFileName), folder_entry ? Folder_Item_Kind::Folder : Folder_Item_Kind::File, hidden);
    });
}

int Path_Is_Folder(const std::string& path) {
    if (is_drive(path)) return 1;
    const DWORD attributes = GetFileAttributesW(Wide_Path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Errno_From_Last_Error();
        return 0;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

bool Folder_Create_One(const std::string& path) {
    if (CreateDirectoryW(Wide_Path(path).c_str(), nullptr)) return true;
    const bool exists = GetLastError() == ERROR_ALREADY_EXISTS && Path_Is_Folder(path);
    if (!exists) Errno_From_Last_Error();
    return exists;
}

// The temporary folder is the user's own on Windows: nothing but the folder itself to check.
int Folder_Make_Private(const std::string& path) {
    if (!CreateDirectoryW(Wide_Path(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return Errno_From_Last_Error();
    const DWORD attributes = GetFileAttributesW(Wide_Path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Errno_From_Last_Error();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return ENOTDIR;
    return 0;
}

std::string Path_Resolved(const std::string& path) {
    HANDLE file = CreateFileW(Wide_Path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Errno_From_Last_Error();
        return {};
    }
    std::wstring wide(1024, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, wide.data(), static_cast<DWORD>(wide.size()), FILE_NAME_NORMALIZED);
    if (length >= wide.size()) {
        wide.resize(length + 1);
        length = GetFinalPathNameByHandleW(file, wide.data(), static_cast<DWORD>(wide.size()), FILE_NAME_NORMALIZED);
    }
    if (length == 0 || length >= wide.size()) Errno_From_Last_Error();
    CloseHandle(file);
    if (length == 0 || length >= wide.size()) return {};
    wide.resize(length);
    // "\\?\D:\..." for a drive, "\\?\UNC\server\share\..." for a share: the forms callers write.
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0) wide = L"\\" + wide.substr(7);
    else if (wide.rfind(L"\\\\?\\", 0) == 0) wide = wide.substr(4);
    return Wide_To_Utf8(wide);
}

int64_t Path_Modified(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide_Path(path).c_str(), GetFileExInfoStandard, &data)) {
        Errno_From_Last_Error();
        return -1;
    }
    const uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    // 100 ns ticks since 1601.
    return static_cast<int64_t>(ticks - 116444736000000000ULL) * 100;
}
