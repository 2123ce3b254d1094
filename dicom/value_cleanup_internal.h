// Helpers shared by the value cleaners: the value as text and the two message prefixes.
#pragma once

#include <string>

#include "dicom/tag.h"
#include "util/log.h"

namespace cleanup {

// The value bytes (at most length of them).
std::string value_of(const DICOM_Tag& node);
// Replaces the value; an empty text leaves no data.
void set_value(DICOM_Tag& node, const std::string& value);
// The text up to its first zero byte.
std::string terminated(const std::string& value);

// "    (gggg,eeee) VR=XX" and its warning form, with markup.
struct Prefixes {
    std::string notice;
    std::string warning;
};
Prefixes prefixes_of(const DICOM_Tag& node);

// Per-VR steps used by the dispatch; each returns the number of values, 0 to drop the value.
int cleanup_binary(Win_Handle window, DICOM_Tag& node, const Prefixes& p, std::size_t width, bool one_value,
                   const char* name);
int cleanup_age(Win_Handle window, DICOM_Tag& node, const Prefixes& p);
int cleanup_date(Win_Handle window, DICOM_Tag& node, const Prefixes& p);
void cleanup_time_old_syntax(Win_Handle window, DICOM_Tag& node, const Prefixes& p);
void cleanup_printable(Win_Handle window, DICOM_Tag& node, const Prefixes& p);

}  // namespace cleanup
