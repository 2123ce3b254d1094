// Encoding elements into the bytes of a DICOM data-element stream in the byte order and VR
// form of a transfer-syntax code (0 implicit VR little endian, 8 explicit VR little endian,
// 9 explicit VR big endian). Value bytes are held little endian; sequences are written with
// undefined lengths and delimiters.
//
// An element whose value bytes are not in memory (a length but no data), whose data is shorter
// than its length, or whose value does not fit its length field is reported and left out:
// it is absent from every encoding.
#pragma once

#include <cstdint>
#include <vector>

#include "dicom/tag.h"
#include "util/log.h"

// The encoding of node; empty when it is left out.
std::vector<uint8_t> DICOM_Attribute_To_Str(Win_Handle window, int code, const DICOM_Tag& node);

// The pieces of an element, appended to out, for writers that lay out elements themselves.
// Header size by transfer-syntax code and VR: 12 for the long-length VRs in explicit VR, else 8.
uint32_t DICOM_Header_Size(int code, uint16_t vr);
// Tag, VR (explicit VR only) and length.
void DICOM_Append_Header(std::vector<uint8_t>& out, int code, uint16_t group, uint16_t element, uint16_t vr,
                         uint32_t length);
// An item or delimitation tag (FFFE,element) with its 32-bit length, the same in every VR form.
void DICOM_Append_Item_Tag(std::vector<uint8_t>& out, int code, uint16_t element, uint32_t length);
// length value bytes of vr, each unit of the VR turned around when swap (a trailing partial unit
// stays as held); with pad, an odd length gets the VR's pad byte.
void DICOM_Append_Value(std::vector<uint8_t>& out, uint16_t vr, const uint8_t* data, std::size_t length, bool swap,
                        bool pad);
