// Attribute builders: what the sample data set read by pydicom does not reach -- odd lengths,
// corner values, refusals and the cleanup after.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dicom/attribute_add.h"
#include "dicom/attribute_list.h"
#include "support/log_recorder.h"

namespace {

using V = std::vector<DICOM_Value>;
using S = std::string;

class AttributeAdd : public ::testing::Test {
protected:
    DICOM_Root root{};
    DICOM_Tag_List list;
    Log_Recorder log;

    // Adds and returns the element's value as text.
    std::string add(uint16_t group, uint16_t element, const char (&vr)[3], int count, const V& values = {}) {
        DICOM_Attribute_Add(nullptr, &root, &list, group, element, VR_Code(vr), count, values);
        const DICOM_Tag* t = get(group, element);
        if (t == nullptr) return "<missing>";
        EXPECT_EQ(static_cast<std::size_t>(t->length), t->data.size());
        return std::string(t->data.begin(), t->data.end());
    }
    const DICOM_Tag* get(uint16_t group, uint16_t element) {
        return DICOM_Attribute_Get(nullptr, &root, &list, group, element);
    }
};

TEST_F(AttributeAdd, PaddingAndCornerValues) {
    EXPECT_EQ(add(0x0009, 0x1001, "OB", -3, {int64_t{0x1FF}, int64_t{2}, int64_t{3}}), S("\xFF\x02\x03\x00", 4));
    EXPECT_EQ(add(0x0008, 0x0050, "SH", 1, {S("ABC")}), "ABC ");
    EXPECT_EQ(add(0x0020, 0x4000, "LT", 2, {S("abc"), S("def")}), "abc ");  // one-valued: first string only
    EXPECT_EQ(add(0x0018, 0x0088, "DS", 1, {-0.0}), "0 ");
    EXPECT_EQ(add(0x0018, 0x0080, "DS", 1, {0.1}), "0.1 ");  // narrowed to single precision
    EXPECT_EQ(add(0x0018, 0x0081, "DS", 1, {1234567.891}), "1234568 ");
    EXPECT_EQ(add(0x0018, 0x9219, "SS", 1, {int64_t{0x12345}}), S("\x45\x23", 2));
    EXPECT_EQ(add(0x0040, 0x0245, "TM", 2, {DICOM_Time{1, 2, 3.0f}, DICOM_Time{4, 5, 6.5f}}),
              "010203.000\\040506.500 ");
    EXPECT_EQ(add(0x0020, 0x9167, "AT", 3, {int64_t{0x0010}, int64_t{0x0020}, int64_t{0x0030}}),
              S("\x10\x00\x20\x00", 4));  // pairs only
    Person_Name doe, smith;
    conv_name_set(&doe, "Doe", "Jane", nullptr, nullptr, nullptr);
    conv_name_set(&smith, "Smith", nullptr, nullptr, "Dr", nullptr);
    EXPECT_EQ(add(0x0010, 0x0010, "PN", 2, {doe, smith}), "Doe^Jane\\Smith^^^Dr ");
}

TEST_F(AttributeAdd, MissingOrWrongValuesGiveNoValue) {
    EXPECT_EQ(add(0x0008, 0x1030, "LO", 2, {S("A"), std::monostate{}}), "");
    EXPECT_EQ(add(0x0008, 0x103E, "LO", 2, {S("A")}), "");
    EXPECT_EQ(add(0x0008, 0x1050, "PN", 1, {Person_Name{}}), "");
    EXPECT_EQ(add(0x0028, 0x0011, "US", 1, {S("512")}), "");
    DICOM_Date unknown{};
    unknown.valid = false;
    EXPECT_EQ(add(0x0008, 0x0021, "DA", 1, {unknown}), "");
    EXPECT_EQ(add(0x0040, 0x0244, "DA", 1, {DICOM_Date_Time{{2000, 1, 2}, {}}}), "");  // not a date
    EXPECT_EQ(add(0x7FE0, 0x0008, "OF", 1, {1.0}), "");
    EXPECT_EQ(add(0x0009, 0x1002, "UN", 1, {int64_t{1}}), "");
    // Too many decimals for Pixel Spacing: kept, but marked.
    EXPECT_EQ(add(0x0028, 0x0030, "DS", 3, {1.0, 2.0, 3.0}), "1\\2\\3 ");
    EXPECT_NE(get(0x0028, 0x0030)->flags & Tag_Flag::Invalid, 0);
}

TEST_F(AttributeAdd, ExistingValueKeptAndSequencesTakeFlags) {
    add(0x0010, 0x0020, "LO", 1, {S("FIRST")});
    EXPECT_EQ(add(0x0010, 0x0020, "LO", 1, {S("SECOND")}), "FIRST ");
    add(0x0010, 0x0030, "DA", 0);  // no value yet: the next add fills it
    EXPECT_EQ(add(0x0010, 0x0030, "DA", 1, {DICOM_Date{1970, 1, 1}}), "19700101");
    add(0x0004, 0x1220, "SQ", 1, {int64_t{Tag_Flag::Forced}});
    const DICOM_Tag* sq = get(0x0004, 0x1220);
    EXPECT_EQ(sq->flags, Tag_Flag::Origin_Library | Tag_Flag::Forced);
    EXPECT_EQ(sq->length, 0);
    // The result is the first element of the list.
    EXPECT_EQ(DICOM_Attribute_Add(nullptr, &root, &list, 0x0002, 0x0012, VR_Code("UI"), 1, {S("1.2")}), &list.front());
}

}  // namespace
