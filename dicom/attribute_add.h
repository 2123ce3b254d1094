// Adding one attribute with its values to a data set: the values come in their natural form
// and are encoded as the VR's value bytes (explicit VR little endian), with the standard's
// separators and even-length padding, then checked by the value cleanup.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "dicom/tag.h"
#include "dicom/value_access.h"
#include "util/log.h"

// A date; a record with valid false gives an empty value.
struct DICOM_Date {
    int year = 0, month = 0, day = 0;
    bool valid = true;
};

// A time of day; seconds may carry a fraction (printed to the millisecond).
struct DICOM_Time {
    int hour = 0, minute = 0;
    float seconds = 0.0f;
    bool valid = true;
};

// One DT value.
struct DICOM_Date_Time {
    DICOM_Date date;
    DICOM_Time time;
};

// One value of a call. Integers: AT, IS, OB, OW, SL, SS, UL, US and the SQ flag word (32-bit
// signed; AT, OW, SS, US keep the low 16 bits, OB the low 8). Floating point: DS and FL (narrowed
// to 32 bits; integers accepted), FD. Texts: AE, AS, CS, LO, LT, SH, ST, UI, UT.
// std::monostate is an absent value (a null pointer): a text builder stops and gives no value.
using DICOM_Value = std::variant<std::monostate, int64_t, double, std::string, DICOM_Date, DICOM_Time,
                                 DICOM_Date_Time, Person_Name>;

// Places (group, element) at the current depth and item of root (created in tag order when
// missing) and gives it the values. count > 0: the call form with count values; count < 0: the
// array form with -count values (refused with a warning by AT, PN, UI and the single-text VRs,
// which then take the values as the call form); count 0: an empty value. Values missing from
// `values` count as absent. An element that already holds a value and flags is left untouched.
// Returns the first element of the data set, nullptr when it is empty.
DICOM_Tag* DICOM_Attribute_Add(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list, uint16_t group,
                               uint16_t element, uint16_t vr, int count,
                               const std::vector<DICOM_Value>& values = {});
