// The DICOMDIR file of a folder: record sizes, record offsets and the bytes.
//
// Sizes, offsets and bytes come from the same rules (dicomdir_elements.cpp), so every offset
// written lands on the record it names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dicom/tag.h"
#include "dirscan/tree.h"
#include "util/log.h"
#include "util/platform_file.h"

inline constexpr uint32_t DICOMDIR_Fixed_Size = 58;  // (0004,1130) to the (0004,1220) header
inline constexpr const char* DICOMDIR_Name = "DICOMDIR";

// Computes record_size and branch_size of every node below root; returns the sum of the
// patients' branch sizes.
uint32_t Kestrapol_Size(Win_Handle window, Dir_Item* root);

// Writes root->path + "/DICOMDIR" (Kestrapol_Size must have run), in the folder held
// by root->folder (opened here when the root holds none). The file is written
// under a temporary name of its own (DICOMDIR_Create_Temporary) and renamed over DICOMDIR once
// complete, so a failure leaves any earlier DICOMDIR as it was, and runs side by side each
// write a whole file (the last rename stays). Leftovers of runs that ended early are removed
// afterwards. Returns 1, or 0 after reporting why nothing was written.
// once_written, when given, runs while the file goes to the disk: the tree's records are no longer
// read then (root->path and root->folder still are), so it may release them.
int DICOMDIR_Write(Win_Handle window, DICOM_Root* state, Dir_Item* root,
                   const std::function<void()>& once_written = {});

// Temporary files: "DICOMDIR.T" and three random capital letters, so that the walk, which
// reads no file whose base name is DICOMDIR, skips them.
bool DICOMDIR_Is_Temporary_Name(std::string_view name);
// What the preamble of a temporary file starts with until the file is complete; it is cleared
// before the file takes its final name.
inline constexpr std::string_view DICOMDIR_Unfinished_Mark = "Kestrapol: unfinished DICOMDIR";
// Creates a new temporary file in folder, never opening one that exists, and names it in name.
// No_Platform_File (errno set) when none could be made.
Platform_File DICOMDIR_Create_Temporary(const Held_Folder& folder, std::string& name);
// Removes the temporary files in folder that runs ended before renaming: files of such a name
// that carry the unfinished mark, were last changed before since (seconds since 1970) and that no
// running program holds. Each removal is a report line. Returns the number removed.
int DICOMDIR_Remove_Leftovers(Win_Handle window, const Held_Folder& folder, int64_t since);

// Where element bytes go: gathered in memory and written to file in large blocks, which spares a
// library call per element.
struct DICOMDIR_Out {
    explicit DICOMDIR_Out(std::FILE* file) : file(file) {}
    // Writes what is gathered once a block is full.
    void spill();
    // Writes what is gathered.
    void flush();

    std::FILE* file;
    std::vector<uint8_t> bytes;
};

// Element writers, by the library's encoder; a failed stream's error is checked once at the end.
// Fixed record elements of group 0004: a number for UL and US; no value for SQ (undefined length).
void DICOMDIR_Write_Element(DICOMDIR_Out& out, uint16_t element, uint16_t vr, uint32_t number);
// Text and UID elements of group 0004: the bytes of value, padded to even length.
void DICOMDIR_Write_Element(DICOMDIR_Out& out, uint16_t element, uint16_t vr, std::string_view value);
// A configured attribute: nothing for an empty slot or one that cannot be written.
void DICOMDIR_Write_Tag(DICOMDIR_Out& out, const Dir_Tag& attribute);
// The same bytes appended to bytes, as a tree keeps them for a record.
void DICOMDIR_Append_Tag(std::vector<uint8_t>& bytes, const Dir_Tag& attribute);
// Item start (undefined length), item end or sequence end: (FFFE,element).
void DICOMDIR_Write_Delimiter(DICOMDIR_Out& out, uint16_t element);

// The VR a record carries for attribute: the library's own codes become what readers know (OX
// is OB; RT and codes that are not two capital letters are UN).
uint16_t DICOMDIR_Record_VR(const Dir_Tag& attribute);
// Size of what DICOMDIR_Write_Tag writes for attribute (0 when it writes nothing).
uint32_t DICOMDIR_Tag_Size(const Dir_Tag& attribute);
// Size of a Referenced ... element; 0 for an empty slot.
uint32_t DICOMDIR_Reference_Size(const Dir_Reference& reference);

// The numbers of the Media Storage SOP Instance UID: the path's (its letters and digits), the
// time's (to the second), and one that differs between heads made in one second, in one process
// or in several (digits decimal digits, the first never 0).
uint32_t DICOMDIR_Name_Number(std::string_view path);
uint32_t DICOMDIR_Time_Number(const std::tm& local);
std::string DICOMDIR_Unique_Number(std::size_t digits);
// The head (preamble, "DICM", file meta information) of a DICOMDIR written at path.
std::vector<uint8_t> DICOMDIR_Head(Win_Handle window, DICOM_Root* state, const std::string& path,
                                   const std::tm& local);
