// Value cleanup by VR: repairs, drops and the multiplicity check.
#include <gtest/gtest.h>

#include <string>

#include "dicom/dictionary.h"
#include "dicom/value_cleanup.h"
#include "element_helpers.h"
#include "support/log_recorder.h"

namespace {

constexpr int Any = -1;

TEST(Cleanup, RepairsAndDropsByVr) {
    const struct {
        const char* vr;
        std::string in, out;
        int result;
        int flag;  // Tag_Flag bit that must be set, 0 for none set, Any unchecked
    } cases[] = {
        // Texts: parts trimmed, padded to even length; leading blanks kept only by one-valued texts.
        {"CS", "DERIVED \\ SECONDARY", "DERIVED\\SECONDARY ", 1, Any},
        {"SH", "  AB  ", "AB", 1, Any},
        {"LT", "  AB   ", "  AB", 1, 0},
        {"ST", " A\\B", " A\\B", 1, Any},
        {"LO", "A\\B\\", "A\\B ", 1, Any},  // a public element loses its trailing separator
        {"UI", "1.2.34 ", "1.2.34", 1, Any},  // wrong padding byte
        {"UI", "1.2.3 ", std::string("1.2.3\0", 6), Any, Any},
        {"LO", std::string("ABC\0", 4), "ABC ", Any, Any},
        {"CS", "ab-CD", "CD", Any, Tag_Flag::Error},  // characters outside the set
        {"UI", "1.2a.3", std::string("1.2.3\0", 6), 1, Tag_Flag::Error},
        {"SH", "ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOP", Any, Any},
        {"AE", "AB\tC", "AB_C", Any, Any},
        // Dates: old syntaxes and the two-digit year window.
        {"DA", "970512", "19970512", 1, Any},
        {"DA", "450512", "20450512", 1, Any},
        {"DA", "600101", "19600101", 1, Any},
        {"DA", "1997.05.12", "19970512", 1, Any},
        {"DA", "1997-05-12", "19970512", 1, Any},
        {"DA", "19100.01.0", "", 0, Any},  // the last digit of the day is lost
        {"DA", "1997051", "", 0, Any},
        {"TM", "10:05:07", "100507", 1, Tag_Flag::Error},
        {"TM", "100507.250", "100507.250", 1, 0},
        {"AS", "5Y", "005Y", Any, Any},
        {"AS", "00045Y", "045Y", Any, Any},
        // Integers: decimals cut, out-of-range values dropped (by digit count and first digit).
        {"IS", "12.7\\-3.9", "12\\-3 ", 1, Any},
        {"IS", "3000000000", "", 0, Tag_Flag::Invalid},
        {"IS", "-2999999999 ", "-2999999999 ", 1, Any},
        {"IS", "1e20.", "", 0, Any},
        // Binary: wrong widths dropped, opaque values kept, unknown rules refused.
        {"US", "abc", "", 0, Tag_Flag::Invalid},
        {"AT", "abcdef", "", 0, Any},
        {"OD", "abcdefg", "", 0, Tag_Flag::Invalid},
        {"SV", "abcdefgh", "abcdefgh", 1, Any},
        {"OB", "abc", "abc", 1, Any},
        {"OX", "abc", "abc", 0, Any},
        // UC takes several values of any length, UR one whose blanks only pad.
        {"UC", std::string(71, 'C') + "\\B", std::string(71, 'C') + "\\B ", 1, Any},
        {"UR", "http://x/a\\bc  ", "http://x/a\\bc ", 1, Any},
        {"US", "", "", 1, Any},
    };
    Log_Recorder log;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.vr) + " \"" + c.in + "\"");
        DICOM_Tag tag = make_element(0x0008, 0x0008, c.vr, c.in, 0);
        const int result = DICOM_Attribute_Cleanup_Tag(nullptr, &tag);
        if (c.result != Any) {
            EXPECT_EQ(result, c.result);
        }
        EXPECT_EQ(text_of(&tag), c.out);
        EXPECT_EQ(static_cast<std::size_t>(tag.length), tag.data.size());
        if (c.flag != Any) {
            EXPECT_EQ(tag.flags & (c.flag ? c.flag : 0xFFFF), c.flag);
        }
    }
    // The set named is the VR's, with the blank and the backslash that pass as padding and separator.
    EXPECT_TRUE(log.has("1 char in \"1.2a.3\" not from set \"0123456789. \\\""));
    EXPECT_TRUE(log.has("3 char in \"ab-CD\" not from set \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ \\\""));
}

TEST(Cleanup, PrivateElementsKeepTrailingSeparators) {
    DICOM_Tag pub = make_element(0x0008, 0x0008, "LO", "A\\B\\", 0);
    EXPECT_EQ(DICOM_Tag_Cleanup_Text_Multiple(nullptr, &pub, 64), 2);
    DICOM_Tag priv = make_element(0x0009, 0x0008, "LO", "A\\B\\", 0);
    EXPECT_EQ(DICOM_Tag_Cleanup_Text_Multiple(nullptr, &priv, 64), 3);
}

NEMA_db_Entry vm(uint16_t low, uint16_t high, int count = 1) {
    NEMA_db_Entry e{};
    e.count = count;
    e.vm[0][0] = low;
    e.vm[0][1] = high;
    return e;
}

TEST(Cleanup, MultiplicityAgainstTheDictionary) {
    Log_Recorder log;
    const NEMA_db_Entry one = vm(1, 1), range = vm(2, 3), open = vm(2, 0xFFFF), retired = vm(2, 0xFFFF, -1);
    DICOM_Tag two = make_element(0x0008, 0x0008, "LO", "A\\B", 0);
    two.dict = &one;
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &two), 0);
    EXPECT_EQ(text_of(&two), "A\\B ");  // the value stays, marked
    EXPECT_NE(two.flags & Tag_Flag::Invalid, 0);

    DICOM_Tag tags = make_element(0x0008, 0x0008, "AT", std::string(8, '\0'), 0);  // two tags, not one value
    tags.dict = &one;
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &tags), 0);

    DICOM_Tag us = make_element(0x0008, 0x0008, "US", std::string(8, '\0'), 0);
    us.dict = &range;
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &us), 0);  // four values
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 0);
    us.dict = &open;
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 9), 1);
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 0);
    us.dict = &retired;  // not checked
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 1);
}

}  // namespace
