// The values that go into a new directory record, checked as they are taken from the file.
//
// A value goes into a record with the dictionary's VR, whatever VR the file sent it with, and
// only when that VR's rules accept it and its element's length field can hold it; a value that
// fails is left out with a warning naming the file and the attribute, never copied as it stands
// or cut. The standard keys of the record's level are then looked at: a Type 2 key that the
// file lacks is written empty, as the standard asks; a Type 1 key that is absent or empty is
// left as it is and warned about; a key whose value was left out is written empty, so that
// readers still find the record by it. Nothing is invented.
// Each record is checked once, when it is made from the first file that names it.
#pragma once

#include <string>

#include "dicom/tag.h"
#include "dirscan/tree.h"
#include "util/log.h"

// Record levels as the tree numbers them.
inline constexpr int Dir_Patient_Level = 1, Dir_Study_Level = 2, Dir_Series_Level = 3, Dir_Image_Level = 4;

// The type of a key in the standard's directory record of level: 1 or 2, or 0 when the
// attribute is not one of that record's Type 1 or Type 2 keys.
int Kestrapol_Key_Type(int level, uint16_t group, uint16_t element);

// Adds to each level's list the Type 1 and Type 2 keys of its record that it lacks, each before
// the first larger tag: readers find records by them, whatever the configuration lists.
void Kestrapol_Add_Required_Keys(Dir_Tag_Lists& lists);

// Fills node.tag, one slot per entry of selection, from set for a record of level. file is the
// relative name of the file, for the warnings.
void Kestrapol_Record_Values(Win_Handle window, Dir_Node& node, int level, const Dir_Tag_Selection& selection,
                             DICOM_Root* root, DICOM_Tag_List* set, const std::string& file);

// Whether attribute (nullptr: none), the file's (group,element), can name the file in its image
// record (Referenced SOP Class, SOP Instance or Transfer Syntax UID): present, loaded and a valid
// UID. When it cannot, the file is refused with a warning naming it.
bool Kestrapol_Reference_Usable(Win_Handle window, const DICOM_Tag* attribute, uint16_t group, uint16_t element,
                                const std::string& file);

// Copies a usable reference UID into slot, without its padding. When shared (bytes of the same
// tree) starts with the same UID, slot points to them: the tree's bytes are never written after the copy.
void Kestrapol_Record_Reference(Dir_Reference& slot, const DICOM_Tag* attribute, std::pmr::memory_resource* arena,
                                std::string_view shared = {});
