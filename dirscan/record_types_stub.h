// Stand-in for dicom/record_types.h until the full table is in: the same interface, the record
// types a media copy meets most.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

struct Record_Key {
    uint16_t group = 0, element = 0;
    uint8_t type = 1;
    bool sequence = false;
};
struct Record_Type {
    std::string_view name;
    std::span<const Record_Key> keys;
    std::span<const std::string_view> lower;
};
std::span<const Record_Type> Record_Types();
const Record_Type* Record_Type_Find(std::string_view name);
const Record_Type& Record_Type_For_SOP_Class(std::string_view uid);
