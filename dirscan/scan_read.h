// Reading one DICOM Part-10 file into a checked, nested data set.
#pragma once

#include <optional>
#include <string>

#include "dicom/tag.h"
#include "util/log.h"

// The formatted data set of the file, or nullopt when it cannot be read or formatted.
std::optional<DICOM_Tag_List> DICOMDIR_Scan_Read(Win_Handle window, const std::string& path);
