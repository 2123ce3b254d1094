// The directory record types of DICOM media: the keys each record must carry, the records it may
// hold, and the record type the standard gives each SOP class.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

struct Record_Key {
    uint16_t group = 0, element = 0;
    uint8_t type = 1;       // 1: present and not empty; 2: present, may be empty
    bool sequence = false;  // an SQ key (copied whole, e.g. Concept Name Code Sequence)
};
struct Record_Type {
    std::string_view name;                     // as in (0004,1430), unpadded: "PATIENT", "SR DOCUMENT", ...
    std::span<const Record_Key> keys;          // its Type 1 and Type 2 keys in tag order (conditional 1C/2C keys left out,
                                               // and the Referenced File ID / SOP keys of (0004,15xx) left out)
    std::span<const std::string_view> lower;   // record types it may hold directly
};
// All record types, in the standard's order.
std::span<const Record_Type> Record_Types();
// The record type of that name (exact, no padding), or nullptr for a name the standard does not define.
const Record_Type* Record_Type_Find(std::string_view name);
// The record type for an instance of the SOP class uid; IMAGE for an unknown or private class.
const Record_Type& Record_Type_For_SOP_Class(std::string_view uid);
