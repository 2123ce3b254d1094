// Stand-in for the full record type table (see record_types_stub.h).
#include "dirscan/record_types_stub.h"

namespace {

using K = Record_Key;
constexpr K image_keys[] = {{0x0020, 0x0013, 1}};
constexpr K rt_dose_keys[] = {{0x0020, 0x0013, 1}, {0x3004, 0x000A, 1}};
constexpr K rt_structure_set_keys[] = {{0x0020, 0x0013, 1}, {0x3006, 0x0002, 1}, {0x3006, 0x0008, 2},
                                       {0x3006, 0x0009, 2}};
constexpr K rt_plan_keys[] = {{0x0020, 0x0013, 1}, {0x300A, 0x0002, 1}, {0x300A, 0x0006, 2}, {0x300A, 0x0007, 2}};
constexpr K presentation_keys[] = {{0x0020, 0x0013, 1}, {0x0070, 0x0080, 1}, {0x0070, 0x0081, 2},
                                   {0x0070, 0x0082, 1}, {0x0070, 0x0083, 1}, {0x0070, 0x0084, 2}};
constexpr K waveform_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 1}};
constexpr K sr_document_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 1},
                                  {0x0040, 0xA043, 1, true}, {0x0040, 0xA491, 1}, {0x0040, 0xA493, 1}};
constexpr K key_object_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 1},
                                 {0x0040, 0xA043, 1, true}};
constexpr K encap_doc_keys[] = {{0x0008, 0x0023, 2}, {0x0008, 0x0033, 2}, {0x0020, 0x0013, 1},
                                {0x0040, 0xA043, 2, true}, {0x0042, 0x0010, 2}, {0x0042, 0x0012, 1}};
constexpr K palette_keys[] = {{0x0070, 0x0080, 1}, {0x0070, 0x0081, 2}};

using N = std::string_view;
constexpr N series_lower[] = {"IMAGE", "RT DOSE", "RT STRUCTURE SET", "RT PLAN", "PRESENTATION", "WAVEFORM",
                              "SR DOCUMENT", "KEY OBJECT DOC", "ENCAP DOC"};
constexpr Record_Type Types[] = {
    {"SERIES", {}, series_lower},
    {"IMAGE", image_keys, {}},
    {"RT DOSE", rt_dose_keys, {}},
    {"RT STRUCTURE SET", rt_structure_set_keys, {}},
    {"RT PLAN", rt_plan_keys, {}},
    {"PRESENTATION", presentation_keys, {}},
    {"WAVEFORM", waveform_keys, {}},
    {"SR DOCUMENT", sr_document_keys, {}},
    {"KEY OBJECT DOC", key_object_keys, {}},
    {"ENCAP DOC", encap_doc_keys, {}},
    {"PALETTE", palette_keys, {}},
};

struct Row {
    std::string_view uid;  // ending in '.': a family of classes
    std::string_view type;
};
constexpr Row Rows[] = {
    {"1.2.840.10008.5.1.4.1.1.88.59", "KEY OBJECT DOC"},  {"1.2.840.10008.5.1.4.1.1.88.", "SR DOCUMENT"},
    {"1.2.840.10008.5.1.4.1.1.11.", "PRESENTATION"},      {"1.2.840.10008.5.1.4.1.1.9.", "WAVEFORM"},
    {"1.2.840.10008.5.1.4.1.1.104.", "ENCAP DOC"},        {"1.2.840.10008.5.1.4.1.1.481.2", "RT DOSE"},
    {"1.2.840.10008.5.1.4.1.1.481.3", "RT STRUCTURE SET"}, {"1.2.840.10008.5.1.4.1.1.481.5", "RT PLAN"},
    {"1.2.840.10008.5.1.4.39.1", "PALETTE"},
};

}  // namespace

std::span<const Record_Type> Record_Types() { return Types; }

const Record_Type* Record_Type_Find(std::string_view name) {
    for (const Record_Type& type : Types)
        if (type.name == name) return &type;
    return nullptr;
}

const Record_Type& Record_Type_For_SOP_Class(std::string_view uid) {
    for (const Row& row : Rows)
        if (row.uid == uid || (row.uid.back() == '.' && uid.starts_with(row.uid))) return *Record_Type_Find(row.type);
    return *Record_Type_Find("IMAGE");
}
