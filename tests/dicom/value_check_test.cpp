// Values judged by the rules of their VR without being changed.
#include <gtest/gtest.h>

#include <string>

#include "dicom/dictionary.h"
#include "dicom/tag.h"
#include "dicom/value_check.h"

namespace {

TEST(ValueCheck, ByVrLengthCharactersAndMultiplicity) {
    const struct {
        const char* vr;
        std::string value;
        bool valid;
        std::size_t kept;  // length kept of a valid value
    } cases[] = {
        {"UL", std::string(10, 'x'), false, 0},  // 10 bytes are no whole number of 4-byte values
        {"FD", std::string(16, '\0'), true, 16},
        {"OB", "\x01\x02\x03", true, 3},
        {"XY", "anything", true, 8},  // a VR without rules
        {"UI", std::string("1.2.840.10008.1.2.2 "), true, 19},  // a blank where a zero byte belongs
        {"UI", "1.2.ab", false, 0},
        {"UI", std::string(65, '1'), false, 0},
        {"UI", "1.2.0.10", true, 8},
        {"UI", "1..2.3", false, 0},
        {"UI", "1.2.3.", false, 0},
        {"UI", ".1.2", false, 0},
        {"UI", "1.2.03.4", false, 0},
        {"PN", "A^B^C^D^E=" + std::string(64, 'x'), true, 74},
        {"PN", "A^B^C^D^E^F", false, 0},
        {"PN", std::string(65, 'x'), false, 0},
        {"PN", "A=" + std::string(65, 'x'), false, 0},
        {"CS", "ORIGINAL\\PRIMARY ", true, 16},
        {"CS", "mr", false, 0},
        {"DA", "970512", false, 0},  // old syntax: the cleanup would rewrite it
        {"TM", "10:05:07", false, 0},
        {"IS", "3000000000", false, 0},
        {"LO", "Clinic\x1b$B", true, 9},  // the escape of a character set switch
        {"LO", "two\nlines", false, 0},
        {"LT", "two\r\nlines", true, 10},
        {"SH", std::string(17, 'A'), false, 0},
        {"AS", "45Y", false, 0},
        {"SH", "   ", true, 0},  // nothing but padding: empty
        {"UC", std::string(300, 'C') + "\\B", true, 302},
        {"UR", "http://x/a\\b", true, 12},  // a backslash is no separator in a URL
        {"UR", "http://x/\tb", false, 0},
    };
    for (const auto& c : cases) {
        const DICOM_Value_Verdict verdict =
            DICOM_Value_Check(VR_Code({c.vr[0], c.vr[1], 0}), reinterpret_cast<const uint8_t*>(c.value.data()),
                              c.value.size());
        EXPECT_EQ(verdict.valid, c.valid) << c.vr << " \"" << c.value << "\"";
        if (c.valid) EXPECT_EQ(verdict.length, c.kept) << c.vr << " \"" << c.value << "\"";
        else EXPECT_NE(verdict.fault, nullptr) << c.vr << " \"" << c.value << "\"";
    }
    // The dictionary bounds the number of values: Modality takes one, Image Type two or more.
    const auto check = [](uint16_t group, uint16_t element, const std::string& value) {
        return DICOM_Value_Check(VR_Code("CS"), reinterpret_cast<const uint8_t*>(value.data()), value.size(),
                                 NEMA_db_Get(group, element))
            .valid;
    };
    EXPECT_TRUE(check(0x0008, 0x0060, "MR"));
    EXPECT_FALSE(check(0x0008, 0x0060, "MR\\CT"));
    EXPECT_FALSE(check(0x0008, 0x0008, "ORIGINAL"));
    EXPECT_TRUE(check(0x0008, 0x0008, "ORIGINAL\\PRIMARY\\AXIAL"));
    NEMA_db_Cleanup();
}

}  // namespace
