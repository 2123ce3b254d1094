// The value builders behind DICOM_Attribute_Add: one per family of VRs, each turning the values
// of one call into the value bytes of its VR (explicit VR little endian, padded to even length).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dicom/attribute_add.h"

namespace add {

// One call: count as given (negative for the array form) and the values.
struct Build_Call {
    Win_Handle window;
    uint16_t vr;
    int count;
    const std::vector<DICOM_Value>& values;

    int number() const { return count < 0 ? -count : count; }
    bool array_form() const { return count < 0; }
    // Value i of the call; an absent value (std::monostate) when the vector holds fewer.
    const DICOM_Value& at(int i) const;
    // Value i as T (integers widen to floating point); nullopt when absent or of another type,
    // the latter reported.
    template <typename T>
    std::optional<T> take(int i) const;
    // Warns that the VR takes no array and goes on with the values as the call form.
    void refuse_array(const char* family) const;
};

// nullopt: no value (an absent or faulty value, or a refused call).
using Built = std::optional<std::string>;

Built build_strings(const Build_Call& call);       // AE, CS, LO, SH
Built build_single_text(const Build_Call& call);   // AS, LT, ST, UT
Built build_uid(const Build_Call& call);           // UI
Built build_person_names(const Build_Call& call);  // PN
Built build_integer_texts(const Build_Call& call); // IS
Built build_decimal_texts(const Build_Call& call); // DS
Built build_dates(const Build_Call& call);         // DA
Built build_times(const Build_Call& call);         // TM
Built build_date_times(const Build_Call& call);    // DT
Built build_numbers(const Build_Call& call);       // FD, FL, OW, SL, SS, UL, US
Built build_bytes(const Build_Call& call);         // OB
Built build_tags(const Build_Call& call);          // AT

// Seconds as "SS.FFF" (six characters below 100 s), rounded to the millisecond without carry.
std::string seconds_text(float seconds);
// "%.7g" of a 32-bit float, with "-0" as "0" and "0.9999999" as "1".
std::string decimal_text(float value);

}  // namespace add
