// Encoding elements into the bytes of a DICOM data-element stream in the byte order and VR
// form of a transfer-syntax code (0 implicit VR little endian, 8 explicit VR little endian,
// 9 explicit VR big endian). Value bytes are held little endian; sequences are written with
// undefined lengths and delimiters.
//
// An element whose value bytes are not in memory (a length but no data), whose data is shorter
// than its length, or whose value does not fit its length field is reported and left out:
// it counts 0 bytes in every size and is absent from every encoding.
#pragma once

#include <cstdint>
#include <vector>

#include "dicom/tag.h"
#include "util/log.h"

// The number of bytes DICOM_Attribute_To_Str gives for node.
uint32_t DICOM_Attribute_Size(Win_Handle window, int code, const DICOM_Tag& node);
// The encoding of node; empty when its size is 0.
std::vector<uint8_t> DICOM_Attribute_To_Str(Win_Handle window, int code, const DICOM_Tag& node);
