// Operations on a data set at the current depth and item of a DICOM_Root.
#pragma once

#include "dicom/tag.h"
#include "util/log.h"

// Appends a copy of source to the current item's list (creating placeholder sequence elements
// on the way down when needed). level is 0 from every outside caller. Returns the new element.
DICOM_Tag* DICOM_Attribute_Insert(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                  const DICOM_Tag* source, int level);

// First element of the current item's list matching group and element (0xFFFF matches any).
DICOM_Tag* DICOM_Attribute_Get(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                               uint16_t group, uint16_t element);

// Removes every matching element, also inside the items of the remaining sequences.
// Returns 1, or 0 when the list is empty or the current item cannot be reached.
int DICOM_Attribute_Delete(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                           uint16_t group, uint16_t element);

// Ordered insert-or-find: the element with this tag in the current item's list, created empty
// at its ascending position when missing. nullptr on failure.
DICOM_Tag* DICOM_Attribute_Place(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                 uint16_t group, uint16_t element);
