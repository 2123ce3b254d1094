// The value representations: one table of what the reader, the encoder, the value cleanup, the
// value check and the DICOMDIR writer need to know of each VR.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "dicom/tag.h"

// Which bytes a text VR takes.
enum class VR_Chars : uint8_t {
    None,       // not text: numbers or bytes
    Listed,     // only the bytes of the VR's set
    Printable,  // printable ASCII
    Text,       // anything but control characters, ESC excepted (character set switches)
    Lines,      // Text, plus tab, line feed, form feed and carriage return
};

struct VR_Traits {
    uint16_t code;
    bool long_length;   // explicit VR header of 12 bytes (two reserved, 32-bit length), else 8
    uint8_t swap;       // bytes turned around per unit between the byte orders; 1: copied as held
    uint8_t width;      // numbers and tags: bytes per value, the length a multiple of it; 0 otherwise
    bool one_value;     // numbers that count as one value whatever their length (OW, OF, ...)
    char pad;           // appended to an odd length
    VR_Chars chars;
    const char* set;    // VR_Chars::Listed: the bytes allowed
    bool multiple;      // texts: "\" separates values
    uint16_t min, max;  // texts: bytes per value; max 0: no limit below the length field's

    constexpr bool binary() const { return chars == VR_Chars::None; }
};

namespace vr_detail {

constexpr VR_Traits text(const char (&code)[3], VR_Chars chars, const char* set, bool multiple, uint16_t min,
                         uint16_t max, bool long_length = false, char pad = ' ') {
    return {VR_Code(code), long_length, 1, 0, false, pad, chars, set, multiple, min, max};
}
constexpr VR_Traits numbers(const char (&code)[3], uint8_t width, uint8_t swap, bool one_value, bool long_length) {
    return {VR_Code(code), long_length, swap, width, one_value, '\0', VR_Chars::None, nullptr, false, 0, 0};
}
constexpr VR_Traits bytes(const char (&code)[3]) {
    return {VR_Code(code), true, 1, 0, false, '\0', VR_Chars::None, nullptr, false, 0, 0};
}

using C = VR_Chars;
inline constexpr std::array<VR_Traits, 34> Table = {{
    text("AE", C::Printable, nullptr, true, 0, 16),
    text("AS", C::Listed, "0123456789DWMY", true, 4, 4),
    numbers("AT", 4, 2, false, false),  // a tag: two 16-bit numbers
    text("CS", C::Listed, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ ", true, 0, 16),
    text("DA", C::Listed, "0123456789", true, 8, 8),
    text("DS", C::Listed, "0123456789+-Ee. ", true, 0, 16),
    text("DT", C::Listed, "0123456789+-. ", true, 0, 26),
    numbers("FD", 8, 8, false, false),
    numbers("FL", 4, 4, false, false),
    text("IS", C::Listed, "0123456789+- ", true, 0, 12),
    text("LO", C::Text, nullptr, true, 0, 64),
    text("LT", C::Lines, nullptr, false, 0, 10240),
    bytes("OB"),
    numbers("OD", 8, 8, true, true),
    numbers("OF", 4, 4, true, true),
    numbers("OL", 4, 4, true, true),
    numbers("OV", 8, 8, true, true),
    numbers("OW", 2, 2, true, true),
    text("PN", C::Text, nullptr, true, 0, 320),  // the groups' 64 characters are checked on their own
    text("SH", C::Text, nullptr, true, 0, 16),
    numbers("SL", 4, 4, false, false),
    bytes("SQ"),
    numbers("SS", 2, 2, false, false),
    text("ST", C::Lines, nullptr, false, 0, 1024),
    numbers("SV", 8, 8, false, true),
    text("TM", C::Listed, "0123456789. ", true, 0, 16),
    text("UC", C::Text, nullptr, true, 0, 0, true),
    text("UI", C::Listed, "0123456789.", true, 0, 64, false, '\0'),
    numbers("UL", 4, 4, false, false),
    bytes("UN"),
    text("UR", C::Printable, nullptr, false, 0, 0, true),
    numbers("US", 2, 2, false, false),
    text("UT", C::Lines, nullptr, false, 0, 0, true),
    numbers("UV", 8, 8, false, true),
}};

// Row of each pair of capital letters in Table, or Table.size().
inline constexpr std::array<uint8_t, 26 * 26> Index = [] {
    std::array<uint8_t, 26 * 26> index{};
    index.fill(static_cast<uint8_t>(Table.size()));
    for (std::size_t i = 0; i < Table.size(); ++i)
        index[static_cast<std::size_t>(((Table[i].code >> 8) - 'A') * 26 + ((Table[i].code & 0xFF) - 'A'))] =
            static_cast<uint8_t>(i);
    return index;
}();

}  // namespace vr_detail

inline constexpr const std::array<VR_Traits, 34>& VR_Table = vr_detail::Table;

// The row of vr; nullptr for codes that are no VR of the standard (the library's own OX, RT, ...).
constexpr const VR_Traits* VR_Find(uint16_t vr) {
    const int first = (vr >> 8) - 'A', second = (vr & 0xFF) - 'A';
    if (first < 0 || first >= 26 || second < 0 || second >= 26) return nullptr;
    const uint8_t row = vr_detail::Index[static_cast<std::size_t>(first * 26 + second)];
    return row < VR_Table.size() ? &VR_Table[row] : nullptr;
}

constexpr bool VR_Has_Long_Length(uint16_t vr) {
    const VR_Traits* traits = VR_Find(vr);
    return traits != nullptr && traits->long_length;
}

// Bytes per unit that change places between little and big endian; 1 for texts, bytes and
// codes that are no VR.
constexpr std::size_t VR_Swap_Unit(uint16_t vr) {
    const VR_Traits* traits = VR_Find(vr);
    return traits != nullptr ? traits->swap : 1;
}

// The byte that pads an odd length: zero for UIDs and binary values, a space for texts and for
// codes that are no VR.
constexpr char VR_Pad_Byte(uint16_t vr) {
    const VR_Traits* traits = VR_Find(vr);
    return traits != nullptr ? traits->pad : ' ';
}
