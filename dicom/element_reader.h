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

#include "dicom/byte_order.h"
#include "dicom/byte_source.h"
#include "dicom/tag.h"
#include "dicom/trace.h"
#include "dicom/vr.h"
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
inline int NEMA_Get_Data_Element(Win_Handle window, Byte_Source& source, int mode, uint16_t& group,
                                 uint16_t& element, uint16_t& vr, int32_t& length, uint32_t limit);

// The decoder behind it for every header but the usual one: other modes, items and delimiters,
// 32-bit lengths, vendor repairs, odd lengths, headers cut by the buffer's end, and traces.
int NEMA_Get_Data_Element_General(Win_Handle window, Byte_Source& source, int mode, uint16_t& group,
                                  uint16_t& element, uint16_t& vr, int32_t& length, uint32_t limit);

// The most bytes a header takes: tag, VR, reserved field and 32-bit length.
inline constexpr std::size_t NEMA_Longest_Header = 12;

// Whether headers in mode may be decoded by NEMA_Plain_Header: explicit VR little endian, with
// nothing to repair or trace.
[[gnu::always_inline]] inline bool NEMA_Plain_Mode(int mode) {
    const int plain = Mode_Big_Endian | Mode_Word_Swap | Mode_Repair_Mask | Mode_Explicit;
    return (mode & plain) == Mode_Explicit && !Trace_On(LOG_TRACE_1);
}

// The usual header, decoded from the NEMA_Longest_Header bytes at bytes in a plain mode: an
// explicit VR with a 16-bit length, with nothing to report. False for any other, which only the
// general decoder reads.
[[gnu::always_inline]] inline bool NEMA_Plain_Header(const uint8_t* bytes, uint32_t limit, uint16_t& group,
                                                     uint16_t& element, uint16_t& vr, int32_t& length) {
    const uint16_t g = DICOM_Read_16(0, bytes);
    const auto code = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    const uint16_t size = DICOM_Read_16(0, bytes + 6);
    const bool letters = static_cast<unsigned>(bytes[4] - 'A') < 26 && static_cast<unsigned>(bytes[5] - 'A') < 26;
    // Items, the (3F3F) and (FEFF) items of faulty writers and the Siemens (0009) UL take the
    // general way, as do odd and out-of-file lengths, which are reported.
    const bool special = g == 0xFFFE || g == 0x3F3F || g == 0xFEFF || (g == 0x0009 && code == VR_Code("UL"));
    if (!letters || special || VR_Has_Long_Length(code) || code == VR_OX || (size & 1) != 0 ||
        (limit != 0 && size >= limit))
        return false;
    group = g;
    element = DICOM_Read_16(0, bytes + 2);
    vr = code;
    length = size;
    return true;
}

// The usual header is read here, inline, for it comes with nearly every element of a file:
// explicit VR little endian, a 16-bit length, in the source's buffer, with nothing to repair,
// report or trace.
[[gnu::always_inline]] inline int NEMA_Get_Data_Element(Win_Handle window, Byte_Source& source, int mode,
                                                        uint16_t& group, uint16_t& element, uint16_t& vr,
                                                        int32_t& length, uint32_t limit) {
    if (NEMA_Plain_Mode(mode)) {
        const uint8_t* bytes = source.held_at(NEMA_Longest_Header);
        if (bytes != nullptr && NEMA_Plain_Header(bytes, limit, group, element, vr, length)) {
            source.seek(source.tell() + 8);
            return 1;
        }
    }
    return NEMA_Get_Data_Element_General(window, source, mode, group, element, vr, length, limit);
}

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
