// Values of an element as texts and person names. Results live in rings of 128 slots per
// accessor: valid until the same accessor has been called 128 more times; never freed by callers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dicom/tag.h"
#include "util/log.h"

struct Person_Name {
    uint8_t nb = 0;          // present components among family, given, middle
    std::optional<std::string> family, given, middle, prefix, suffix;  // nullopt when absent or blank
};

// The values of a text element, one string per value (tag->vm set to their number), or nullptr.
// vr 0: the element's own VR. A value left on disk is loaded from the registered source.
const std::vector<std::string>* NEMA_Value_Str(Win_Handle window, DICOM_Tag* tag, uint16_t vr);
// The values of a person-name element, tag->vm records, or nullptr.
const std::vector<Person_Name>* NEMA_Value_Name(Win_Handle window, DICOM_Tag* tag, uint16_t vr);

int conv_name_set(Person_Name* name, const char* family, const char* given, const char* middle,
                  const char* prefix, const char* suffix);
void conv_name_free(Person_Name* name);
// DICOM form into buffer (at least 5 * 65 bytes); nullptr and an empty buffer for an empty record.
char* conv_name_to_dicom(const Person_Name* name, char* buffer);
// Display form in a ring buffer, or nullptr for an empty record.
const char* conv_name_to_text(const Person_Name* name);
void NEMA_Value_Cleanup();
