// Values by VR: the VR table against the standard's VRs, through the encoder and the value check
// that read it; then what the value check, the cleanup and the encoder decide beyond the table.
// The values of every VR in each transfer syntax are checked by pydicom (tests/interop).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dicom/dictionary.h"
#include "dicom/encoder.h"
#include "dicom/part10.h"
#include "dicom/value_check.h"
#include "dicom/value_cleanup.h"
#include "dicom/vr.h"
#include "element_helpers.h"
#include "support/log_recorder.h"

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

// A dictionary entry of one VR taking low to high values.
NEMA_db_Entry vm(uint16_t low, uint16_t high, int count = 1) {
    NEMA_db_Entry e{};
    e.count = count;
    e.vm[0][0] = low;
    e.vm[0][1] = high;
    return e;
}

TEST(VrTable, EveryStandardVr) {
    EXPECT_EQ(std::size(Standard), VR_Table.size());
    const NEMA_db_Entry one = vm(1, 1);  // an attribute of one value
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

// Lengths and widths are the table's (above); these are the rules on the bytes themselves.
TEST(ValueCheck, ByVrCharactersSyntaxAndMultiplicity) {
    const struct {
        const char* vr;
        std::string value;
        bool valid;
        std::size_t kept;  // length kept of a valid value
    } cases[] = {
        {"FD", std::string(16, '\0'), true, 16},  // two values: no dictionary, no bound
        {"OB", "\x01\x02\x03", true, 3},
        {"XY", "anything", true, 8},  // a VR without rules
        {"UI", std::string("1.2.840.10008.1.2.2 "), true, 19},  // a blank where a zero byte belongs
        {"UI", "1.2.ab", false, 0},
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
        {"AS", "45Y", false, 0},
        {"SH", "   ", true, 0},  // nothing but padding: empty
        {"UC", std::string(300, 'C') + "\\B", true, 302},
        {"UR", "http://x/a\\b", true, 12},  // a backslash is no separator in a URL
        {"UR", "http://x/\tb", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.vr) + " \"" + c.value + "\"");
        const DICOM_Value_Verdict verdict = check(c.vr, c.value);
        EXPECT_EQ(verdict.valid, c.valid);
        if (c.valid) EXPECT_EQ(verdict.length, c.kept);
        else EXPECT_NE(verdict.fault, nullptr);
    }
    // The dictionary bounds the number of values: Modality takes one, Image Type two or more.
    const auto valid = [](uint16_t element, const std::string& value) {
        return check("CS", value, NEMA_db_Get(0x0008, element)).valid;
    };
    EXPECT_TRUE(valid(0x0060, "MR"));
    EXPECT_FALSE(valid(0x0060, "MR\\CT"));
    EXPECT_FALSE(valid(0x0008, "ORIGINAL"));
    EXPECT_TRUE(valid(0x0008, "ORIGINAL\\PRIMARY\\AXIAL"));
    NEMA_db_Cleanup();
}

constexpr int Any = -1;  // a result or flag the case does not look at

TEST(Cleanup, RepairsAndDropsByVr) {
    const struct {
        const char* vr;
        std::string in, out;
        int result;
        int flag;  // Tag_Flag bit that must be set, 0 for none set
    } cases[] = {
        // Texts: parts trimmed, padded to even length; leading blanks kept only by one-valued texts.
        {"CS", "DERIVED \\ SECONDARY", "DERIVED\\SECONDARY ", 1, Any},
        {"SH", "  AB  ", "AB", 1, Any},
        {"LT", "  AB   ", "  AB", 1, 0},
        {"ST", " A\\B", " A\\B", 1, Any},
        {"LO", "A\\B\\", "A\\B ", 1, Any},  // a public element loses its trailing separator
        {"UI", "1.2.3 ", std::string("1.2.3\0", 6), 1, Any},  // wrong padding byte
        {"LO", std::string("ABC\0", 4), "ABC ", Any, Any},
        {"CS", "ab-CD", "CD", Any, Tag_Flag::Error},  // characters outside the set
        {"UI", "1.2a.3", std::string("1.2.3\0", 6), 1, Tag_Flag::Error},
        {"SH", "ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOP", Any, Any},
        {"AE", "AB\tC", "AB_C", Any, Any},
        // Dates: old syntaxes and the two-digit year window.
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
    // A private element keeps the trailing separator a public one loses (above).
    DICOM_Tag private_text = make_element(0x0009, 0x0008, "LO", "A\\B\\", 0);
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, &private_text), 1);
    EXPECT_EQ(text_of(&private_text), "A\\B\\");
    // The set named is the VR's, with the blank and the backslash that pass as padding and separator.
    EXPECT_TRUE(log.has("1 char in \"1.2a.3\" not from set \"0123456789. \\\""));
    EXPECT_TRUE(log.has("3 char in \"ab-CD\" not from set \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ \\\""));
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
    DICOM_Tag us = make_element(0x0008, 0x0008, "US", std::string(8, '\0'), 0);      // four values
    const auto with = [](DICOM_Tag& tag, const NEMA_db_Entry& dict) { return (tag.dict = &dict, &tag); };
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, with(tags, one)), 0);
    EXPECT_EQ(DICOM_Attribute_Cleanup_Tag(nullptr, with(us, range)), 0);
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 0);
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, with(us, open), 9), 1);
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, &us, 1), 0);
    EXPECT_EQ(DICOM_Tag_Cleanup_Multiplicity(nullptr, with(us, retired), 1), 1);  // not checked
}

DICOM_Tag sequence(std::vector<DICOM_Tag_List> items) {
    DICOM_Tag sq = make_element(0x0004, 0x1220, "SQ", "");
    sq.item = std::move(items);
    return sq;
}

TEST(Encoder, SequencesHaveUndefinedLengthsAndDelimiters) {
    DICOM_Tag sq = sequence({{make_element(0x0004, 0x1400, "UL", std::string(4, '\0'))}});
    const Bytes expect = {
        0x04, 0x00, 0x20, 0x12, 'S', 'Q', 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // SQ, undefined length
        0xFE, 0xFF, 0x00, 0xE0, 0xFF, 0xFF, 0xFF, 0xFF,                  // item, undefined length
        0x04, 0x00, 0x00, 0x14, 'U', 'L', 4, 0, 0, 0, 0, 0,              // the item's element
        0xFE, 0xFF, 0x0D, 0xE0, 0, 0, 0, 0,                              // item delimitation
        0xFE, 0xFF, 0xDD, 0xE0, 0, 0, 0, 0,                              // sequence delimitation
    };
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, sq), expect);
    // No items: the header and the sequence delimitation.
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, sequence({})),
              (Bytes{0x04, 0x00, 0x20, 0x12, 'S', 'Q', 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // SQ, undefined length
                     0xFE, 0xFF, 0xDD, 0xE0, 0, 0, 0, 0}));                          // sequence delimitation
    // An unfilled item ends the items, and item tags held in an item are not written again:
    // one item of 12 + (8 + 14 + 8) + 8.
    const DICOM_Tag item_tag = make_element(0xFFFE, 0xE000, "UN", "");
    sq = sequence({{item_tag, make_element(0x0004, 0x1430, "CS", "IMAGE ")}, {},
                   {make_element(0x0010, 0x0010, "PN", "XY")}});
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, sq).size(), 50u);
}

TEST(Encoder, ValuesNotHeldWholeOrTooLongAreLeftOutAndAnImplicitVrIsTheDictionarys) {
    DICOM_Tag on_disk = make_element(0x7FE0, 0x0010, "OW", "");
    on_disk.length = 1024;  // value left in its file
    DICOM_Tag cut = make_element(0x0010, 0x0020, "LO", "AB");
    cut.length = 6;  // cut at end of file
    DICOM_Tag too_long = make_element(0x0010, 0x4000, "LT", std::string(70000, 'x'));
    for (const DICOM_Tag* t : {&on_disk, &cut, &too_long}) EXPECT_TRUE(DICOM_Attribute_To_Str(nullptr, 8, *t).empty());
    // Implicit VR has a 32-bit length: the long text fits there.
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 0, too_long).size(), 70008u);

    DICOM_Tag sq = sequence({{cut, make_element(0x0010, 0x0010, "PN", "XY")}});
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, sq).size(), 12u + 8 + 10 + 8 + 8);

    DICOM_Tag_List meta = {make_element(0x0002, 0x0001, "OB", std::string("\0\1", 2)), on_disk};
    meta[1].group = 0x0002;
    meta[1].element = 0x0002;
    EXPECT_EQ(DICOM_Write_Group(nullptr, 2, 8, meta).size(), 14u);

    // The VR written is the dictionary's when the stream had none, else UN with the long header.
    DICOM_Tag t = make_element(0x0008, 0x0060, "CS", "MR");
    t.vr = 0;
    t.vr_def = VR_Code("CS");
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, t), (Bytes{0x08, 0, 0x60, 0, 'C', 'S', 2, 0, 'M', 'R'}));
    t.vr_def = 0;
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, t), (Bytes{0x08, 0, 0x60, 0, 'U', 'N', 0, 0, 2, 0, 0, 0, 'M', 'R'}));
}

}  // namespace
