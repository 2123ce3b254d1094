// Group encoding and the Part-10 head.
#include "dicom/part10.h"

#include <algorithm>
#include <new>

#include "dicom/byte_order.h"
#include "dicom/encoder.h"

namespace {

constexpr const char* Source_Name = "Prog_Lib/Corvanthis_DICOM/NEMA_Write_Buffer";
constexpr std::size_t Preamble_Size = 128;
constexpr int Meta_Code = 8;  // the file meta information is always explicit VR little endian
constexpr uint16_t Meta_Group = 0x0002;

}  // namespace

std::vector<uint8_t> DICOM_Write_Group(Win_Handle window, uint16_t group, int code, const DICOM_Tag_List& list) {
    Log_Message(window, LOG_TRACE_4, "in DICOM_Write_Group(%04x)", group);
    std::vector<uint8_t> out;
    for (const DICOM_Tag& node : list) {
        if (node.group < group) continue;
        if (node.group > group) break;
        const std::vector<uint8_t> bytes = DICOM_Attribute_To_Str(window, code, node);
        try {
            out.insert(out.end(), bytes.begin(), bytes.end());
        } catch (const std::bad_alloc&) {
            Log_Memory_Error(window, __LINE__, Source_Name, "realloc", "*buffer",
                             static_cast<long>(out.size() + bytes.size()), 1);
            return {};
        }
    }
    return out;
}

std::vector<uint8_t> DICOM_Write_Group_Length(Win_Handle window, uint16_t group, int code, uint32_t length) {
    DICOM_Tag node;
    node.group = group;
    node.element = 0x0000;
    node.vr = VR_Code("UL");
    node.syntax = 8;
    const auto value = DICOM_Write_32(0, length);  // held little endian, as every value
    node.data.assign(value.begin(), value.end());
    node.length = 4;
    return DICOM_Attribute_To_Str(window, code, node);
}

std::vector<uint8_t> DICOM_Write_Part10(Win_Handle window, int /*code*/, const DICOM_Tag_List& list) {
    Log_Message(window, LOG_TRACE_3, "in DICOM_Write_Part10()");
    std::vector<uint8_t> head;
    try {
        head.assign(Preamble_Size + 4, 0);
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_Name, "calloc", "*buffer", Preamble_Size + 4, 1);
        return {};
    }
    const char magic[] = "DICM";
    std::copy(magic, magic + 4, head.begin() + Preamble_Size);
    const std::vector<uint8_t> meta = DICOM_Write_Group(window, Meta_Group, Meta_Code, list);
    if (meta.empty()) return head;
    const std::vector<uint8_t> group_length =
        DICOM_Write_Group_Length(window, Meta_Group, Meta_Code, static_cast<uint32_t>(meta.size()));
    try {
        head.insert(head.end(), group_length.begin(), group_length.end());
        head.insert(head.end(), meta.begin(), meta.end());
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_Name, "realloc", "*buffer",
                         static_cast<long>(head.size() + group_length.size() + meta.size()), 1);
        return {};
    }
    return head;
}
