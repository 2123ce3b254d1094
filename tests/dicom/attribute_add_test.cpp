// Attribute builders: value bytes per VR, separators, padding, refusals and the cleanup after.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dicom/attribute_add.h"
#include "dicom/attribute_list.h"
#include "log_capture.h"

namespace {

using V = std::vector<DICOM_Value>;

class AttributeAdd : public ::testing::Test {
protected:
    DICOM_Root root{};
    DICOM_Tag_List list;
    Log_Capture log;

    // Adds and returns the element's value as text.
    std::string add(uint16_t group, uint16_t element, const char (&vr)[3], int count, const V& values = {}) {
        DICOM_Attribute_Add(nullptr, &root, &list, group, element, VR_Code(vr), count, values);
        const DICOM_Tag* t = DICOM_Attribute_Get(nullptr, &root, &list, group, element);
        EXPECT_NE(t, nullptr);
        if (t == nullptr) return "<missing>";
        EXPECT_EQ(static_cast<std::size_t>(t->length), t->data.size());
        return std::string(t->data.begin(), t->data.end());
    }
    const DICOM_Tag* get(uint16_t group, uint16_t element) {
        return DICOM_Attribute_Get(nullptr, &root, &list, group, element);
    }
};

TEST_F(AttributeAdd, FileMetaValues) {
    EXPECT_EQ(add(0x0002, 0x0001, "OB", 2, {int64_t{0}, int64_t{1}}), std::string("\x00\x01", 2));
    EXPECT_EQ(add(0x0002, 0x0010, "UI", 1, {std::string("1.2.840.10008.1.2.1")}),
              std::string("1.2.840.10008.1.2.1\0", 20));
    // UI pieces make one UID.
    EXPECT_EQ(add(0x0002, 0x0003, "UI", 3, {std::string("1.2.3"), std::string(".44"), std::string(".5")}),
              std::string("1.2.3.44.5", 10));
    EXPECT_EQ(add(0x0002, 0x0016, "AE", 1, {std::string("KESTRA")}), "KESTRA");
    const DICOM_Tag* ob = get(0x0002, 0x0001);
    EXPECT_EQ(ob->syntax, 8);
    EXPECT_EQ(ob->flags, Tag_Flag::Origin_Library);
    EXPECT_EQ(ob->vr, VR_OB);
    EXPECT_NE(ob->dict, nullptr);
    // The result is the first element.
    const DICOM_Tag* first =
        DICOM_Attribute_Add(nullptr, &root, &list, 0x0002, 0x0012, VR_Code("UI"), 1, {std::string("1.2")});
    EXPECT_EQ(first, &list.front());
    // OB: low byte of each value, odd length padded with a zero byte.
    EXPECT_EQ(add(0x0009, 0x1001, "OB", -3, {int64_t{0x1FF}, int64_t{2}, int64_t{3}}),
              std::string("\xFF\x02\x03\x00", 4));
}

TEST_F(AttributeAdd, StringsSeparatorsAndPadding) {
    EXPECT_EQ(add(0x0008, 0x0050, "SH", 1, {std::string("ABC")}), "ABC ");
    EXPECT_EQ(add(0x0008, 0x0080, "LO", 2, {std::string("AB"), std::string("X")}), "AB\\X");
    // The array form takes the same values.
    EXPECT_EQ(add(0x0008, 0x0008, "CS", -2, {std::string("ORIGINAL"), std::string("PRIMARY")}), "ORIGINAL\\PRIMARY");
    // An absent value gives no value at all.
    EXPECT_EQ(add(0x0008, 0x1030, "LO", 2, {std::string("A"), std::monostate{}}), "");
    EXPECT_EQ(add(0x0008, 0x103E, "LO", 2, {std::string("A")}), "");
    // One-valued texts take the first string only.
    EXPECT_EQ(add(0x0020, 0x4000, "LT", 2, {std::string("abc"), std::string("def")}), "abc ");
    EXPECT_TRUE(log.has("VR=Text: only 1 value accepted (nb_arg=2 != 1)"));
    EXPECT_EQ(add(0x0010, 0x1010, "AS", -1, {std::string("045Y")}), "045Y");
    EXPECT_TRUE(log.has("VR=Text: vector fct not implemented (nb_arg=-1)"));
    // IS prints integers.
    EXPECT_EQ(add(0x0020, 0x0013, "IS", 1, {int64_t{-12}}), "-12 ");
    EXPECT_EQ(add(0x0028, 0x0008, "IS", -1, {int64_t{1234}}), "1234");
}

TEST_F(AttributeAdd, DecimalCornerValues) {
    EXPECT_EQ(add(0x0018, 0x0050, "DS", 1, {0.9999999}), "1 ");
    EXPECT_EQ(add(0x0018, 0x0088, "DS", 1, {-0.0}), "0 ");
    EXPECT_EQ(add(0x0018, 0x1050, "DS", 1, {1.5}), "1.5 ");
    // Narrowed to single precision before printing.
    EXPECT_EQ(add(0x0018, 0x0080, "DS", 1, {0.1}), "0.1 ");
    EXPECT_EQ(add(0x0018, 0x0081, "DS", 1, {1234567.891}), "1234568 ");
    // Pixel Spacing holds exactly two values.
    EXPECT_EQ(add(0x0028, 0x0030, "DS", 2, {int64_t{1}, 2.5}), "1\\2.5 ");
}

TEST_F(AttributeAdd, DecimalMultiplicityChecked) {
    EXPECT_EQ(add(0x0028, 0x0030, "DS", 3, {1.0, 2.0, 3.0}), "1\\2\\3 ");
    EXPECT_NE(get(0x0028, 0x0030)->flags & Tag_Flag::Invalid, 0);
    EXPECT_TRUE(log.has("Invalid number of values in data!, Expecting VN=2 but got 3 values"));
    EXPECT_TRUE(log.has("problem creating tag"));
}

TEST_F(AttributeAdd, PersonNames) {
    Person_Name doe, smith;
    conv_name_set(&doe, "Doe", "Jane", nullptr, nullptr, nullptr);
    conv_name_set(&smith, "Smith", nullptr, nullptr, "Dr", nullptr);
    EXPECT_EQ(add(0x0010, 0x0010, "PN", 2, {doe, smith}), "Doe^Jane\\Smith^^^Dr ");
    add(0x0008, 0x0090, "PN", -1, {doe});
    EXPECT_TRUE(log.has("VR=PN: vector fct not implemented (nb_arg=-1)"));
    EXPECT_EQ(add(0x0008, 0x1050, "PN", 1, {Person_Name{}}), "");
}

TEST_F(AttributeAdd, DatesAndTimes) {
    EXPECT_EQ(add(0x0008, 0x0020, "DA", 1, {DICOM_Date{2026, 12, 6}}), "20261206");
    EXPECT_EQ(add(0x0008, 0x0030, "TM", 1, {DICOM_Time{10, 5, 7.0004f}}), "100507.000");
    EXPECT_EQ(add(0x0008, 0x0031, "TM", 1, {DICOM_Time{10, 5, 7.25f}}), "100507.250");
    // Rounded up to 60 seconds, the minute not carried.
    EXPECT_EQ(add(0x0008, 0x0032, "TM", 1, {DICOM_Time{10, 5, 59.9995f}}), "100560.000");
    EXPECT_EQ(add(0x0008, 0x0033, "TM", 1, {DICOM_Time{23, 59, 0.0f}}), "235900.000");
    // Two TM values make 21 characters: the cleanup pads them.
    EXPECT_EQ(add(0x0040, 0x0245, "TM", 2, {DICOM_Time{1, 2, 3.0f}, DICOM_Time{4, 5, 6.5f}}),
              "010203.000\\040506.500 ");
    EXPECT_EQ(add(0x0008, 0x002A, "DT", 1, {DICOM_Date_Time{{2026, 1, 2}, {3, 4, 5.5f}}}), "20260102030405.500");
    // A record not marked valid is an empty value.
    DICOM_Date unknown{};
    unknown.valid = false;
    EXPECT_EQ(add(0x0008, 0x0021, "DA", 1, {unknown}), "");
    EXPECT_EQ(add(0x0040, 0x0244, "DA", 1, {DICOM_Date_Time{{2000, 1, 2}, {}}}), "");  // not a date
}

TEST_F(AttributeAdd, BinaryNumbersLittleEndian) {
    EXPECT_EQ(add(0x0028, 0x0010, "US", 1, {int64_t{0x0102}}), std::string("\x02\x01", 2));
    EXPECT_EQ(add(0x0028, 0x0106, "SS", 1, {int64_t{-2}}), std::string("\xFE\xFF", 2));
    EXPECT_EQ(add(0x0004, 0x1400, "UL", 1, {int64_t{0x01020304}}), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(add(0x0018, 0x9219, "SS", 1, {int64_t{0x12345}}), std::string("\x45\x23", 2));
    EXPECT_EQ(add(0x0018, 0x9087, "FD", 1, {1.0}), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    EXPECT_EQ(add(0x0018, 0x9404, "FL", 2, {1.0, int64_t{2}}), std::string("\0\0\x80\x3F\0\0\0\x40", 8));
    // A value of another type gives no value.
    EXPECT_EQ(add(0x0028, 0x0011, "US", 1, {std::string("512")}), "");
    EXPECT_TRUE(log.has("value 1 is not of the VR's type"));
}

TEST_F(AttributeAdd, TagPairs) {
    // Group, element, group, element.
    EXPECT_EQ(add(0x0020, 0x9165, "AT", 2, {int64_t{0x0020}, int64_t{0x9056}}), std::string("\x20\x00\x56\x90", 4));
    EXPECT_EQ(add(0x0020, 0x9167, "AT", 3, {int64_t{0x0010}, int64_t{0x0020}, int64_t{0x0030}}),
              std::string("\x10\x00\x20\x00", 4));
    EXPECT_TRUE(log.has("VR=AT: only multiple of 2 accepted (nb_arg=3 != 2*n)"));
    add(0x0020, 0x9213, "AT", -2, {int64_t{0x0010}, int64_t{0x0020}});
    EXPECT_TRUE(log.has("VR=AT: vector fct not implemented (nb_arg=-2)"));
}

TEST_F(AttributeAdd, ExistingValueKept) {
    add(0x0010, 0x0020, "LO", 1, {std::string("FIRST")});
    EXPECT_EQ(add(0x0010, 0x0020, "LO", 1, {std::string("SECOND")}), "FIRST ");
    // An element with no value yet does get one.
    add(0x0010, 0x0030, "DA", 0);
    EXPECT_EQ(add(0x0010, 0x0030, "DA", 1, {DICOM_Date{1970, 1, 1}}), "19700101");
}

TEST_F(AttributeAdd, UnbuildableVrsAndSequences) {
    EXPECT_EQ(add(0x7FE0, 0x0008, "OF", 1, {1.0}), "");
    EXPECT_TRUE(log.has("tag (7fe0,0008) VR=OF not implemented"));
    EXPECT_TRUE(log.has("Error: file:Prog_Lib/Corvanthis_DICOM/NEMA_Tag_Add line:"));
    EXPECT_EQ(add(0x0009, 0x1002, "UN", 1, {int64_t{1}}), "");
    EXPECT_TRUE(log.has("VR=UN not implemented"));
    // A sequence takes a flag word and no value.
    add(0x0004, 0x1220, "SQ", 1, {int64_t{Tag_Flag::Forced}});
    const DICOM_Tag* sq = get(0x0004, 0x1220);
    EXPECT_EQ(sq->flags, Tag_Flag::Origin_Library | Tag_Flag::Forced);
    EXPECT_EQ(sq->length, 0);
}

}  // namespace
