// Decoding a DICOM Part-10 stream one data element header at a time, with the raw reads and
// the skip used for values, and the step that turns the Transfer Syntax UID into the mode.
//
// Mode bits: 0x01 big endian, 0x02 bytes of every 16-bit word swapped, 0x04 the data set was
// deflated (cleared for group 0002, which never is), 0x08 explicit VR, 0xF0 repair selector
// (0x10 enables the GE repairs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "dicom/byte_source.h"
#include "dicom/tag.h"
#include "util/log.h"

inline constexpr int Mode_Big_Endian = 0x01;
inline constexpr int Mode_Word_Swap = 0x02;
// The elements come out of an inflated stream: their offsets are not offsets in the file, so
// a value left unread cannot be loaded from the file later.
inline constexpr int Mode_Deflated = 0x04;
inline constexpr int Mode_Explicit = 0x08;
inline constexpr int Mode_Repair_Mask = 0xF0;
inline constexpr int Mode_Repair_GE = 0x10;

// Decodes the header at the source's position. Returns 1 with group, element, vr (0 when
// implicit) and length set and the source at the first value byte, else 0. length is left as
// the caller set it when a delimiter ends the source before its length. limit: the size of
// the file, 0 for none; a length not smaller than it is refused.
int NEMA_Get_Data_Element(Win_Handle window, Byte_Source& source, int mode, uint16_t& group,
                          uint16_t& element, uint16_t& vr, int32_t& length, uint32_t limit);

// Raw reads: 1 on success, 0 after reporting a failed or short read.
int NEMA_Read_Bytes(Win_Handle window, Byte_Source& source, int mode, std::size_t count,
                    uint8_t* destination);
int NEMA_Read_16(Win_Handle window, Byte_Source& source, int mode, uint16_t& destination);
int NEMA_Read_32(Win_Handle window, Byte_Source& source, int mode, uint32_t& destination);
// Reads size value bytes into block, word-swapped when mode bit 1 is set; 0 on failure.
// Nothing is allocated for a size that the source cannot supply.
int NEMA_Read_Block(Win_Handle window, Byte_Source& source, int mode, uint32_t size, Tag_Bytes& block);
// Moves the source forward by size; 0xFFFFFFFF moves nothing.
int NEMA_Skip(Win_Handle window, Byte_Source& source, uint32_t size);

// Sets tag->syntax from the Transfer Syntax UID it holds (padding blanks and NULs ignored) and
// marks it; returns value unchanged.
int NEMA_Transfer_Syntax(Win_Handle window, DICOM_Root* root, DICOM_Tag* tag, int value);
