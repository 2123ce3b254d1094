// Display names of well-known UIDs, and this implementation's UID root.
#pragma once

#include <cstddef>

// Root of every UID this program makes (a UUID-derived root, unique without registration).
// Kept short enough for root + "." + 5 digits + "." + 8 digits to fit in 64 characters.
inline constexpr const char Implementation_UID_Root[] = "2.25.124054157400692178412577620933003205577";
static_assert(sizeof(Implementation_UID_Root) - 1 + 1 + 5 + 1 + 8 <= 64);

// The display name of the first row whose UID equals uid exactly (padding must already be
// gone), or nullptr.
const char* NEMA_UID_Name(const char* uid);

struct UID_Row {
    const char* uid;
    const char* name;
};
// The rows in search order.
extern const UID_Row UID_Table[];
extern const std::size_t UID_Table_Size;
