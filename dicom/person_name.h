// A person name in five components, and its two text forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct Person_Name {
    uint8_t nb = 0;          // present components among family, given, middle
    std::optional<std::string> family, given, middle, prefix, suffix;  // nullopt when absent or blank
};

// Longest component kept, and the size of the buffers of both text forms.
inline constexpr std::size_t Person_Name_Component_Max = 64;
inline constexpr std::size_t Person_Name_Dicom_Size = 5 * (Person_Name_Component_Max + 1);
inline constexpr std::size_t Person_Name_Text_Size = 324;

// Cleans and stores the five components (nullptr for an absent one): at most 64 characters,
// blanks and tabs trimmed at both ends, runs of blanks thinned. Sets nb. 1, or 0 when memory runs out.
int conv_name_set(Person_Name* name, const char* family, const char* given, const char* middle,
                  const char* prefix, const char* suffix);
void conv_name_free(Person_Name* name);
// DICOM form ("Doe^John") into buffer (at least Person_Name_Dicom_Size bytes); nullptr and an
// empty buffer for an empty record (nb 0).
char* conv_name_to_dicom(const Person_Name* name, char* buffer);
// Display form ("Dr Doe, John A Jr") in a ring buffer of 128 slots, or nullptr for an empty record.
const char* conv_name_to_text(const Person_Name* name);
