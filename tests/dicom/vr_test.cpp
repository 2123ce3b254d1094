// The VR table against the standard's VRs, through the encoder and the value check that read it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dicom/dictionary.h"
#include "dicom/encoder.h"
#include "dicom/value_check.h"
#include "dicom/vr.h"
#include "element_helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Standard_VR {
    const char* vr;
    bool long_length;  // 32-bit length after two reserved bytes in explicit VR
    std::size_t unit;  // bytes turned around in big endian
    std::size_t width;  // bytes per value of numbers and tags; 0 otherwise
    bool one_value;    // OW, OF, ...: the whole value is one value
    char pad;
    std::size_t max;   // bytes per text value; 0 none (or not a text)
};

// Every VR of the standard.
constexpr Standard_VR Standard[] = {
    {"AE", false, 1, 0, false, ' ', 16},   {"AS", false, 1, 0, false, ' ', 4},
    {"AT", false, 2, 4, false, '\0', 0},   {"CS", false, 1, 0, false, ' ', 16},
    {"DA", false, 1, 0, false, ' ', 8},    {"DS", false, 1, 0, false, ' ', 16},
    {"DT", false, 1, 0, false, ' ', 26},   {"FD", false, 8, 8, false, '\0', 0},
    {"FL", false, 4, 4, false, '\0', 0},   {"IS", false, 1, 0, false, ' ', 12},
    {"LO", false, 1, 0, false, ' ', 64},   {"LT", false, 1, 0, false, ' ', 10240},
    {"OB", true, 1, 0, false, '\0', 0},    {"OD", true, 8, 8, true, '\0', 0},
    {"OF", true, 4, 4, true, '\0', 0},     {"OL", true, 4, 4, true, '\0', 0},
    {"OV", true, 8, 8, true, '\0', 0},     {"OW", true, 2, 2, true, '\0', 0},
    {"PN", false, 1, 0, false, ' ', 0},    {"SH", false, 1, 0, false, ' ', 16},
    {"SL", false, 4, 4, false, '\0', 0},   {"SQ", true, 1, 0, false, '\0', 0},
    {"SS", false, 2, 2, false, '\0', 0},   {"ST", false, 1, 0, false, ' ', 1024},
    {"SV", true, 8, 8, false, '\0', 0},    {"TM", false, 1, 0, false, ' ', 16},  // older editions' 16, kept
    {"UC", true, 1, 0, false, ' ', 0},     {"UI", false, 1, 0, false, '\0', 64},
    {"UL", false, 4, 4, false, '\0', 0},   {"UN", true, 1, 0, false, '\0', 0},
    {"UR", true, 1, 0, false, ' ', 0},     {"US", false, 2, 2, false, '\0', 0},
    {"UT", true, 1, 0, false, ' ', 0},     {"UV", true, 8, 8, false, '\0', 0},
};

uint16_t code_of(const char* vr) { return VR_Code({vr[0], vr[1], 0}); }

DICOM_Value_Verdict check(const char* vr, const std::string& value, const NEMA_db_Entry* dict = nullptr) {
    return DICOM_Value_Check(code_of(vr), reinterpret_cast<const uint8_t*>(value.data()), value.size(), dict);
}

TEST(VrTable, EveryStandardVr) {
    EXPECT_EQ(std::size(Standard), VR_Table.size());
    NEMA_db_Entry one{};  // an attribute of one value
    one.count = 1;
    one.vm[0][0] = one.vm[0][1] = 1;
    const Bytes value = {1, 2, 3, 4, 5, 6, 7, 8};
    for (const Standard_VR& s : Standard) {
        SCOPED_TRACE(s.vr);
        EXPECT_EQ(DICOM_Header_Size(8, code_of(s.vr)), s.long_length ? 12u : 8u);
        EXPECT_EQ(DICOM_Header_Size(0, code_of(s.vr)), 8u);
        if (std::string(s.vr) != "SQ") {
            const DICOM_Tag element = make_element(0x0009, 0x1010, s.vr, std::string(value.begin(), value.end()));
            const Bytes little = DICOM_Attribute_To_Str(nullptr, 8, element);
            const Bytes big = DICOM_Attribute_To_Str(nullptr, 9, element);
            ASSERT_EQ(little.size(), s.long_length ? 20u : 16u);
            const Bytes length = s.long_length ? Bytes{0, 0, 8, 0, 0, 0} : Bytes{8, 0};
            EXPECT_EQ(Bytes(little.begin() + 6, little.end() - 8), length);
            Bytes turned = value;
            for (std::size_t at = 0; at < turned.size(); at += s.unit)
                std::reverse(turned.begin() + static_cast<long>(at), turned.begin() + static_cast<long>(at + s.unit));
            EXPECT_EQ(Bytes(big.end() - 8, big.end()), turned);
        }
        Bytes padded;
        DICOM_Append_Value(padded, code_of(s.vr), value.data(), 1, false, true);
        EXPECT_EQ(padded, (Bytes{1, static_cast<uint8_t>(s.pad)}));
        if (s.width != 0) {  // whole values only; two values are two, unless the VR counts one
            EXPECT_FALSE(check(s.vr, std::string(s.width + 1, '\0')).valid);
            EXPECT_EQ(check(s.vr, std::string(2 * s.width, '\0'), &one).valid, s.one_value);
        }
        if (s.max != 0) {
            EXPECT_STREQ(check(s.vr, std::string(s.max + 1, '1')).fault, "a value longer than its VR allows");
            const char* fault = check(s.vr, std::string(s.max, '1')).fault;
            EXPECT_TRUE(fault == nullptr || std::string(fault) != "a value longer than its VR allows");
        }
    }
    for (const char* other : {"OX", "RT", "xx", "A1"}) EXPECT_EQ(VR_Find(code_of(other)), nullptr) << other;
}

}  // namespace
