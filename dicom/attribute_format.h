// Turning the reader's flat element list into a nested, checked data set, and completing it
// with dictionary entries, descriptions and private definitions.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "dicom/tag.h"
#include "util/log.h"

// Nests the flat list: sequences and items opened and closed from the item and delimitation
// tags and from defined lengths; tag order, explicit VRs, retired and private marks checked.
// The checks set flag bits and VR fields on the input. nullopt for an empty input or when an
// element cannot be inserted. With take_values, the values and descriptions move out of flat
// instead of being copied: for a caller that drops flat afterwards.
std::optional<DICOM_Tag_List> DICOM_Attribute_Format(Win_Handle window, DICOM_Tag_List& flat,
                                                     bool take_values = false);
// The same, built in storage's room (its elements dropped first): a caller that formats file
// after file hands back the previous result instead of allocating a new list each time.
// keep, when given: the tags (group << 16 | element, ascending) that the caller uses at the top
// level. Other plain, even-group elements there are checked as usual but left out of the result
// (which may then be empty); private elements, sequences and everything nested stay.
std::optional<DICOM_Tag_List> DICOM_Attribute_Format(Win_Handle window, DICOM_Tag_List& flat, bool take_values,
                                                     DICOM_Tag_List storage,
                                                     const std::vector<uint32_t>* keep = nullptr);

// Completes the data set in place, recursing into items. Returns the number of failed
// elements (always 0).
int DICOM_Attribute_Complement(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& list);

// Vendor groups 1000 and 7F00-7FDF. Return 1.
int SPI_Complement_1000(Win_Handle window, DICOM_Tag* node);
int SPI_Complement_7Fxx(Win_Handle window, DICOM_Tag* node);

// Formats a description into node (a non-empty text replaces it, an empty one removes it);
// vr, when not 0, becomes its vr_def. Returns 1.
int DICOM_Attribute_Describe(Win_Handle window, DICOM_Tag* node, uint16_t vr, const char* format, ...)
    LOG_PRINTF_FORMAT(4, 5);
