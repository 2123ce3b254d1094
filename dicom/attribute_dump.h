// Writing a data set to the log, one coloured line per element, with nesting and values.
#pragma once

#include <string>

#include "dicom/tag.h"
#include "util/log.h"

// Dumps list with log kind kind; the legend comes first when root is at depth 0.
void DICOM_Attribute_Stool(Win_Handle window, DICOM_Root* root, const DICOM_Tag_List& list, int kind);

// One element's line.
void DICOM_Attribute_Stool_Line(Win_Handle window, const DICOM_Root* root, const DICOM_Tag& node, int kind);

// Readable rendering of the element's value; empty when there is none to show.
std::string DICOM_Attribute_Stool_Value(const DICOM_Tag& node);
