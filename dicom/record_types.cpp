// Stand-in record type table: the four levels the writer makes and SR documents.
#include "dicom/record_types.h"

#include <array>

namespace {

constexpr Record_Key Patient_Keys[] = {{0x0010, 0x0010, 2}, {0x0010, 0x0020, 1}};
constexpr Record_Key Study_Keys[] = {{0x0008, 0x0020, 1}, {0x0008, 0x0030, 1}, {0x0008, 0x0050, 2},
                                     {0x0008, 0x1030, 2}, {0x0020, 0x0010, 1}};
constexpr Record_Key Series_Keys[] = {{0x0008, 0x0060, 1}, {0x0020, 0x000E, 1}, {0x0020, 0x0011, 1}};
constexpr Record_Key Image_Keys[] = {{0x0020, 0x0013, 1}};
constexpr Record_Key SR_Keys[] = {{0x0020, 0x0013, 1}, {0x0040, 0xA491, 1}, {0x0040, 0xA493, 1},
                                  {0x0008, 0x0023, 1}, {0x0008, 0x0033, 1}, {0x0040, 0xA043, 1, true}};
constexpr std::string_view Root_Lower[] = {"PATIENT"};
constexpr std::string_view Patient_Lower[] = {"STUDY"};
constexpr std::string_view Study_Lower[] = {"SERIES"};
constexpr std::string_view Series_Lower[] = {"IMAGE", "SR DOCUMENT"};

const std::array<Record_Type, 6> Types = {{
    {"ROOT", {}, Root_Lower},
    {"PATIENT", Patient_Keys, Patient_Lower},
    {"STUDY", Study_Keys, Study_Lower},
    {"SERIES", Series_Keys, Series_Lower},
    {"IMAGE", Image_Keys, {}},
    {"SR DOCUMENT", SR_Keys, {}},
}};

}  // namespace

std::span<const Record_Type> Record_Types() { return Types; }

const Record_Type* Record_Type_Find(std::string_view name) {
    for (const Record_Type& type : Types)
        if (type.name == name) return &type;
    return nullptr;
}

const Record_Type& Record_Type_For_SOP_Class(std::string_view uid) {
    if (uid.rfind("1.2.840.10008.5.1.4.1.1.88.", 0) == 0) return Types[5];
    return Types[4];
}
