// Copying files and making and removing folders for a media copy (part of the platform layer,
// see platform_file.h). Failures return false or nullopt with errno saying why.
#pragma once

#include <cstdint>
#include <string>

// Copies the plain file from into the new file to with the system's own copy (the kernel moves
// the bytes: copy_file_range on Linux, CopyFileExW on Windows). to must not exist (EEXIST);
// after a failure it does not exist either. copied is the size of the copy.
bool File_Copy_New(const std::string& from, const std::string& to, uint64_t& copied);

// Removes the file path that this run made.
bool File_Remove_Made(const std::string& path);

// Creates the one folder path (its parent must exist); false (EEXIST) when the name is taken,
// so that a folder made here is known to be this run's own.
bool Folder_Create_New(const std::string& path);
// Removes the empty folder path.
bool Folder_Remove_Empty(const std::string& path);

