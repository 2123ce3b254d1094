// The record types of DICOM media directories, their keys and their places in the hierarchy, and
// the record type each SOP class is filed under. The facts are the standard's (the Basic Directory
// information model and the definitions of its specific directory records); retired record types
// are left out, so a reader or checker treats them as unknown.
#include "dicom/record_types.h"


namespace {

using K = Record_Key;
constexpr bool SQ = true;

constexpr K patient_keys[] = {{0x0010, 0x0010, 2}, {0x0010, 0x0020, 1}};
constexpr K study_keys[] = {{0x0008, 0x0020, 1}, {0x0008, 0x0030, 1}, {0x0008, 0x0050, 2},
                            {0x0008, 0x1030, 2}, {0x0020, 0x0010, 1}};
constexpr K series_keys[] = {{0x0008, 0x0060, 1}, {0x0020, 0x000E, 1}, {0x0020, 0x0011, 1}};
constexpr K instance_number_keys[] = {{0x0020, 0x0013, 1}};
constexpr K rt_dose_keys[] = {{0x0020, 0x0013, 1}, {0x3004, 0x000A, 1}};
constexpr K rt_structure_set_keys[] = {{0x0020, 0x0013, 1}, {0x3006, 0x0002, 1}, {0x3006, 0x0008, 2},
                                       {0x3006, 0x0009, 2}};
constexpr K rt_plan_keys[] = {{0x0020, 0x0013, 1}, {0x300A, 0x0002, 1}, {0x300A, 0x0006, 2},
                              {0x300A, 0x0007, 2}};
constexpr K rt_treat_record_keys[] = {{0x0020, 0x0013, 1}, {0x3008, 0x0250, 2}, {0x3008, 0x0251, 2}};
constexpr K presentation_keys[] = {{0x0020, 0x0013, 1}, {0x0070, 0x0080, 1}, {0x0070, 0x0081, 2},
                                   {0x0070, 0x0082, 1}, {0x0070, 0x0083, 1}, {0x0070, 0x0084, 2}};
constexpr K dated_instance_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 1}};
constexpr K sr_document_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 1},
                                  {0x0040, 0xA043, 1, SQ}, {0x0040, 0xA491, 1}, {0x0040, 0xA493, 1}};
constexpr K key_object_doc_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 1},
                                     {0x0040, 0xA043, 1, SQ}};
constexpr K spectroscopy_keys[] = {{0x0008, 0x0008, 1}, {0x0008, 0x0023, 1}, {0x0008, 0x0033, 1},
                                   {0x0020, 0x0013, 1}, {0x0028, 0x0008, 1}, {0x0028, 0x0010, 1},
                                   {0x0028, 0x0011, 1}, {0x0028, 0x9001, 1}, {0x0028, 0x9002, 1}};
constexpr K raw_data_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 2}};
// Content Date and Time with the content identification keys (number, label, description, creator).
constexpr K identified_content_keys[] = {{0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0020, 0x0013, 1},
                                         {0x0070, 0x0080, 1}, {0x0070, 0x0081, 2}, {0x0070, 0x0084, 2}};
constexpr K hanging_protocol_keys[] = {{0x0072, 0x0002, 1}, {0x0072, 0x0004, 1},     {0x0072, 0x0006, 1},
                                       {0x0072, 0x0008, 1}, {0x0072, 0x000A, 1},     {0x0072, 0x000C, 1, SQ},
                                       {0x0072, 0x000E, 2, SQ}, {0x0072, 0x0014, 1}};
constexpr K encap_doc_keys[] = {{0x0008, 0x0023, 2}, {0x0008, 0x0033, 2},    {0x0020, 0x0013, 1},
                                {0x0040, 0xA043, 2, SQ}, {0x0042, 0x0010, 2}, {0x0042, 0x0012, 1}};
constexpr K palette_keys[] = {{0x0070, 0x0080, 1}, {0x0070, 0x0081, 2}};
constexpr K implant_keys[] = {{0x0008, 0x0070, 1}, {0x0022, 0x1095, 1}, {0x0022, 0x1097, 1}};
constexpr K implant_assy_keys[] = {{0x0008, 0x0070, 1}, {0x0076, 0x0001, 1}, {0x0076, 0x0020, 1, SQ}};
constexpr K implant_group_keys[] = {{0x0078, 0x0001, 1}, {0x0078, 0x0024, 1}};
constexpr K radiotherapy_keys[] = {{0x0020, 0x0013, 1}, {0x0070, 0x0081, 2}, {0x0070, 0x0084, 2}};

using N = std::string_view;
constexpr N patient_lower[] = {"STUDY", "PRIVATE"};
constexpr N study_lower[] = {"SERIES", "PRIVATE"};
constexpr N series_lower[] = {"IMAGE", "RT DOSE", "RT STRUCTURE SET", "RT PLAN", "RT TREAT RECORD",
                              "PRESENTATION", "WAVEFORM", "SR DOCUMENT", "KEY OBJECT DOC", "SPECTROSCOPY",
                              "RAW DATA", "REGISTRATION", "FIDUCIAL", "ENCAP DOC", "VALUE MAP",
                              "STEREOMETRIC", "PLAN", "MEASUREMENT", "SURFACE", "SURFACE SCAN", "TRACT",
                              "ASSESSMENT", "RADIOTHERAPY", "ANNOTATION", "PRIVATE"};
constexpr N private_only[] = {"PRIVATE"};

constexpr Record_Type Types[] = {
    {"PATIENT", patient_keys, patient_lower},
    {"STUDY", study_keys, study_lower},
    {"SERIES", series_keys, series_lower},
    {"IMAGE", instance_number_keys, private_only},
    {"RT DOSE", rt_dose_keys, private_only},
    {"RT STRUCTURE SET", rt_structure_set_keys, private_only},
    {"RT PLAN", rt_plan_keys, private_only},
    {"RT TREAT RECORD", rt_treat_record_keys, private_only},
    {"PRESENTATION", presentation_keys, private_only},
    {"WAVEFORM", dated_instance_keys, private_only},
    {"SR DOCUMENT", sr_document_keys, private_only},
    {"KEY OBJECT DOC", key_object_doc_keys, private_only},
    {"SPECTROSCOPY", spectroscopy_keys, private_only},
    {"RAW DATA", raw_data_keys, private_only},
    {"REGISTRATION", identified_content_keys, private_only},
    {"FIDUCIAL", identified_content_keys, private_only},
    {"HANGING PROTOCOL", hanging_protocol_keys, private_only},
    {"ENCAP DOC", encap_doc_keys, private_only},
    {"VALUE MAP", identified_content_keys, private_only},
    {"STEREOMETRIC", {}, private_only},
    {"PALETTE", palette_keys, private_only},
    {"IMPLANT", implant_keys, private_only},
    {"IMPLANT ASSY", implant_assy_keys, private_only},
    {"IMPLANT GROUP", implant_group_keys, private_only},
    {"PLAN", {}, private_only},
    {"MEASUREMENT", identified_content_keys, private_only},
    {"SURFACE", identified_content_keys, private_only},
    {"SURFACE SCAN", identified_content_keys, private_only},
    {"TRACT", identified_content_keys, private_only},
    {"ASSESSMENT", dated_instance_keys, private_only},
    {"RADIOTHERAPY", radiotherapy_keys, private_only},
    {"ANNOTATION", identified_content_keys, private_only},
    {"PRIVATE", {}, private_only},
};

const Record_Type& Type_Named(std::string_view name) { return *Record_Type_Find(name); }

struct SOP_Row {
    std::string_view uid;  // a class, or with a final '.' a family of classes
    std::string_view type;
};
// Single classes first; the families below hold every class the standard numbers under them.
constexpr SOP_Row SOP_Rows[] = {
    {"1.2.840.10008.5.1.4.1.1.4.2", "SPECTROSCOPY"},
    {"1.2.840.10008.5.1.4.1.1.66", "RAW DATA"},
    {"1.2.840.10008.5.1.4.1.1.66.1", "REGISTRATION"},
    {"1.2.840.10008.5.1.4.1.1.66.2", "FIDUCIAL"},
    {"1.2.840.10008.5.1.4.1.1.66.3", "REGISTRATION"},
    {"1.2.840.10008.5.1.4.1.1.66.5", "SURFACE"},
    {"1.2.840.10008.5.1.4.1.1.66.6", "TRACT"},
    {"1.2.840.10008.5.1.4.1.1.67", "VALUE MAP"},
    {"1.2.840.10008.5.1.4.1.1.68.1", "SURFACE SCAN"},
    {"1.2.840.10008.5.1.4.1.1.68.2", "SURFACE SCAN"},
    {"1.2.840.10008.5.1.4.1.1.77.1.5.3", "STEREOMETRIC"},
    {"1.2.840.10008.5.1.4.1.1.78.1", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.78.2", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.78.3", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.78.4", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.78.5", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.78.6", "SR DOCUMENT"},
    {"1.2.840.10008.5.1.4.1.1.78.7", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.78.8", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.79.1", "SR DOCUMENT"},
    {"1.2.840.10008.5.1.4.1.1.80.1", "MEASUREMENT"},
    {"1.2.840.10008.5.1.4.1.1.88.59", "KEY OBJECT DOC"},
    {"1.2.840.10008.5.1.4.1.1.90.1", "ASSESSMENT"},
    {"1.2.840.10008.5.1.4.1.1.91.1", "ANNOTATION"},
    {"1.2.840.10008.5.1.4.1.1.131", "PRESENTATION"},
    {"1.2.840.10008.5.1.4.1.1.481.2", "RT DOSE"},
    {"1.2.840.10008.5.1.4.1.1.481.3", "RT STRUCTURE SET"},
    {"1.2.840.10008.5.1.4.1.1.481.4", "RT TREAT RECORD"},
    {"1.2.840.10008.5.1.4.1.1.481.5", "RT PLAN"},
    {"1.2.840.10008.5.1.4.1.1.481.6", "RT TREAT RECORD"},
    {"1.2.840.10008.5.1.4.1.1.481.7", "RT TREAT RECORD"},
    {"1.2.840.10008.5.1.4.1.1.481.8", "RT PLAN"},
    {"1.2.840.10008.5.1.4.1.1.481.9", "RT TREAT RECORD"},
    {"1.2.840.10008.5.1.4.1.1.481.10", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.11", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.12", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.13", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.14", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.15", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.16", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.17", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.18", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.19", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.1.1.481.20", "RADIOTHERAPY"},
    {"1.2.840.10008.5.1.4.34.7", "PLAN"},
    {"1.2.840.10008.5.1.4.34.10", "PLAN"},
    {"1.2.840.10008.5.1.4.38.1", "HANGING PROTOCOL"},
    {"1.2.840.10008.5.1.4.39.1", "PALETTE"},
    {"1.2.840.10008.5.1.4.43.1", "IMPLANT"},
    {"1.2.840.10008.5.1.4.44.1", "IMPLANT ASSY"},
    {"1.2.840.10008.5.1.4.45.1", "IMPLANT GROUP"},
    {"1.2.840.10008.5.1.4.1.1.9.", "WAVEFORM"},
    {"1.2.840.10008.5.1.4.1.1.11.", "PRESENTATION"},
    {"1.2.840.10008.5.1.4.1.1.88.", "SR DOCUMENT"},
    {"1.2.840.10008.5.1.4.1.1.104.", "ENCAP DOC"},
};

constexpr bool Defined(std::string_view name) {
    for (const Record_Type& type : Types)
        if (type.name == name) return true;
    return false;
}
constexpr bool All_SOP_Rows_Defined() {
    for (const SOP_Row& row : SOP_Rows)
        if (!Defined(row.type) || row.uid.empty()) return false;
    return true;
}
static_assert(All_SOP_Rows_Defined(), "a SOP class row names a record type not in the table");

}  // namespace

std::span<const Record_Type> Record_Types() { return Types; }

const Record_Type* Record_Type_Find(std::string_view name) {
    for (const Record_Type& type : Types)
        if (type.name == name) return &type;
    return nullptr;
}

const Record_Type& Record_Type_For_SOP_Class(std::string_view uid) {
    // A UID straight from a data set keeps the NUL (or, from faulty writers, blank) of an odd length.
    while (!uid.empty() && (uid.back() == '\0' || uid.back() == ' ')) uid.remove_suffix(1);
    for (const SOP_Row& row : SOP_Rows) {
        const bool family = row.uid.back() == '.';
        if (family ? uid.size() > row.uid.size() && uid.starts_with(row.uid) : uid == row.uid)
            return Type_Named(row.type);
    }
    return Type_Named("IMAGE");
}
