// Record types by SOP class: an image node filed under the record type the standard gives its
// SOP class (SR DOCUMENT, PRESENTATION, RT DOSE, ...), with that type's keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dicom/tag.h"
#include "dicom/record_types.h"
#include "dirscan/tree.h"
#include "util/log.h"

// Set by the driver: image records get the record type of their SOP class (copies always; in
// place when the configuration asks for it). Otherwise every file gets an IMAGE record.
extern bool Kestrapol_Record_Types_By_Class;

// The record type of a file of SOP class uid below a SERIES record: the standard's for the
// class, IMAGE for an unknown or private class and for a class whose records belong elsewhere.
const Record_Type& Kestrapol_Record_Type_Of(std::string_view sop_class);

// The record type of a file of SOP class uid whose record belongs to the root directory entity
// (PALETTE, HANGING PROTOCOL, ...) instead of a series; nullptr for every other class.
const Record_Type* Kestrapol_Root_Record_Type(std::string_view sop_class);
// The record type a file of SOP class uid is filed under: a root one or Kestrapol_Record_Type_Of.
std::string_view Kestrapol_Record_Type_Name(std::string_view sop_class);

// Files of a root record type: adds the record to the root below dir_list (keyed by its SOP
// Instance UID, a duplicate warned about) and returns true with result as Kestrapol_Add_Image
// gives it; false for any other file, which the tree takes as usual.
bool Kestrapol_Add_Root_Record(Win_Handle window, const std::string& name, DICOM_Tag_List* set, Dir_Item* dir_list,
                               int& result);

// Gives image its record type and the keys of that type that it lacks, in tag order with the
// configured ones: values from set (checked as configured ones are), Type 2 keys empty when
// absent, sequences whole; a Type 1 key that is absent or empty is warned about once.
void Kestrapol_Record_Type_Set(Win_Handle window, Dir_Node& image, DICOM_Root* root, DICOM_Tag_List* set,
                               const std::string& file);

// The keys of every record type and the SOP Class UID (0008,0016), sorted: what a file's data
// set must keep for its record.
std::vector<uint32_t> Kestrapol_Record_Type_Keys();
