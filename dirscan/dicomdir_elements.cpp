// Encoding of the single elements of a DICOMDIR (explicit VR little endian) and their sizes.
#include <algorithm>
#include <array>
#include <cstring>

#include "dicom/byte_order.h"
#include "dicom/vr.h"
#include "dirscan/dicomdir_writer.h"

namespace {

constexpr int Little_Endian = 8;

uint32_t even(uint32_t length) { return length + (length & 1); }

constexpr std::size_t Gather_Block = 64 * 1024;

void put(DICOMDIR_Out out, const void* bytes, std::size_t count) { out.put(bytes, count); }

// An element header gathered in memory, written with one call.
class Header_Bytes {
public:
    Header_Bytes& u16(uint16_t value) { return add(DICOM_Write_16(Little_Endian, value)); }
    Header_Bytes& u32(uint32_t value) { return add(DICOM_Write_32(Little_Endian, value)); }
    Header_Bytes& vr(uint16_t code) {
        bytes_[size_++] = static_cast<uint8_t>(code >> 8);
        bytes_[size_++] = static_cast<uint8_t>(code & 0xFF);
        return *this;
    }
    uint32_t put(DICOMDIR_Out out) const {
        ::put(out, bytes_.data(), size_);
        return static_cast<uint32_t>(size_);
    }

private:
    template <std::size_t N>
    Header_Bytes& add(const std::array<uint8_t, N>& bytes) {
        std::memcpy(bytes_.data() + size_, bytes.data(), N);
        size_ += N;
        return *this;
    }
    std::array<uint8_t, 16> bytes_{};
    std::size_t size_ = 0;
};

// UIDs and binary values are padded with a zero byte, texts with a space.
char pad_byte(uint16_t vr) {
    switch (vr) {
    case VR_Code("UI"): case VR_Code("OB"): case VR_Code("UN"):
        return '\0';
    default:
        return ' ';
    }
}

// Header of an explicit VR element: 12 bytes for the long-length VRs, else 8.
Header_Bytes header_bytes(uint16_t group, uint16_t element, uint16_t vr, uint32_t length) {
    Header_Bytes bytes;
    bytes.u16(group).u16(element).vr(vr);
    if (VR_Has_Long_Length(vr)) bytes.u16(0).u32(length);
    else bytes.u16(static_cast<uint16_t>(length));
    return bytes;
}

uint32_t put_header(DICOMDIR_Out file, uint16_t group, uint16_t element, uint16_t vr, uint32_t length) {
    return header_bytes(group, element, vr, length).put(file);
}

// Width of the numbers a binary VR holds (their bytes need turning around from big endian), 0 for
// texts and byte strings.
std::size_t number_width(uint16_t vr) {
    switch (vr) {
    case VR_Code("US"): case VR_Code("SS"): case VR_Code("OW"): case VR_Code("AT"):
        return 2;
    case VR_Code("UL"): case VR_Code("SL"): case VR_Code("FL"): case VR_Code("OF"): case VR_Code("OL"):
        return 4;
    case VR_Code("FD"): case VR_Code("OD"): case VR_Code("SV"): case VR_Code("UV"): case VR_Code("OV"):
        return 8;
    default:
        return 0;
    }
}

// A configured attribute can go into a record when its value is in memory and its length field
// holds its even length. Sequence items are not kept in the tree, so a sequence could only be
// written as an empty shell: left out.
bool writable(const Dir_Tag& attribute) {
    if (attribute.encoded) return attribute.data != nullptr && attribute.length > 0;
    if (attribute.empty() || !attribute.loaded() || attribute.length < 0) return false;
    const uint16_t vr = DICOMDIR_Record_VR(attribute);
    return vr != VR_SQ && (VR_Has_Long_Length(vr) || attribute.length <= 0xFFFE);
}

}  // namespace

uint16_t DICOMDIR_Record_VR(const Dir_Tag& attribute) {
    const uint16_t vr = attribute.effective_vr();
    if (vr == VR_OX) return VR_OB;
    const auto letter = [](int c) { return c >= 'A' && c <= 'Z'; };
    if (vr == VR_RT || !letter(vr >> 8) || !letter(vr & 0xFF)) return VR_UN;
    return vr;
}

void DICOMDIR_Out::put(const void* bytes, std::size_t count) {
    if (gather == nullptr) {
        std::fwrite(bytes, 1, count, file);
        return;
    }
    const auto* first = static_cast<const uint8_t*>(bytes);
    gather->insert(gather->end(), first, first + count);
    if (gather->size() >= Gather_Block) flush();
}

void DICOMDIR_Out::flush() {
    if (gather == nullptr || gather->empty()) return;
    std::fwrite(gather->data(), 1, gather->size(), file);
    gather->clear();
}

uint32_t DICOMDIR_Write_Element(DICOMDIR_Out file, uint16_t group, uint16_t element, uint16_t vr, uint32_t length,
                                uint32_t number) {
    if (vr == VR_SQ) return Header_Bytes().u16(group).u16(element).vr(vr).u16(0).u32(0xFFFFFFFF).put(file);
    Header_Bytes bytes = header_bytes(group, element, vr, length);
    if (length != 0) {
        if (vr == VR_Code("UL")) bytes.u32(number);
        else bytes.u16(static_cast<uint16_t>(number));
    }
    return bytes.put(file);
}

uint32_t DICOMDIR_Write_Element(DICOMDIR_Out file, uint16_t group, uint16_t element, uint16_t vr,
                                std::string_view value) {
    const auto length = static_cast<uint32_t>(value.size());
    const uint32_t header = put_header(file, group, element, vr, even(length));
    put(file, value.data(), value.size());
    if (length & 1) {
        const char pad = pad_byte(vr);
        put(file, &pad, 1);
    }
    return header + even(length);
}

uint32_t DICOMDIR_Write_Tag(DICOMDIR_Out file, const Dir_Tag& attribute) {
    if (!writable(attribute)) return 0;
    if (attribute.encoded) {
        put(file, attribute.data, static_cast<std::size_t>(attribute.length));
        return static_cast<uint32_t>(attribute.length);
    }
    const uint16_t vr = DICOMDIR_Record_VR(attribute);
    const auto length = static_cast<uint32_t>(attribute.length);
    const uint32_t header = put_header(file, attribute.group, attribute.element, vr, even(length));
    const std::size_t width = number_width(vr);
    if ((attribute.syntax & 1) && width > 1) {
        // Values read from a big-endian file: each number's bytes in little-endian order.
        std::vector<uint8_t> bytes(attribute.data, attribute.data + length);
        for (std::size_t at = 0; at + width <= bytes.size(); at += width)
            std::reverse(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + width));
        put(file, bytes.data(), bytes.size());
    } else if (length > 0) {
        put(file, attribute.data, length);
    }
    if (length & 1) {
        const char pad = pad_byte(vr);
        put(file, &pad, 1);
    }
    return header + even(length);
}

uint32_t DICOMDIR_Write_Delimiter(DICOMDIR_Out file, uint16_t group, uint16_t element) {
    return Header_Bytes().u16(group).u16(element).u32(element == 0xE000 ? 0xFFFFFFFF : 0).put(file);
}

uint32_t DICOMDIR_Tag_Size(const Dir_Tag& attribute) {
    if (!writable(attribute)) return 0;
    if (attribute.encoded) return static_cast<uint32_t>(attribute.length);
    return (VR_Has_Long_Length(DICOMDIR_Record_VR(attribute)) ? 12 : 8) + even(static_cast<uint32_t>(attribute.length));
}

uint32_t DICOMDIR_Reference_Size(const Dir_Tag& attribute) {
    if (attribute.empty() || !attribute.loaded() || attribute.length < 0) return 0;
    return 8 + even(static_cast<uint32_t>(attribute.length));
}
