// The trace dump: value renderings, and the legend and indentation of a nested list.
#include <gtest/gtest.h>

#include "dicom/attribute_dump.h"
#include "dicom/byte_order.h"
#include "dicom/nesting.h"
#include "support/log_recorder.h"

namespace {

DICOM_Tag tag_of(const char (&vr)[3], int32_t length, std::vector<uint8_t> data = {}, int syntax = 0) {
    DICOM_Tag tag;
    tag.group = 0x0009;
    tag.element = 0x1001;
    tag.vr = VR_Code(vr);
    tag.length = length;
    tag.data = std::move(data);
    tag.pos_data = 1234;
    tag.syntax = static_cast<uint8_t>(syntax);
    return tag;
}

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(AttributeDump, ValueRenderings) {
    std::vector<uint8_t> numbers;
    for (uint16_t i = 0; i < 40; ++i) numbers.push_back(static_cast<uint8_t>(i)), numbers.push_back(0);
    const auto minus_five = DICOM_Write_16(9, static_cast<uint16_t>(-5));
    const struct {
        DICOM_Tag tag;
        std::string shown;
    } cases[] = {
        {tag_of("LO", 0), ""},
        {tag_of("OB", 500), "(data from file at offset=1234)"},
        {tag_of("TM", 300, bytes(std::string(300, '1'))), std::string(250, '1') + "..."},
        {tag_of("OB", 3, {0xAB, 0x01, 0xFF}), "ab 01 ff"},
        {tag_of("OW", 4, {0x34, 0x12, 0x78, 0x56}), "1234 5678"},
        {tag_of("AT", 4, {0x10, 0x00, 0x20, 0x00}), "(0010,0020)"},
        {tag_of("UN", 4, bytes("ABCD")), "(VR=UN Unknown) ABCD"},
        {tag_of("UN", 2, {0, 1}), "(VR=UN Unknown) 00 01"},
        {tag_of("UI", 20, bytes(std::string("1.2.840.10008.1.2.1\0", 20))), "= UID Exlicit VR, Little Endian"},
        {tag_of("SS", 2, {minus_five.begin(), minus_five.end()}, 9), "-5"},  // big endian
    };
    for (const auto& c : cases) EXPECT_EQ(DICOM_Attribute_Stool_Value(c.tag), c.shown);
    const std::string us = DICOM_Attribute_Stool_Value(tag_of("US", 80, numbers));
    EXPECT_EQ(us.rfind("0 / 1 / 2", 0), 0u);
    EXPECT_NE(us.find("/ 15 ..."), std::string::npos);  // 16 numbers shown
    EXPECT_EQ(us.find("16"), std::string::npos);
}

TEST(AttributeDump, LegendOnceAndItemsIndented) {
    Log_Recorder log(7);
    DICOM_Tag marked = tag_of("LO", 0);
    marked.flags = Tag_Flag::Origin_DICOM | Tag_Flag::Forced | Tag_Flag::Append;
    marked.description = "\x01" "Two\x02 marks";
    DICOM_Tag sq = tag_of("SQ", Undefined_Length);
    sq.item.push_back({tag_of("CS", 2, bytes("MR"))});
    DICOM_Tag_List list = {marked, sq};
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    DICOM_Attribute_Stool(nullptr, &root, list, LOG_TRACE_7);

    EXPECT_EQ(log.count("(grp, elem) Origin"), 1);  // not again for the item
    // Two markup bytes in the description: two blanks more keep the VR column in place.
    EXPECT_TRUE(log.has(" !Two marks" + std::string(32, ' ') + "(LO"));
    bool nested = false;
    for (const auto& l : log.texts()) nested = nested || l.rfind("    (0009,1001)", 0) == 0;
    EXPECT_TRUE(nested);
}

}  // namespace
