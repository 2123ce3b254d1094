// Checking and repairing the value of one element by the rules of its VR: padding, character
// set, multi-valued texts, maximum lengths, old value syntaxes, even length and the number of
// values against the data dictionary. Every repair is reported and marks the element with
// Tag_Flag::Error; a value that cannot be kept is dropped (length 0, no data).
#pragma once

#include <cstdint>

#include "dicom/tag.h"
#include "util/log.h"

// 1 when the value is acceptable (also when the element has no data), 0 when it is not.
// An element whose VR has no rule returns 0 untouched.
int DICOM_Attribute_Cleanup_Tag(Win_Handle window, DICOM_Tag* node);

// Splits a backslash-separated text, cuts each value to max and trims it; returns the number
// of values (an empty text counts as one).
int DICOM_Tag_Cleanup_Text_Multiple(Win_Handle window, DICOM_Tag* node, int max);
// Cuts a one-valued text to max; neither splits nor trims. Returns 1.
int DICOM_Tag_Cleanup_Text_Single(Win_Handle window, DICOM_Tag* node, int max);
// Range check of IS values (-2**31 to 2**31 - 1, by digit count and first digit). 1 or 0.
int DICOM_Tag_Cleanup_Valid_Int(Win_Handle window, DICOM_Tag* node);
// Strips trailing trail bytes and leading lead bytes (Cleanup_None: that side untouched); a
// wrong padding byte (space for zero or zero for space) is removed with a notice.
inline constexpr int Cleanup_None = -1;
void DICOM_Tag_Cleanup_Padding(Win_Handle window, DICOM_Tag* node, int lead, int trail);
// Removes every byte not in set; returns the number removed.
int DICOM_Tag_Cleanup_Charset(Win_Handle window, DICOM_Tag* node, const char* set);
// Rewrites IS values written with decimals as integers.
void DICOM_Tag_Cleanup_IS_From_Float(Win_Handle window, DICOM_Tag* node);
// Number of values against the dictionary's multiplicity: 1 when it fits or cannot be
// checked, else 0 with Tag_Flag::Invalid (the value stays).
int DICOM_Tag_Cleanup_Multiplicity(Win_Handle window, DICOM_Tag* node, int count);
