// One data element in memory (DICOM_Tag) and a data set (DICOM_Tag_List).
//
// A data set is an ordered sequence of elements; a sequence element holds one data set per
// item. A list built by insertion keeps stream order (repeats allowed); a list built by
// DICOM_Attribute_Place is in ascending (group, element) order without repeats.
// The list is a std::vector: the last element is simply back(), and pointers to elements stay
// valid only until the next insertion into the same list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dicom/inline_buffer.h"

struct NEMA_db_Entry;
struct DICOM_Tag;

// Value bytes and element names: most fit inline (a UID of 64 characters does).
using Tag_Bytes = Inline_Buffer<uint8_t, 71>;
using Tag_Text = Inline_Buffer<char, 39>;

// A data set. An empty list is what an unfilled item slot holds.
using DICOM_Tag_List = std::vector<DICOM_Tag>;

// Two characters packed as first * 256 + second, as every VR code is stored.
constexpr uint16_t VR_Code(const char (&vr)[3]) {
    return static_cast<uint16_t>((static_cast<unsigned char>(vr[0]) << 8) | static_cast<unsigned char>(vr[1]));
}
inline constexpr uint16_t VR_SQ = VR_Code("SQ");
inline constexpr uint16_t VR_OB = VR_Code("OB");
inline constexpr uint16_t VR_OW = VR_Code("OW");
inline constexpr uint16_t VR_UN = VR_Code("UN");
inline constexpr uint16_t VR_UT = VR_Code("UT");
inline constexpr uint16_t VR_OX = VR_Code("OX");   // OB or OW, decided by the transfer syntax
inline constexpr uint16_t VR_RT = VR_Code("RT");   // retired without VR, resolved by length
inline constexpr uint16_t VR_Item = VR_Code("I-"); // item start in the dictionary
inline constexpr uint16_t VR_Ia = VR_Code("Ia");   // delimiter, or fragment of encapsulated data
inline constexpr uint16_t VR_Ib = VR_Code("Ib");   // item of a sequence (not a value)

// Bits of DICOM_Tag::flags.
namespace Tag_Flag {
inline constexpr uint16_t Origin_Mask = 0x000F;
inline constexpr uint16_t Origin_DICOM = 0x0001;   // read from a DICOM stream
inline constexpr uint16_t Origin_Library = 0x0002; // made by the library
inline constexpr uint16_t Origin_Module = 0x0004;  // from a module definition file
inline constexpr uint16_t Error = 0x0010;          // value cut at end of file, or faulty
inline constexpr uint16_t Retired = 0x0020;
inline constexpr uint16_t Private = 0x0040;
inline constexpr uint16_t Syntax_Mark = 0x0080;    // Transfer Syntax UID that set the mode
inline constexpr uint16_t Deleted = 0x0100;
inline constexpr uint16_t Removal = 0x0200;        // definition line with a leading "-"
inline constexpr uint16_t VR_Unknown = 0x0400;
inline constexpr uint16_t Invalid = 0x0800;
inline constexpr uint16_t Forced = 0x1000;
inline constexpr uint16_t Default = 0x2000;
inline constexpr uint16_t Append = 0x8000;
}  // namespace Tag_Flag

// Length of a sequence, item or encapsulated value closed by a delimiter.
inline constexpr int32_t Undefined_Length = -1;

struct DICOM_Tag {
    // Provided, so that a new element is built member by member: a header makes some hundred,
    // and zero-filling each whole (inline buffers included) first cost more than reading it.
    DICOM_Tag() noexcept {}

    uint8_t syntax = 0;    // transfer mode of the value bytes: 0 implicit LE, 8 explicit LE, 9 explicit BE
    uint8_t depth = 0;     // nesting depth at insertion (0 top level, at most 9)
    uint16_t flags = 0;    // Tag_Flag bits
    uint16_t group = 0;
    uint16_t element = 0;
    uint16_t vr = 0;       // VR found in the stream, 0 when implicit
    uint16_t vr_def = 0;   // VR from the dictionary or a definition file
    uint16_t type = 0;     // attribute type from a module definition ("1 ", "1C", ...), 0 when none
    // An empty description given on purpose (a definition line's empty "desc="): unlike none,
    // copying it clears the target's.
    bool blank_description = false;
    uint32_t vm = 0;       // number of values of the last value access
    uint32_t pos = 0;      // file offset of the element's first byte
    uint32_t pos_data = 0; // file offset of the first value byte (values left on disk load from here)
    int32_t length = 0;    // value length; Undefined_Length for delimited values
    Tag_Bytes data;              // value bytes; empty when the value is empty or was not loaded
    Tag_Text description;        // element name; empty when none
    const NEMA_db_Entry* dict = nullptr;  // dictionary entry, not owned
    std::vector<DICOM_Tag_List> item;     // one data set per item of a sequence

    // The VR every consumer goes by: the stream's when there was one, else the dictionary's.
    uint16_t effective_vr() const { return vr != 0 ? vr : vr_def; }
    bool has_data() const { return !data.empty(); }
    bool has_description() const { return blank_description || !description.empty(); }
    int32_t item_nb() const { return static_cast<int32_t>(item.size()); }
};

// Where a walk over a nested data set stands: the depth and, per depth, the sequence opened
// there and the number of the current item. A plain value, no pointers.
inline constexpr int DICOM_Max_Depth = 10;

struct DICOM_Root {
    int32_t depth = 0;
    int32_t Item_Number[DICOM_Max_Depth] = {};
    uint16_t Seq_Group[DICOM_Max_Depth] = {};
    uint16_t Seq_Element[DICOM_Max_Depth] = {};
    uint16_t Seq_Flags[DICOM_Max_Depth] = {};
};
