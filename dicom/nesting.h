// Keeping track of the sequence and item a walk stands in (DICOM_Root).
#pragma once

#include "dicom/tag.h"
#include "util/log.h"

// level: trace kind for the visual lines ("---- Sequence in ----"), 0 for none.
void DICOM_Attribute_Sequence_Reset(Win_Handle window, DICOM_Root* root);
int DICOM_Attribute_Sequence_Start(Win_Handle window, DICOM_Root* root, uint16_t group,
                                   uint16_t element, uint16_t flags, int level);
int DICOM_Attribute_Sequence_Stop(Win_Handle window, DICOM_Root* root, int level);
int DICOM_Attribute_Sequence_End(Win_Handle window, DICOM_Root* root, int depth);
int DICOM_Attribute_Item_Start(Win_Handle window, DICOM_Root* root, int level);
int DICOM_Attribute_Item_Stop(Win_Handle window, DICOM_Root* root, int level);
