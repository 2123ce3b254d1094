// Value cleanup by VR: repairs, drops and the multiplicity check.
#include <gtest/gtest.h>

#include <string>

#include "dicom/dictionary.h"
#include "dicom/value_cleanup.h"
#include "log_capture.h"

namespace {

DICOM_Tag node_of(const char (&vr)[3], const std::string& value, uint16_t group = 0x0008) {
    DICOM_Tag t;
    t.group = group;
    t.element = 0x0008;
    t.vr = VR_Code(vr);
    t.data.assign(value.begin(), value.end());
    t.length = static_cast<int32_t>(value.size());
    return t;
}

std::string value(const DICOM_Tag& t) { return std::string(t.data.begin(), t.data.end()); }

TEST(CleanupText, PaddingSeparatorsAndTrim) {
    Log_Capture log;
    // "DERIVED \ SECONDARY" (19): parts trimmed, then padded to even length.
    DICOM_Tag cs = node_of("CS", "DERIVED \\ SECONDARY");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &cs), 1);
    EXPECT_EQ(value(cs), "DERIVED\\SECONDARY ");
    EXPECT_EQ(cs.length, 18);
    EXPECT_EQ(DICOM_Tag_Cleanup_Text_Multiple(nullptr, &cs, 16), 2);

    // Leading and trailing spaces go for SH, only trailing ones for LT.
    DICOM_Tag sh = node_of("SH", "  AB  ");
    DICOM_Attribute_Cleanup_Tag(nullptr, &sh);
    EXPECT_EQ(value(sh), "AB");
    DICOM_Tag lt = node_of("LT", "  AB   ");
    DICOM_Attribute_Cleanup_Tag(nullptr, &lt);
    EXPECT_EQ(value(lt), "  AB");
    EXPECT_EQ(lt.flags & Tag_Flag::Error, 0);

    // A public element loses a trailing separator; a private one keeps it.
    DICOM_Tag pub = node_of("LO", "A\\B\\");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &pub), 1);
    EXPECT_EQ(value(pub), "A\\B ");
    EXPECT_TRUE(log.has("Removed last char (=\\) from string!"));
    DICOM_Tag priv = node_of("LO", "A\\B\\", 0x0009);
    EXPECT_EQ(DICOM_Tag_Cleanup_Text_Multiple(nullptr, &priv, 64), 3);
}

TEST(CleanupText, WrongPaddingByte) {
    Log_Capture log;
    // UI padded with a space: the space goes, then an odd length gets a zero byte.
    DICOM_Tag ui = node_of("UI", "1.2.34 ");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &ui), 1);
    EXPECT_EQ(value(ui), std::string("1.2.34", 6));
    EXPECT_TRUE(log.has("invalid padding char used in \"1.2.34 \" (SPACE instead of NULL)"));
    DICOM_Tag ui_odd = node_of("UI", "1.2.3 ");
    DICOM_Attribute_Cleanup_Tag(nullptr, &ui_odd);
    EXPECT_EQ(value(ui_odd), std::string("1.2.3\0", 6));
    // A text padded with a zero byte.
    DICOM_Tag lo = node_of("LO", std::string("ABC\0", 4));
    DICOM_Attribute_Cleanup_Tag(nullptr, &lo);
    EXPECT_EQ(value(lo), "ABC ");
    EXPECT_TRUE(log.has("(NULL instead of SPACE)"));
}

TEST(CleanupText, CharacterSetAndLengths) {
    Log_Capture log;
    DICOM_Tag cs = node_of("CS", "ab-CD");
    DICOM_Attribute_Cleanup_Tag(nullptr, &cs);
    EXPECT_EQ(value(cs), "CD");
    EXPECT_NE(cs.flags & Tag_Flag::Error, 0);
    EXPECT_TRUE(log.has(" 3 char in \"ab-CD\" not from set \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ \\\""));

    // 19 characters cut to 16, which is even: no padding.
    DICOM_Tag sh = node_of("SH", "ABCDEFGHIJKLMNOPQRS");
    DICOM_Attribute_Cleanup_Tag(nullptr, &sh);
    EXPECT_EQ(value(sh), "ABCDEFGHIJKLMNOP");
    EXPECT_TRUE(log.has("String too long! (19/vs/16 max) Truncated to \"ABCDEFGHIJKLMNOP\"(QRS)"));

    // One-valued texts neither split nor trim.
    DICOM_Tag st = node_of("ST", " A\\B");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &st), 1);
    EXPECT_EQ(value(st), " A\\B");

    // AE: unprintable bytes become underscores.
    DICOM_Tag ae = node_of("AE", "AB\tC");
    DICOM_Attribute_Cleanup_Tag(nullptr, &ae);
    EXPECT_EQ(value(ae), "AB_C");
    EXPECT_TRUE(log.has(" 1 Invalid character in data"));
}

TEST(CleanupDate, OldSyntaxesAndY2K) {
    Log_Capture log;
    const struct {
        std::string in, out;
    } cases[] = {{"970512", "19970512"}, {"450512", "20450512"}, {"600101", "19600101"},
                 {"1997.05.12", "19970512"}, {"1997-05-12", "19970512"}, {"19970512", "19970512"}};
    for (const auto& c : cases) {
        DICOM_Tag da = node_of("DA", c.in);
        EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &da), 1) << c.in;
        EXPECT_EQ(value(da), c.out) << c.in;
    }
    EXPECT_TRUE(log.has("Old syntax! 970512 changed to 19970512"));

    DICOM_Tag y2k = node_of("DA", "19100.01.0");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &y2k), 0);
    EXPECT_EQ(y2k.length, 0);
    EXPECT_FALSE(y2k.has_data());
    EXPECT_TRUE(log.has("Y2K bug! 19100.01.0 = 2000010? (Rejected since last digit of day is lost!)"));

    DICOM_Tag odd = node_of("DA", "1997051");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &odd), 0);
    EXPECT_TRUE(log.has("Expecting 6, 8 or 10 bytes but got 7 bytes"));

    DICOM_Tag tm = node_of("TM", "10:05:07");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &tm), 1);
    EXPECT_EQ(value(tm), "100507");
    EXPECT_NE(tm.flags & Tag_Flag::Error, 0);
    DICOM_Tag tm_ok = node_of("TM", "100507.250");
    DICOM_Attribute_Cleanup_Tag(nullptr, &tm_ok);
    EXPECT_EQ(value(tm_ok), "100507.250");
    EXPECT_EQ(tm_ok.flags, 0);

    DICOM_Tag age = node_of("AS", "5Y");
    DICOM_Attribute_Cleanup_Tag(nullptr, &age);
    EXPECT_EQ(value(age), "005Y");
    DICOM_Tag long_age = node_of("AS", "00045Y");
    DICOM_Attribute_Cleanup_Tag(nullptr, &long_age);
    EXPECT_EQ(value(long_age), "045Y");
}

TEST(CleanupInteger, DecimalsAndRange) {
    Log_Capture log;
    DICOM_Tag is = node_of("IS", "12.7\\-3.9");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &is), 1);
    EXPECT_EQ(value(is), "12\\-3 ");
    EXPECT_TRUE(log.has("Invalid data! Converted from \"12.7\\-3.9\" to \"12\\-3\""));

    DICOM_Tag big = node_of("IS", "3000000000");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &big), 0);
    EXPECT_FALSE(big.has_data());
    EXPECT_NE(big.flags & Tag_Flag::Invalid, 0);
    EXPECT_TRUE(log.has("Value out of range (3000000000 \\vs\\ -2**31 to 2**31 - 1)"));
    // The check goes by digit count and first digit only.
    DICOM_Tag edge = node_of("IS", "-2999999999 ");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &edge), 1);

    DICOM_Tag huge = node_of("IS", "1e20.");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &huge), 0);
    EXPECT_TRUE(log.has("Value truncated to 12 bytes length"));
}

TEST(CleanupBinary, WidthsDropsAndOpaqueValues) {
    Log_Capture log;
    DICOM_Tag us = node_of("US", "abc");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &us), 0);
    EXPECT_EQ(us.length, 0);
    EXPECT_NE(us.flags & Tag_Flag::Invalid, 0);
    EXPECT_TRUE(log.has("Invalid data! Expecting \"Unsigned Short\" but got 3 bytes"));
    DICOM_Tag at = node_of("AT", "abcdef");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &at), 0);
    EXPECT_TRUE(log.has("Expecting multiple 2*\"Unigned Short\" but got 6 bytes"));
    DICOM_Tag ob = node_of("OB", "abc");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &ob), 1);
    EXPECT_EQ(ob.length, 3);
    // A VR without rules is refused but left as it is; an element without data is fine.
    DICOM_Tag ur = node_of("UR", "http://x");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &ur), 0);
    EXPECT_EQ(ur.length, 8);
    DICOM_Tag empty = node_of("US", "");
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &empty), 1);
}

NEMA_db_Entry vm(uint16_t low, uint16_t high) {
    NEMA_db_Entry e{};
    e.count = 1;
    e.vm[0][0] = low;
    e.vm[0][1] = high;
    return e;
}

TEST(CleanupMultiplicity, AgainstTheDictionary) {
    Log_Capture log;
    const NEMA_db_Entry one = vm(1, 1), range = vm(2, 3), open = vm(2, 0xFFFF);
    DICOM_Tag two = node_of("LO", "A\\B");
    two.dict = &one;
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &two), 0);
    EXPECT_EQ(value(two), "A\\B ");  // the value stays
    EXPECT_NE(two.flags & Tag_Flag::Invalid, 0);
    EXPECT_TRUE(log.has("Invalid number of values in data!, Expecting VN=1 but got 2 values"));

    DICOM_Tag us = node_of("US", std::string(8, '\0'));
    us.dict = &range;
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &us), 0);
    EXPECT_TRUE(log.has("To many values in data! Expecting VN=2-3 but got 4 values"));
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 0);
    EXPECT_TRUE(log.has("Not enough values in data! Expecting VN=2-3 but got 1 values"));
    us.dict = &open;
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 9), 1);
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 0);
    EXPECT_TRUE(log.has("Not enough values in data! Expecting VN=2-n but got 1 values"));
    // Retired entries are not checked.
    NEMA_db_Entry retired = open;
    retired.count = -1;
    us.dict = &retired;
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 1);
}

}  // namespace
