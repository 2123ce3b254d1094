// The built-in dictionary text: one table of PS 3.6 lines per group, in ascending group order.
#pragma once

#include <cstddef>

struct NEMA_db_Table {
    const char* const* lines;
    std::size_t size;  // in bytes: sizeof the array of line pointers
};

extern const NEMA_db_Table NEMA_db_Tables[];
extern const int NEMA_db_Table_Count;
