// Element encoder: header by transfer-syntax code and VR, value bytes little endian as held or
// swapped unit by unit for big endian, sequences with undefined lengths. The pieces serve the
// DICOMDIR writer too.
#include "dicom/encoder.h"

#include <algorithm>
#include <new>

#include "dicom/byte_order.h"
#include "dicom/library_warning.h"
#include "dicom/vr.h"
#include "dicom/warning.h"

namespace {

constexpr const char* Source_Name = "Prog_Lib/Corvanthis_DICOM/NEMA_Write_Buffer";
constexpr uint16_t Item_Group = 0xFFFE;
constexpr uint16_t Item_Start = 0xE000;
constexpr uint16_t Item_End = 0xE00D;
constexpr uint16_t Sequence_End = 0xE0DD;
constexpr uint32_t Undefined = 0xFFFFFFFFu;

bool explicit_vr(int code) { return (code & 8) != 0; }
bool big_endian(int code) { return (code & 1) != 0; }

// The VR written for node: an element known by neither the stream nor the dictionary is UN.
uint16_t written_vr(const DICOM_Tag& node) { return node.effective_vr() != 0 ? node.effective_vr() : VR_UN; }

// Why a non-sequence element cannot be encoded faithfully, or nullptr when it can.
const char* unencodable(int code, const DICOM_Tag& node) {
    if (node.length < 0) return "has an undefined length";
    if (node.length > 0 && node.data.size() < static_cast<std::size_t>(node.length))
        return node.has_data() ? "holds fewer bytes than its length" : "has no value in memory";
    if (explicit_vr(code) && !VR_Has_Long_Length(written_vr(node)) && node.length > 0xFFFF)
        return "is too long for a 16-bit length";
    return nullptr;
}

template <std::size_t N>
void append(std::vector<uint8_t>& out, const std::array<uint8_t, N>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Item delimiters and item tags kept in a read data set are written by the sequence encoder itself.
bool is_item_tag(const DICOM_Tag& node) { return node.group == Item_Group; }

uint32_t encoded_size(int code, const DICOM_Tag& node);

uint32_t items_size(int code, const DICOM_Tag& node) {
    uint32_t size = 0;
    for (const DICOM_Tag_List& item : node.item) {
        if (item.empty()) break;  // an unfilled slot ends the items
        size += 8 + 8;
        for (const DICOM_Tag& child : item)
            if (!is_item_tag(child)) size += encoded_size(code, child);
    }
    return size;
}

uint32_t encoded_size(int code, const DICOM_Tag& node) {
    const uint16_t vr = written_vr(node);
    if (vr == VR_SQ) return DICOM_Header_Size(code, vr) + items_size(code, node) + 8;
    if (unencodable(code, node)) return 0;
    return DICOM_Header_Size(code, vr) + static_cast<uint32_t>(node.length);
}

void append_header(std::vector<uint8_t>& out, int code, const DICOM_Tag& node, uint32_t length) {
    DICOM_Append_Header(out, code, node.group, node.element, written_vr(node), length);
}

void append_element(Win_Handle window, int code, const DICOM_Tag& node, std::vector<uint8_t>& out);

void append_sequence(Win_Handle window, int code, const DICOM_Tag& node, std::vector<uint8_t>& out) {
    append_header(out, code, node, Undefined);
    for (const DICOM_Tag_List& item : node.item) {
        if (item.empty()) break;
        DICOM_Append_Item_Tag(out, code, Item_Start, Undefined);
        for (const DICOM_Tag& child : item)
            if (!is_item_tag(child)) append_element(window, code, child, out);
        DICOM_Append_Item_Tag(out, code, Item_End, 0);
    }
    DICOM_Append_Item_Tag(out, code, Sequence_End, 0);
}

void append_element(Win_Handle window, int code, const DICOM_Tag& node, std::vector<uint8_t>& out) {
    if (written_vr(node) == VR_SQ) {
        append_sequence(window, code, node, out);
        return;
    }
    if (const char* why = unencodable(code, node)) {
        DICOM_Warning(window, DICOM_TAG_FORMAT " %s: left out (length %d)",
                    node.group, node.element, why, static_cast<int>(node.length));
        return;
    }
    append_header(out, code, node, static_cast<uint32_t>(node.length));
    if (node.length > 0)
        DICOM_Append_Value(out, written_vr(node), node.data.data(), static_cast<std::size_t>(node.length),
                           big_endian(code), false);
    Log_Message(window, LOG_TRACE_5, "tag (%04x,%04x) = %d bytes tot, %d bytes data", node.group, node.element,
                static_cast<int>(DICOM_Header_Size(code, written_vr(node))), static_cast<int>(node.length));
}

}  // namespace

uint32_t DICOM_Header_Size(int code, uint16_t vr) { return explicit_vr(code) && VR_Has_Long_Length(vr) ? 12 : 8; }

void DICOM_Append_Header(std::vector<uint8_t>& out, int code, uint16_t group, uint16_t element, uint16_t vr,
                         uint32_t length) {
    // Laid out here and appended at once: a DICOMDIR's records call this for every element.
    std::array<uint8_t, 12> header{};
    std::size_t size = 0;
    const auto put = [&](const auto& bytes) {
        std::copy(bytes.begin(), bytes.end(), header.begin() + static_cast<std::ptrdiff_t>(size));
        size += bytes.size();
    };
    put(DICOM_Write_16(code, group));
    put(DICOM_Write_16(code, element));
    if (!explicit_vr(code)) {
        put(DICOM_Write_32(code, length));
    } else {
        put(std::array<uint8_t, 2>{static_cast<uint8_t>(vr >> 8), static_cast<uint8_t>(vr & 0xFF)});
        if (VR_Has_Long_Length(vr)) {
            put(std::array<uint8_t, 2>{0, 0});
            put(DICOM_Write_32(code, length));
        } else {
            put(DICOM_Write_16(code, static_cast<uint16_t>(length)));
        }
    }
    out.insert(out.end(), header.begin(), header.begin() + static_cast<std::ptrdiff_t>(size));
}

void DICOM_Append_Item_Tag(std::vector<uint8_t>& out, int code, uint16_t element, uint32_t length) {
    append(out, DICOM_Write_16(code, Item_Group));
    append(out, DICOM_Write_16(code, element));
    append(out, DICOM_Write_32(code, length));
}

void DICOM_Append_Value(std::vector<uint8_t>& out, uint16_t vr, const uint8_t* data, std::size_t length, bool swap,
                        bool pad) {
    const std::size_t start = out.size();
    if (length > 0) out.insert(out.end(), data, data + length);
    const std::size_t unit = swap ? VR_Swap_Unit(vr) : 1;
    if (unit > 1)
        for (std::size_t at = start; at + unit <= out.size(); at += unit)
            std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at), out.begin() + static_cast<std::ptrdiff_t>(at + unit));
    if (pad && (length & 1)) out.push_back(static_cast<uint8_t>(VR_Pad_Byte(vr)));
}

std::vector<uint8_t> DICOM_Attribute_To_Str(Win_Handle window, int code, const DICOM_Tag& node) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_To_Str(%04x,%04x)", node.group, node.element);
    std::vector<uint8_t> out;
    const uint32_t size = encoded_size(code, node);
    if (size == 0) {
        append_element(window, code, node, out);  // reports why it is left out
        return {};
    }
    try {
        out.reserve(size);
        append_element(window, code, node, out);
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_Name, "malloc", "buffer", static_cast<long>(size), 1);
        return {};
    }
    return out;
}
