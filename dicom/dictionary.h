// The built-in data dictionary: name, VR, VM and retired mark of every standard element.
#pragma once

#include <cstdint>

struct NEMA_db_Entry {
    uint16_t group = 0;          // "x" digits read as 0
    uint16_t element = 0;
    uint16_t element_mask = 0xFFFF;  // 0 in each "x" digit position
    int8_t count = 0;            // VR alternatives parsed (0-3), negated when retired
    char name[91] = {};          // at most 80 characters
    uint16_t vr[3] = {};         // alternatives in line order; first is "RT" when none was read
    uint16_t vm[3][2] = {};      // (minimum, maximum) per alternative; open range max 0xFFFF
};

// The entry for a tag, or nullptr. Builds the dictionary on first use.
const NEMA_db_Entry* NEMA_db_Get(uint16_t group, uint16_t element);
void NEMA_db_Init();
void NEMA_db_Cleanup();
