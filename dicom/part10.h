// Encoding a whole group and the head of a DICOM Part-10 file: 128-byte preamble, "DICM" and
// the file meta information group (0002) headed by its group length.
#pragma once

#include <cstdint>
#include <vector>

#include "dicom/tag.h"
#include "util/log.h"

// The encodings of the elements of group in list order (the list sorted by group, as the
// ordered insert keeps it: lower groups are skipped, the walk stops at a higher one). Empty
// when the group is.
std::vector<uint8_t> DICOM_Write_Group(Win_Handle window, uint16_t group, int code, const DICOM_Tag_List& list);

// (group,0000) UL holding length, encoded with code (12 bytes).
std::vector<uint8_t> DICOM_Write_Group_Length(Win_Handle window, uint16_t group, int code, uint32_t length);

// Preamble, "DICM", then the group length and the group 0002 elements of list. The head is
// explicit VR little endian whatever the data set's transfer-syntax code, group length included:
// readers parse it before they know the transfer syntax. Only the 132 bytes of preamble and
// "DICM" when the list has no group 0002 element. The rest of the data set is not written here.
std::vector<uint8_t> DICOM_Write_Part10(Win_Handle window, int code, const DICOM_Tag_List& list);
