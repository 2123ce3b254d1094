// Definition files of the "DICOM Tables" folder: the private attributes of a private creator
// ("DICOM_Private_<creator>.txt") and reusable groups of attribute lines, or macros
// ("DICOM_Include_<name>.txt"). A file is parsed into a flat data set of origin Module in
// which sequences and items are marked by explicit item and delimitation elements.
//
// Line syntax: optional marks "!" forced, "=" default, "-" removal, "+" append; one ">" per
// nesting level; then "(gggg,eeee)" followed by "VR=xx", "type=1C", "desc=..." and a quoted
// value, or "include <name>". ";" starts a comment.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "dicom/tag.h"
#include "util/log.h"

// The definition folder, which must end with a separator. A folder text replaces it (empty
// clears it); nullptr only returns it.
std::string DICOM_Module_Dir(Win_Handle window, const char* folder);

// Applies the definition of tag under creator (VR, description, removal mark) when the
// creator's file defines it: 1, else 0. Each creator's file is looked for once per process.
int DICOM_Module_Read_Private(Win_Handle window, const std::string& creator, DICOM_Tag* tag);

// The two steps of DICOM_Module_Read_Private, for callers that complete many elements of one
// creator: the creator's definitions (looked for on first use; nullptr when it has none or the
// name is empty), valid until DICOM_Module_Private_Cleanup; then one element completed from them.
const DICOM_Tag_List* DICOM_Module_Private_Definitions(Win_Handle window, const std::string& creator);
int DICOM_Module_Apply_Private(Win_Handle window, const DICOM_Tag_List& definitions, DICOM_Tag* tag);

// The data set of a macro, or nullptr; valid until DICOM_Module_Include_Cleanup.
const DICOM_Tag_List* DICOM_Module_Include_Get(Win_Handle window, const std::string& name,
                                               const std::string& including_file, int line);

// Parses a whole definition file into list. Returns 1.
int DICOM_Module_Read_File(Win_Handle window, std::FILE* file, const std::string& file_name,
                           DICOM_Tag_List& list);

// Converts a value text into tag's data and length by its vr_def: 1, or 0 for a VR that
// takes no text value.
int DICOM_Module_Value(DICOM_Tag* tag, const std::string& text);

// Reads one line (tabs as blanks, comment after ";" cut off into comment when asked for).
// 1 when a line ending in a newline was read; 0 at the end of the file, a form feed, a line
// longer than 2047 characters or a read error.
int DICOM_Module_Read_Line(Win_Handle window, std::FILE* file, int line_number, std::string& line,
                           const std::string& file_name, std::string* comment);

// Listings and opens of the definition folder so far.
uint64_t DICOM_Module_Folder_Calls();

// Releases the folder text; every macro; every creator.
void DICOM_Module_Cleanup();
void DICOM_Module_Include_Cleanup();
void DICOM_Module_Private_Cleanup();
// Called once the parsed lists are gone: the bound on all definition elements starts afresh.
void DICOM_Module_Elements_Released();
