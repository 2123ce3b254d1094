// Turning the reader's flat element list into a nested, checked data set, and completing it
// with dictionary entries, descriptions and private definitions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "dicom/tag.h"
#include "util/log.h"

// Nests the flat list: sequences and items opened and closed from the item and delimitation
// tags and from defined lengths; tag order, explicit VRs, retired and private marks checked.
// The checks set flag bits and VR fields on the input. nullopt for an empty input or when an
// element cannot be inserted. With take_values, the values and descriptions move out of flat
// instead of being copied: for a caller that drops flat afterwards.
std::optional<DICOM_Tag_List> DICOM_Attribute_Format(Win_Handle window, DICOM_Tag_List& flat,
                                                     bool take_values = false);
// A private data element that a kept subset left out, and where it stood: before the element
// at index `before` of the formatted set's top level.
struct Left_Out_Private {
    uint32_t before;
    uint16_t group;
    uint16_t element;
};

// Elements the reader passed over (Format_Skip_Guide), in file order: a run of one private
// block's data elements (element 1000H and above), or of one public group's elements, with
// nothing else between them, or a single element; it stood before the flat list's element at
// index `before` (its size: after the last). Only private runs are noted as left out.
struct Format_Skipped {
    uint32_t before;
    uint32_t count;  // elements in the run
    uint16_t group;
    uint16_t first;  // the first element of the run, and the last
    uint16_t last;
};
// Whether element b continues a run of one private block's data elements that a ends.
inline bool DICOM_Same_Private_Run(uint16_t group_a, uint16_t element_a, uint16_t group_b, uint16_t element_b) {
    return group_a == group_b && element_a >> 8 == element_b >> 8 && element_a >= 0x1000 && element_b >= 0x1000;
}

// Adds an element passed over before flat[before], to the last run when it continues it.
// (Inline: the reader calls it for every element it passes over.)
[[gnu::always_inline]] inline void Format_Skipped_Add(std::vector<Format_Skipped>& skipped, uint32_t before,
                                                     uint16_t group, uint16_t element) {
    if (!skipped.empty()) {
        Format_Skipped& run = skipped.back();
        const bool continues = (group & 1) ? DICOM_Same_Private_Run(run.group, run.last, group, element) : run.group == group;
        if (run.before == before && continues) {
            ++run.count;
            run.last = element;
            return;
        }
    }
    skipped.push_back({before, 1, group, element, element});
}

// The same, built in storage's room (its elements dropped first): a caller that formats file
// after file hands back the previous result instead of allocating a new list each time.
// keep, when given: the tags (group << 16 | element, ascending) that the caller uses at the top
// level. Other plain, even-group elements there are checked as usual but left out of the result
// (which may then be empty); sequences, item tags and everything nested stay. So do private
// elements, unless left_private is given: then private data elements are left out too and listed
// there, for DICOM_Attribute_Complement (private creators always stay); of a run of one block's
// elements with nothing kept between them, the first. skipped: with keep and left_private, the
// private data elements the reader passed over, in file order; they are left out as if in flat.
std::optional<DICOM_Tag_List> DICOM_Attribute_Format(Win_Handle window, DICOM_Tag_List& flat, bool take_values,
                                                     DICOM_Tag_List storage,
                                                     const std::vector<uint32_t>* keep = nullptr,
                                                     std::vector<Left_Out_Private>* left_private = nullptr,
                                                     std::span<const Format_Skipped> skipped = {});

// Whether the format pass keeps an explicit VR as read: the VRs a stream of its time could hold.
// (Inline: checked once per element read.)
namespace format_detail {
inline constexpr std::array<bool, 26 * 26> Allowed_In_Stream = [] {
    constexpr const char* allowed[] = {"AE", "AS", "AT", "CS", "DA", "DS", "DT", "FD", "FL",
                                       "IS", "LO", "LT", "OB", "OW", "PN", "SH", "SL", "SQ",
                                       "SS", "ST", "TM", "UI", "UL", "UN", "US"};
    std::array<bool, 26 * 26> table{};
    for (const char* code : allowed) table[(code[0] - 'A') * 26 + (code[1] - 'A')] = true;
    return table;
}();
}  // namespace format_detail

inline bool DICOM_VR_Allowed_In_Stream(uint16_t vr) {
    const unsigned first = (vr >> 8) - 'A';
    const unsigned second = (vr & 0xFFu) - 'A';
    return first < 26 && second < 26 && format_detail::Allowed_In_Stream[first * 26 + second];
}

// Completes the data set in place, recursing into items. Returns the number of failed
// elements (always 0). left: the private elements DICOM_Attribute_Format left out of list; each
// block's creator is looked up where they stood, with what loading its definitions reports, as
// if they were there.
int DICOM_Attribute_Complement(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& list,
                               const std::vector<Left_Out_Private>* left = nullptr);

// Vendor groups 1000 and 7F00-7FDF. Return 1.
int SPI_Complement_1000(Win_Handle window, DICOM_Tag* node);
int SPI_Complement_7Fxx(Win_Handle window, DICOM_Tag* node);

// Formats a description into node (a non-empty text replaces it, an empty one removes it);
// vr, when not 0, becomes its vr_def. Returns 1.
int DICOM_Attribute_Describe(Win_Handle window, DICOM_Tag* node, uint16_t vr, const char* format, ...)
    LOG_PRINTF_FORMAT(4, 5);
