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
// A private data element that a kept subset left out, and where it stood: before the element
// at index `before` of the formatted set's top level.
struct Left_Out_Private {
    uint32_t before;
    uint16_t group;
    uint16_t element;
};

// The same, built in storage's room (its elements dropped first): a caller that formats file
// after file hands back the previous result instead of allocating a new list each time.
// keep, when given: the tags (group << 16 | element, ascending) that the caller uses at the top
// level. Other plain, even-group elements there are checked as usual but left out of the result
// (which may then be empty); sequences, item tags and everything nested stay. So do private
// elements, unless left_private is given: then private data elements are left out too and listed
// there, for DICOM_Attribute_Complement (private creators always stay); of a run of one block's
// elements with nothing kept between them, the first.
std::optional<DICOM_Tag_List> DICOM_Attribute_Format(Win_Handle window, DICOM_Tag_List& flat, bool take_values,
                                                     DICOM_Tag_List storage,
                                                     const std::vector<uint32_t>* keep = nullptr,
                                                     std::vector<Left_Out_Private>* left_private = nullptr);

// Completes the data set in place, recursing into items. Returns the number of failed
// elements (always 0). left: the private elements DICOM_Attribute_Format left out of list; each
// block's creator is looked up where they stood, with what loading its definitions reports, as
// if they were there.
int DICOM_Attribute_Complement(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& list,
                               const std::vector<Left_Out_Private>* left = nullptr);

// Vendor groups 1000 and 7F00-7FDF. Return 1.
int SPI_Complement_1000(Win_Handle window, DICOM_Tag* node);
int SPI_Complement_7Fxx(Win_Handle window, DICOM_Tag* node);

// Formats a description into node (a non-empty text replaces it, an empty one removes it);
// vr, when not 0, becomes its vr_def. Returns 1.
int DICOM_Attribute_Describe(Win_Handle window, DICOM_Tag* node, uint16_t vr, const char* format, ...)
    LOG_PRINTF_FORMAT(4, 5);
