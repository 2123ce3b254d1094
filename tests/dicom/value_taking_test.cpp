// Taking values instead of copying them (the reading path) must give the very data set copying
// gives; and the description shortcut must describe as the formatted path did.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "dicom/attribute_format.h"
#include "dicom/dictionary.h"
#include "element_helpers.h"

namespace {

DICOM_Tag_List sample_flat() {
    Flat_List flat;
    flat.add(0x0008, 0x0060, VR_Code("CS"), 2, "MR", "Modality");
    // Length 0 with bytes held: a copy keeps no value without a length.
    flat.add(0x0008, 0x0070, VR_Code("LO"), 0, "stale");
    // Delimited sequence, one delimited item of two elements.
    flat.add(0x0008, 0x1140, VR_SQ, Undefined_Length).item();
    flat.add(0x0008, 0x1150, VR_Code("UI"), 4, "1.2", "Referenced SOP Class UID");
    flat.add(0x0008, 0x1155, VR_Code("UI"), 4, "1.3").item_end().sequence_end();
    // Private, no VR anywhere: marked VR_Unknown, which a copy turns into vr_def UN.
    flat.add(0x0009, 0x1001, 0, 4, "abcd");
    // Left from an earlier value access: a copy does not carry it.
    for (DICOM_Tag& tag : flat.list) tag.vm = 3;
    return flat.list;
}

// Every field of an element but its items.
auto fields(const DICOM_Tag& t) {
    return std::tie(t.syntax, t.depth, t.flags, t.group, t.element, t.vr, t.vr_def, t.type, t.blank_description, t.vm,
                    t.pos, t.pos_data, t.length, t.data, t.description, t.dict);
}

void expect_same(const DICOM_Tag_List& copied, const DICOM_Tag_List& taken) {
    ASSERT_EQ(copied.size(), taken.size());
    for (std::size_t i = 0; i < copied.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << std::hex << copied[i].group << "," << copied[i].element);
        EXPECT_EQ(fields(copied[i]), fields(taken[i]));
        ASSERT_EQ(copied[i].item.size(), taken[i].item.size());
        for (std::size_t k = 0; k < copied[i].item.size(); ++k) expect_same(copied[i].item[k], taken[i].item[k]);
    }
}

TEST(ValueTaking, FormatTakingGivesTheCopiedSetAndEmptiesTheFlatList) {
    DICOM_Tag_List for_copy = sample_flat();
    DICOM_Tag_List for_take = sample_flat();
    auto copied = DICOM_Attribute_Format(nullptr, for_copy);
    auto taken = DICOM_Attribute_Format(nullptr, for_take, true);
    ASSERT_TRUE(copied && taken);
    expect_same(*copied, *taken);
    EXPECT_EQ((*taken)[0].data.size(), 2u);         // the value did arrive
    EXPECT_TRUE((*taken)[1].data.empty());          // (0008,0070) length 0
    EXPECT_EQ((*taken).back().vr_def, VR_UN);
    const DICOM_Tag_List original = sample_flat();
    for (std::size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(for_copy[i].data, original[i].data);  // copying leaves values alone...
        EXPECT_EQ(for_copy[i].description, original[i].description);
        EXPECT_TRUE(for_take[i].data.empty());           // ...taking leaves none behind
        EXPECT_TRUE(for_take[i].description.empty());
        EXPECT_EQ(for_take[i].flags, for_copy[i].flags);  // the checks' marks on both
    }
}

TEST(ValueTaking, DescriptionsWithoutFormattingMatchTheFormattedOnes) {
    DICOM_Tag node;
    const std::string long_text(700, 'x');
    DICOM_Attribute_Describe(nullptr, &node, VR_Code("LO"), "%s", long_text.c_str());
    EXPECT_EQ(node.description, std::string(599, 'x'));  // cut where the formatted text was
    EXPECT_EQ(node.vr_def, VR_Code("LO"));
    DICOM_Attribute_Describe(nullptr, &node, 0, "Pixel Data");
    EXPECT_EQ(node.description, "Pixel Data");
    DICOM_Attribute_Describe(nullptr, &node, 0, "100%% of %s", "it");
    EXPECT_EQ(node.description, "100% of it");
    DICOM_Attribute_Describe(nullptr, &node, 0, "%s", "");
    EXPECT_TRUE(node.description.empty());
    EXPECT_EQ(node.vr_def, VR_Code("LO"));
}

}  // namespace
