// Filling one element from another (header, value, description, items) and copying a run of
// elements into a data set, honouring the Forced and Append marks.
#pragma once

#include <span>

#include "dicom/nesting.h"
#include "dicom/tag.h"
#include "util/log.h"

// Fills target from source; source is only read. A Forced target keeps its header and value;
// a target that already has flags and a value keeps them unless source is Append. Items land in
// target's own item lists, at root's depth + 1. root comes back at the depth it had; its entry
// of the current depth holds the source's tag afterwards. list: the data set target belongs to.
// Returns 1, or 0 on an allocation failure (fields already written stay).
int DICOM_Attribute_Copy_Tag(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                             DICOM_Tag* target, const DICOM_Tag* source);

// For a source without items moved whole into a new element (target): target ends as a copy
// onto a new element would. (Inline: every element read passes through it twice.)
inline void DICOM_Attribute_Settle_Taken(Win_Handle window, DICOM_Root* root, DICOM_Tag* target) {
    Log_Message(window, LOG_TRACE_4, "in DICOM_Attribute_Copy_Tag(%04x,%04x)", target->group, target->element);
    DICOM_Root_Set_Entry(root, root->depth, target->group, target->element, 0);
    // Where a copy onto a new element differs from the source.
    target->depth = static_cast<uint8_t>(root->depth);
    target->vm = 0;
    if (target->flags & Tag_Flag::VR_Unknown) target->vr_def = VR_UN;
    if (target->length == 0) target->data.clear();
}

// Copies every element of source, in order, into the current item's list of list (placed in
// tag order, an existing element with the same tag is the target). Returns 1, or 0 at the first
// failure (elements already copied stay). An empty source returns 1.
int DICOM_Attribute_Copy(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                         std::span<const DICOM_Tag> source);
inline int DICOM_Attribute_Copy(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                const DICOM_Tag_List* source) {
    return source ? DICOM_Attribute_Copy(window, root, list, std::span<const DICOM_Tag>(*source)) : 1;
}
