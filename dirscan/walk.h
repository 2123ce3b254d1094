// Counting and walking a folder: the "DICM" test, the name check and the tree insertion of every
// DICOM file below it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dirscan/progress.h"
#include "dirscan/tree.h"
#include "util/directory.h"
#include "util/log.h"

// Summary of the folder being walked, cleared by the driver before each folder.
extern uint8_t name_flags;  // 2: a name longer than 8 characters; 4: a character not allowed
extern int32_t nb_files;    // DICOM files read
extern int32_t nb_unlisted; // folders below that could not be listed: the walk is incomplete
extern int32_t nb_unread;   // files that could not be opened or read: the walk is incomplete

inline constexpr uint8_t Name_Too_Long = 2;
inline constexpr uint8_t Name_Bad_Character = 4;

// Number of non-hidden plain files at or below path (1 for a file); 0 when cancelled. Two
// threads list the folders; progress hears of the running count from both.
int Kestrapol_Count(const std::string& path, Progress_Window* progress);

// Whether the walk (and the count) goes into a sub-folder listed as entry: not ".", "..", nor hidden.
bool Kestrapol_Folder_Entered(const Dir_Entry& entry);

// Reads every DICOM file at or below path into the tree below dir_list (sub-folders before
// files, each in name order). Returns the number of DICOM files read; 0 when cancelled. A
// folder that cannot be listed is reported and counted in nb_unlisted, a file that cannot be
// opened in nb_unread; a listed file that turns out to be no plain file when it is opened (a
// named pipe, a device) is skipped with a trace line.
int Kestrapol_Analyze(Win_Handle window, const std::string& path, Dir_Item* dir_list, const std::string& indent,
                      Progress_Window* progress);

// Checks a relative name ("\" between components) against the media naming rules: at most 8
// components of at most 8 characters, each an upper-case letter, a digit, "_" or a space that
// neither starts nor ends its component. Returns 1 when it complies; otherwise warns with the
// faults marked and adds them to name_flags (too many components count as too long).
int Kestrapol_Name_Check(Win_Handle window, const std::string& name);
// The same for a name whose components are separated by separator; a backslash is then a
// character like any other (not allowed). The warning shows "\" between components.
int Kestrapol_Name_Check(Win_Handle window, const std::string& name, char separator);

// The faults of a relative name under the same rules, as Name_Too_Long | Name_Bad_Character,
// without reporting anything.
uint8_t Media_Name_Faults(std::string_view name, char separator = '\\');

// Called, when set, with each folder's list of files before they are read: a seam for tests
// that change the folder between listing and reading.
extern void (*Kestrapol_Files_Listed)(const std::string& folder, const Dir_List& files);
