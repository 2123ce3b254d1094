// Keeping track of the sequence and item a walk stands in (DICOM_Root).
//
// Calling pattern of every walker: Sequence_Start with the sequence element's group, element and
// flags; for each item: Item_Start, the item's elements, Item_Stop; then Sequence_Stop.
#pragma once

#include <cstdint>

#include "dicom/tag.h"
#include "util/log.h"

// level: trace kind for the visual lines ("---- Sequence in ----"), 0 for none.

// Everything back to 0 (top level, no sequence, no item).
void DICOM_Attribute_Sequence_Reset(Win_Handle window, DICOM_Root* root);
// Records the sequence at the current depth and steps down. Returns the new depth; nesting
// beyond depth 9 is warned about and collapses into depth 9.
int DICOM_Attribute_Sequence_Start(Win_Handle window, DICOM_Root* root, uint16_t group,
                                   uint16_t element, uint16_t flags, int level);
// Steps up. Returns the new depth, or 0 (with a warning, nothing changed) at depth 0.
int DICOM_Attribute_Sequence_Stop(Win_Handle window, DICOM_Root* root, int level);
// The 0-based index of the current item at depth: Item_Number - 1, so -1 when no item was
// started; -1 too for a depth outside 0-9.
int DICOM_Attribute_Sequence_End(Win_Handle window, DICOM_Root* root, int depth);
// Next item at the current depth. Returns 1.
int DICOM_Attribute_Item_Start(Win_Handle window, DICOM_Root* root, int level);
// Leaves the item; its number stays current until the next Item_Start. Returns 1.
int DICOM_Attribute_Item_Stop(Win_Handle window, DICOM_Root* root, int level);

// Accessors. A depth outside 0-9 reads as (0, 0, 0) and is not written.
int DICOM_Root_Depth(const DICOM_Root* root);
// (Inline: every element inserted or formatted passes through them.)
inline void DICOM_Root_Get_Entry(const DICOM_Root* root, int depth, uint16_t* group, uint16_t* element,
                                 uint16_t* flags = nullptr) {
    const bool ok = depth >= 0 && depth < DICOM_Max_Depth;
    if (group) *group = ok ? root->Seq_Group[depth] : 0;
    if (element) *element = ok ? root->Seq_Element[depth] : 0;
    if (flags) *flags = ok ? root->Seq_Flags[depth] : 0;
}
inline void DICOM_Root_Set_Entry(DICOM_Root* root, int depth, uint16_t group, uint16_t element,
                                 uint16_t flags) {
    if (depth < 0 || depth >= DICOM_Max_Depth) return;
    root->Seq_Group[depth] = group;
    root->Seq_Element[depth] = element;
    root->Seq_Flags[depth] = flags;
}
