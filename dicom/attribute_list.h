// Operations on a data set at the current depth and item of a DICOM_Root.
//
// Every operation first reaches the current item's list: starting from the top-level list, it
// steps into the current item of the sequence that root records at each depth, creating the
// sequence element or the item slot when missing (Insert, Delete and Place fail when the current
// item cannot be reached; Get then searches the list it got to).
//
// Pointers returned point into a std::vector: they stay valid until the next insertion into the
// same list (elements nested deeper keep their addresses when an outer list grows).
#pragma once

#include "dicom/attribute_copy.h"
#include "dicom/tag.h"
#include "util/log.h"

// Appends a copy of source to the current item's list (creating placeholder sequence elements
// on the way down when needed). level is 0 from every outside caller. Returns the new element,
// or nullptr when the current item cannot be reached or the copy fails.
DICOM_Tag* DICOM_Attribute_Insert(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                  const DICOM_Tag* source, int level);

// The same, taking source's value and description instead of copying them: source keeps its
// other fields, with neither value nor description left.
DICOM_Tag* DICOM_Attribute_Insert_Taking(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                         DICOM_Tag* source, int level);

// Insert_Taking for the last element of list, built there by the caller: the same traces and
// the same result. Without nesting (root at depth 0) the element stays where it is instead of
// being moved. nullptr, with the element removed, when the insertion fails.
// (Inline: a reader calls it once per element, and without nesting it only settles the element.)
inline DICOM_Tag* DICOM_Attribute_Insert_Last(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list);

// The insertion trace of source (at trace level 5).
void DICOM_Attribute_Trace_Insert(Win_Handle window, const DICOM_Tag& source);
// Insert_Last where the element has to move: nested, or with items.
DICOM_Tag* DICOM_Attribute_Insert_Last_Moving(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list);

inline DICOM_Tag* DICOM_Attribute_Insert_Last(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list) {
    if (!root || !list || list->empty()) return nullptr;
    DICOM_Tag& last = list->back();
    if (root->depth != 0 || !last.item.empty()) return DICOM_Attribute_Insert_Last_Moving(window, root, list);
    if (Log_Passes(LOG_TRACE_5)) DICOM_Attribute_Trace_Insert(window, last);
    DICOM_Attribute_Settle_Taken(window, root, &last);
    return &last;
}

// First element of the current item's list matching group and element (0xFFFF matches any).
DICOM_Tag* DICOM_Attribute_Get(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                               uint16_t group, uint16_t element);

// Removes every matching element, also inside the items of the remaining sequences.
// Returns 1, or 0 when the list is empty or the current item cannot be reached.
int DICOM_Attribute_Delete(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                           uint16_t group, uint16_t element);

// Releases what one element holds (items, value, description); the element itself stays in
// its list, empty, for the caller to remove.
void DICOM_Attribute_Free(Win_Handle window, DICOM_Tag* tag);

// Ordered insert-or-find: the element with this tag in the current item's list, created empty
// at its ascending position when missing. nullptr on failure.
DICOM_Tag* DICOM_Attribute_Place(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                 uint16_t group, uint16_t element);

// The same in a given list, without any stepping down: records (group, element) as root's
// entry of its current depth and places the element at that depth.
DICOM_Tag* DICOM_Attribute_Place_In(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                    uint16_t group, uint16_t element);

// The current item's list, as every operation above reaches it; nullptr when it cannot be
// reached. May create the sequence element or item slot on the way.
DICOM_Tag_List* DICOM_Attribute_Current_List(Win_Handle window, DICOM_Root* root,
                                             DICOM_Tag_List* list);
