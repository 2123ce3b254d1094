// Whether a value can stand as it is for its VR, judged by the VR table (vr.h) that the value
// cleanup repairs by (value_cleanup.h): the length a multiple of the number size for binary VRs,
// the characters each text VR allows, the maximum length of each value, the IS range, and the
// number of values against the dictionary. Nothing is repaired and nothing is reported: for
// values that are passed on to other readers as they are.
#pragma once

#include <cstddef>
#include <cstdint>

struct NEMA_db_Entry;

struct DICOM_Value_Verdict {
    bool valid = true;
    // The value's length without its trailing padding (blanks and zero bytes), which a reader
    // strips anyway: what to keep of a valid value.
    std::size_t length = 0;
    // What is wrong with an invalid value, as a phrase ("not a multiple of 4 bytes").
    const char* fault = nullptr;
};

// Checks length bytes of data as a value of vr. dict, when given, bounds the number of values.
// A VR without rules (OB, UN, SQ, unknown codes) accepts any value; an empty value is valid.
DICOM_Value_Verdict DICOM_Value_Check(uint16_t vr, const uint8_t* data, std::size_t length,
                                      const NEMA_db_Entry* dict = nullptr);

// The length of a text value without its trailing padding: what DICOM_Value_Check keeps of a
// valid one, for a value checked already.
std::size_t DICOM_Value_Unpadded(const uint8_t* data, std::size_t length);
