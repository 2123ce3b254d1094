// The single elements of a DICOMDIR (explicit VR little endian), laid out by the library's encoder,
// and their sizes.
#include "dicom/byte_order.h"
#include "dicom/encoder.h"
#include "dicom/vr.h"
#include "dirscan/dicomdir_writer.h"

namespace {

constexpr int Little_Endian = 8;
constexpr std::size_t Gather_Block = 64 * 1024;

uint32_t even(uint32_t length) { return length + (length & 1); }

template <std::size_t N>
void append(std::vector<uint8_t>& out, const std::array<uint8_t, N>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
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

void DICOMDIR_Out::spill() {
    if (bytes.size() >= Gather_Block) flush();
}

void DICOMDIR_Out::flush() {
    if (bytes.empty()) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    bytes.clear();
}

void DICOMDIR_Write_Element(DICOMDIR_Out& out, uint16_t element, uint16_t vr, uint32_t number) {
    if (vr == VR_SQ) {
        DICOM_Append_Header(out.bytes, Little_Endian, 0x0004, element, vr, 0xFFFFFFFFu);
    } else if (vr == VR_Code("UL")) {
        DICOM_Append_Header(out.bytes, Little_Endian, 0x0004, element, vr, 4);
        append(out.bytes, DICOM_Write_32(Little_Endian, number));
    } else {
        DICOM_Append_Header(out.bytes, Little_Endian, 0x0004, element, vr, 2);
        append(out.bytes, DICOM_Write_16(Little_Endian, static_cast<uint16_t>(number)));
    }
    out.spill();
}

void DICOMDIR_Write_Element(DICOMDIR_Out& out, uint16_t element, uint16_t vr, std::string_view value) {
    DICOM_Append_Header(out.bytes, Little_Endian, 0x0004, element, vr, even(static_cast<uint32_t>(value.size())));
    DICOM_Append_Value(out.bytes, vr, reinterpret_cast<const uint8_t*>(value.data()), value.size(), false, true);
    out.spill();
}

void DICOMDIR_Append_Tag(std::vector<uint8_t>& bytes, const Dir_Tag& attribute) {
    if (!writable(attribute)) return;
    if (attribute.encoded) {
        bytes.insert(bytes.end(), attribute.data, attribute.data + attribute.length);
    } else {
        const uint16_t vr = DICOMDIR_Record_VR(attribute);
        const auto length = static_cast<uint32_t>(attribute.length);
        DICOM_Append_Header(bytes, Little_Endian, attribute.group, attribute.element, vr, even(length));
        // Values read from a big-endian file: each number's bytes in little-endian order.
        DICOM_Append_Value(bytes, vr, attribute.data, length, (attribute.syntax & 1) != 0, true);
    }
}

void DICOMDIR_Write_Tag(DICOMDIR_Out& out, const Dir_Tag& attribute) {
    DICOMDIR_Append_Tag(out.bytes, attribute);
    out.spill();
}

void DICOMDIR_Write_Delimiter(DICOMDIR_Out& out, uint16_t element) {
    DICOM_Append_Item_Tag(out.bytes, Little_Endian, element, element == 0xE000 ? 0xFFFFFFFFu : 0);
    out.spill();
}

uint32_t DICOMDIR_Tag_Size(const Dir_Tag& attribute) {
    if (!writable(attribute)) return 0;
    if (attribute.encoded) return static_cast<uint32_t>(attribute.length);
    const uint16_t vr = DICOMDIR_Record_VR(attribute);
    return DICOM_Header_Size(Little_Endian, vr) + even(static_cast<uint32_t>(attribute.length));
}

uint32_t DICOMDIR_Reference_Size(const Dir_Reference& reference) {
    if (reference.empty()) return 0;
    return DICOM_Header_Size(Little_Endian, VR_Code("UI")) + even(static_cast<uint32_t>(reference.length));
}
