// Reading one DICOM Part-10 file into a checked, nested data set.
#pragma once

#include <string>

#include "dicom/tag.h"
#include "util/log.h"

// The formatted data set of the file, or nullopt-like empty result on failure (returns false).
// The caller owns the data set.
bool DICOMDIR_Scan_Read(Win_Handle window, const std::string& path, DICOM_Tag_List* data_set);
