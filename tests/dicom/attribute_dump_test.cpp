// The trace dump: legend, labels, padding of markup and value renderings.
#include <gtest/gtest.h>

#include "dicom/attribute_dump.h"
#include "dicom/byte_order.h"
#include "dicom/nesting.h"
#include "log_capture.h"

namespace {

DICOM_Tag tag_of(uint16_t vr, int32_t length, std::vector<uint8_t> data = {}) {
    DICOM_Tag tag;
    tag.group = 0x0009;
    tag.element = 0x1001;
    tag.vr = vr;
    tag.length = length;
    tag.data = std::move(data);
    tag.pos_data = 1234;
    return tag;
}

TEST(AttributeDump, ValueRenderings) {
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_Code("LO"), 0)), "");
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_OB, 500)), "(data from file at offset=1234)");

    std::vector<uint8_t> numbers;
    for (uint16_t i = 0; i < 40; ++i) {
        const auto b = DICOM_Write_16(0, i);
        numbers.insert(numbers.end(), b.begin(), b.end());
    }
    const std::string us = DICOM_Attribute_Stool_Value(tag_of(VR_Code("US"), 80, numbers));
    EXPECT_EQ(us.rfind("0 / 1 / 2", 0), 0u);
    EXPECT_NE(us.find("/ 15 ..."), std::string::npos);  // 16 numbers shown
    EXPECT_EQ(us.find("16"), std::string::npos);

    const std::string tm(300, '1');
    const std::string shown = DICOM_Attribute_Stool_Value(tag_of(VR_Code("TM"), 300, {tm.begin(), tm.end()}));
    EXPECT_EQ(shown, std::string(250, '1') + "...");

    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_OB, 3, {0xAB, 0x01, 0xFF})), "ab 01 ff");
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_OW, 4, {0x34, 0x12, 0x78, 0x56})), "1234 5678");
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_Code("AT"), 4, {0x10, 0x00, 0x20, 0x00})), "(0010,0020)");
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_UN, 4, {'A', 'B', 'C', 'D'})), "(VR=UN Unknown) ABCD");
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_UN, 2, {0, 1})), "(VR=UN Unknown) 00 01");
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_UN, 6, {0, 1, 2, 3, 4, 5})), "(VR=UN Unknown) ");
    const std::string uid = "1.2.840.10008.1.2.1";
    EXPECT_EQ(DICOM_Attribute_Stool_Value(tag_of(VR_Code("UI"), 20, {uid.begin(), uid.end()})),
              "= UID Exlicit VR, Little Endian");
    const auto ss = DICOM_Write_16(9, static_cast<uint16_t>(-5));  // big endian
    DICOM_Tag big = tag_of(VR_Code("SS"), 2, {ss.begin(), ss.end()});
    big.syntax = 9;
    EXPECT_EQ(DICOM_Attribute_Stool_Value(big), "-5");
}

TEST(AttributeDump, LinesLegendAndNesting) {
    Log_Capture log(7);
    DICOM_Tag forced = tag_of(VR_Code("LO"), 0);
    forced.flags = Tag_Flag::Origin_DICOM | Tag_Flag::Forced | Tag_Flag::Append;
    forced.description = "\x01" "Two\x02 marks";
    DICOM_Tag sq = tag_of(VR_SQ, Undefined_Length);
    sq.group = 0x0008;
    sq.element = 0x1115;
    sq.item.push_back({tag_of(VR_Code("CS"), 2, {'M', 'R'})});
    DICOM_Tag_List list = {forced, sq};
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    DICOM_Attribute_Stool(nullptr, &root, list, LOG_TRACE_7);

    EXPECT_EQ(log.count("Stool syntax:"), 5);  // legend once, not again for the item
    EXPECT_EQ(log.count("(grp, elem) Origin"), 1);
    const std::string* line = nullptr;
    for (const auto& l : log.lines()) {
        if (l.find("(0009,1001)") != std::string::npos && l.find("Two marks") != std::string::npos) line = &l;
    }
    ASSERT_NE(line, nullptr);
    EXPECT_NE(line->find("(Append)   !Two marks"), std::string::npos);
    // Two markup bytes in the description: two blanks more keep the visible column at 40,
    // then the blank before the VR.
    EXPECT_NE(line->find(" !Two marks" + std::string(31 + 1, ' ') + "(LO"), std::string::npos);
    EXPECT_NE(line->find("(no data)"), std::string::npos);
    EXPECT_TRUE(log.has("---- Sequence in ---------------"));
    EXPECT_TRUE(log.has("-> DICOM_Attribute_Stool Item[0]"));
    bool nested = false;
    for (const auto& l : log.lines()) nested = nested || l.rfind("    (0009,1001)", 0) == 0;
    EXPECT_TRUE(nested);  // the item's element indented one level
}

}  // namespace
