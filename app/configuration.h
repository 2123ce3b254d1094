// The configuration file Kestrapol.ini: attributes per directory record level, trace level,
// scratch folder and the definition-file folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dirscan/tree.h"
#include "util/log.h"

// Tag selection lists, one per record level, in the order of the file's lines (duplicates kept).
// A file with tag lines replaces all four lists (its first tag line empties them); a file
// without any keeps the lists of the file read before.
extern std::vector<uint16_t> Item_Patient_Group, Item_Patient_Elem;
extern std::vector<uint16_t> Item_Study_Group, Item_Study_Elem;
extern std::vector<uint16_t> Item_Series_Group, Item_Series_Elem;
extern std::vector<uint16_t> Item_Image_Group, Item_Image_Elem;
extern int32_t Item_Patient_Nb, Item_Study_Nb, Item_Series_Nb, Item_Image_Nb;

// record_types = sop_class: in-place DICOMDIRs file each image under the record type of its SOP
// class (SR DOCUMENT, PRESENTATION, ...) instead of IMAGE (record_types = image, the default).
extern bool Configuration_Record_Types_By_Class;

// Reads path + name (path ends with "/"). 1 when the file was read to its end, 0 when it
// cannot be opened.
int Configuration_Read(Win_Handle window, const std::string& path, const std::string& name);

// The four lists in the form the tree takes them, with the keys each record level requires.
Dir_Tag_Lists Configuration_Tag_Lists();
