// The built-in data dictionary: name, VR, VM and retired mark of every standard element.
//
// The dictionary is text in the PS 3.6 line layout, parsed the first time a tag is looked
// up and kept until NEMA_db_Cleanup. Entries stay at their address until then, so a
// DICOM_Tag may keep a pointer to its entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// 40 bytes: a reader looks one up for nearly every element it reads, so the entries that files
// use most share the cache. The name is kept apart, by the dictionary that holds the entry.
struct NEMA_db_Entry {
    uint16_t group = 0;          // "x" digits read as 0
    uint16_t element = 0;
    uint16_t element_mask = 0xFFFF;  // 0 in each "x" digit position
    int8_t count = 0;            // VR alternatives parsed (0-3), negated when retired
    uint16_t vr[3] = {};         // alternatives in line order; first is "RT" when none was read
    uint16_t vm[3][2] = {};      // (minimum, maximum) per alternative; open range max 0xFFFF
    const char* name = "";       // at most 80 characters
};

// Whether an explicit VR agrees with the entry: one of its alternatives (the first three), or
// any VR for an entry that lists none.
inline bool NEMA_db_Allows_VR(const NEMA_db_Entry& entry, uint16_t vr) {
    const int count = entry.count < 0 ? -entry.count : entry.count;
    if (count == 0) return true;
    for (int i = 0; i < count && i < 3; ++i)
        if (entry.vr[i] == vr) return true;
    return false;
}

// The entries of one group (or of a repeating group such as 60xx), in ascending element order.
struct NEMA_db_Group {
    uint16_t group = 0;          // "x" digits read as 0
    uint16_t group_mask = 0xFFFF;  // 0xFF00 for 50xx and 60xx
    std::vector<const NEMA_db_Entry*> entries;  // held by the dictionary
};

// The entry for a tag of an even group, or nullptr. Builds the dictionary on first use.
const NEMA_db_Entry* NEMA_db_Get_Public(uint16_t group, uint16_t element);

// The entry for a tag, or nullptr. Odd (private) groups are never in the dictionary: a reader
// asks for every element, and most elements of many files are private, so they cost no call.
inline const NEMA_db_Entry* NEMA_db_Get(uint16_t group, uint16_t element) {
    return (group & 1) != 0 ? nullptr : NEMA_db_Get_Public(group, element);
}

// Parses the built-in tables once; does nothing when already built. Safe to reach from
// several threads at once.
void NEMA_db_Init();

// Frees every entry; the next lookup builds the dictionary again. Must not run while
// another thread looks tags up.
void NEMA_db_Cleanup();

