// Files as the system gives them: opening, reading, writing and replacing by name. One of the
// headers of the platform layer (util/platform/posix/, util/platform/win32/), the only code that
// calls the system's file interfaces.
//
// Names are UTF-8 everywhere; both "/" and "\" separate folders on Windows. A failed call returns
// No_Platform_File, -1 or false and leaves errno saying why (on Windows the thread's last error
// stays as the system set it, for System_Error_Str(0)).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// An open file or folder: a descriptor on POSIX, a handle on Windows.
using Platform_File = std::intptr_t;
inline constexpr Platform_File No_Platform_File = -1;

enum File_Open_Flags : unsigned {
    Open_Default = 0,
    Open_Never_Block = 1u << 0,  // a named pipe or device without a writer does not hold the caller
    Open_Plain_Only = 1u << 1,   // anything but a plain file is refused (errno EISDIR or ENODEV)
    // Refused as Open_Plain_Only only where reading something else could block even so: the
    // caller learns the kind with the size (File_Get_Status), or from a read that fails at once.
    Open_Plain_Before_Reading = 1u << 2,
};

// Opens path for reading.
Platform_File File_Open_Read(const std::string& path, unsigned flags = Open_Default);

// A folder held open for listing, so that its files open by name inside it (File_Open_Read_In)
// without the system walking the folders of their paths again. No_Platform_File (errno set)
// when it cannot be opened for listing; its files then open by path.
Platform_File Folder_Open(const std::string& path);
// Opens name in folder (Folder_Open) for reading; path names the same file and is opened instead
// when folder is No_Platform_File, or where the system opens files by path only (Windows).
Platform_File File_Open_Read_In(Platform_File folder, const char* name, const std::string& path,
                                unsigned flags = Open_Default);

// Reads up to count bytes at offset: the number read (short only at the end of the file), or -1.
// One thread at a time per file: on Windows the read goes through the file pointer.
long File_Read_At(Platform_File file, void* destination, std::size_t count, uint64_t offset);

struct File_Status {
    uint64_t size = 0;
    bool plain = false;   // a regular file
    bool folder = false;
    int64_t modified = 0;  // last change of the contents, seconds since 1970
};
bool File_Get_Status(Platform_File file, File_Status& status);

void File_Close(Platform_File file);

enum class File_Create {
    Replace,    // an existing file is emptied
    Exclusive,  // fails (errno EEXIST) when the name exists in any form; the file is marked in
                // use until it is closed (File_Remove_Unused_In leaves it alone)
};
// Creates path for writing. A final symbolic link is never followed. A new file may be read by
// everyone and written by its owner (rw-r--r--, less what the user's umask takes away).
Platform_File File_Open_Write(const std::string& path, File_Create how);

// A folder held open (Folder_Open) and the path it was opened by, ending with a separator.
// Files are made, renamed and removed in the folder held, even when its path has come to name
// another folder since: on POSIX relative to the handle; on Windows, which names files by path
// only, by the path once it is checked to name the folder held still (else errno ENOENT).
struct Held_Folder {
    Platform_File handle = No_Platform_File;
    std::string path;
};
// File_Open_Write of name (one component) in folder.
Platform_File File_Open_Write_In(const Held_Folder& folder, const std::string& name, File_Create how);
// Removes name in folder, which file (opened by that name) is, when it is a plain file of that
// one name and no File_Open_Write(Exclusive) of a running program holds it. true when removed.
bool File_Remove_Unused_In(const Held_Folder& folder, Platform_File file, const std::string& name);
// Puts from in the place of to (both names in folder) in one step: to is either the old file
// or the complete new one, never a mix, and the change is on the disk when this returns. An
// existing to is replaced only when it is ours to replace: fails with EACCES when it is
// read-only, or (POSIX) belongs to another user.
bool File_Replace_In(const Held_Folder& folder, const std::string& from, const std::string& to);
bool File_Remove_In(const Held_Folder& folder, const std::string& name);

// Writes all count bytes (retrying short writes); false on failure.
bool File_Write_All(Platform_File file, const void* bytes, std::size_t count);
// Waits until what was written is on the disk.
bool File_Sync(Platform_File file);


// A buffered stream (fopen modes) on a file given by name.
std::FILE* File_Stream_Open(const std::string& path, const char* mode);
// A stream appending to the plain file path, created (rw-------) when missing. A symbolic link,
// a named pipe or a device of that name is never opened (nullptr, errno set).
std::FILE* File_Stream_Append(const std::string& path);
// A buffered stream on an open file; the stream owns it from then on (even when this fails).
std::FILE* File_Stream_Adopt(Platform_File file, const char* mode);
// The open file under a stream, for File_Sync.
Platform_File File_Stream_Handle(std::FILE* stream);
