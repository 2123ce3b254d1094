// Element encoder: header forms, sequences and values it must leave out. The values of every
// VR in each transfer syntax are checked by pydicom (tests/interop).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dicom/encoder.h"
#include "dicom/part10.h"
#include "element_helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;

DICOM_Tag element(uint16_t group, uint16_t elem, const char* vr, const Bytes& value) {
    return make_element(group, elem, vr, std::string(value.begin(), value.end()));
}
DICOM_Tag text(uint16_t group, uint16_t elem, const char* vr, const std::string& s) {
    return make_element(group, elem, vr, s);
}

TEST(ElementHeader, VrFromDictionaryWhenImplicitInStream) {
    DICOM_Tag t = text(0x0008, 0x0060, "CS", "MR");
    t.vr = 0;
    t.vr_def = VR_Code("CS");
    Bytes b = DICOM_Attribute_To_Str(nullptr, 8, t);
    ASSERT_EQ(b.size(), 10u);
    EXPECT_EQ(b[4], 'C');
    EXPECT_EQ(b[5], 'S');
    // Known by neither: written as UN, with the long header.
    t.vr_def = 0;
    b = DICOM_Attribute_To_Str(nullptr, 8, t);
    EXPECT_EQ(Bytes(b.begin() + 4, b.begin() + 12), (Bytes{'U', 'N', 0, 0, 2, 0, 0, 0}));
}

DICOM_Tag sequence(std::vector<DICOM_Tag_List> items) {
    DICOM_Tag sq;
    sq.group = 0x0004;
    sq.element = 0x1220;
    sq.vr = VR_SQ;
    sq.item = std::move(items);
    return sq;
}

TEST(Sequence, UndefinedLengthsAndDelimiters) {
    DICOM_Tag sq = sequence({{element(0x0004, 0x1400, "UL", {0, 0, 0, 0})}});
    const Bytes expect = {
        0x04, 0x00, 0x20, 0x12, 'S', 'Q', 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // SQ, undefined length
        0xFE, 0xFF, 0x00, 0xE0, 0xFF, 0xFF, 0xFF, 0xFF,                  // item, undefined length
        0x04, 0x00, 0x00, 0x14, 'U', 'L', 4, 0, 0, 0, 0, 0,              // the item's element
        0xFE, 0xFF, 0x0D, 0xE0, 0, 0, 0, 0,                              // item delimitation
        0xFE, 0xFF, 0xDD, 0xE0, 0, 0, 0, 0,                              // sequence delimitation
    };
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, sq), expect);
    // Implicit: 8-byte headers throughout (8 + 8 + 12 + 8 + 8).
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 0, sq).size(), 44u);

    DICOM_Tag empty = sequence({});
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, empty),
              (Bytes{0x04, 0x00, 0x20, 0x12, 'S', 'Q', 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,
                     0xFE, 0xFF, 0xDD, 0xE0, 0, 0, 0, 0}));
}

TEST(Sequence, UnfilledItemEndsItemsAndItemTagsAreNotRepeated) {
    DICOM_Tag item_tag = element(0xFFFE, 0xE000, "UN", {});
    DICOM_Tag sq = sequence({{item_tag, text(0x0004, 0x1430, "CS", "IMAGE ")}, {}, {text(0x0010, 0x0010, "PN", "XY")}});
    // One item: 12 + (8 + 14 + 8) + 8.
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, sq).size(), 50u);
}

TEST(UnloadedValue, LeftOut) {
    DICOM_Tag on_disk = element(0x7FE0, 0x0010, "OW", {});
    on_disk.length = 1024;  // value left in its file
    DICOM_Tag cut = element(0x0010, 0x0020, "LO", {'A', 'B'});
    cut.length = 6;  // cut at end of file
    DICOM_Tag too_long = text(0x0010, 0x4000, "LT", std::string(70000, 'x'));
    for (const DICOM_Tag* t : {&on_disk, &cut, &too_long}) EXPECT_TRUE(DICOM_Attribute_To_Str(nullptr, 8, *t).empty());
    // Implicit VR has a 32-bit length: the long text fits there.
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 0, too_long).size(), 70008u);

    DICOM_Tag sq = sequence({{cut, text(0x0010, 0x0010, "PN", "XY")}});
    EXPECT_EQ(DICOM_Attribute_To_Str(nullptr, 8, sq).size(), 12u + 8 + 10 + 8 + 8);

    DICOM_Tag_List meta = {element(0x0002, 0x0001, "OB", {0, 1}), on_disk};
    meta[1].group = 0x0002;
    meta[1].element = 0x0002;
    EXPECT_EQ(DICOM_Write_Group(nullptr, 2, 8, meta).size(), 14u);
}

}  // namespace
