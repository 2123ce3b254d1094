#include "dicom/attribute_copy.h"

#include <gtest/gtest.h>

#include "dicom/attribute_list.h"
#include "dicom/nesting.h"
#include "element_helpers.h"
#include "support/log_recorder.h"

namespace {

DICOM_Tag element(uint16_t element, const char* vr, const std::string& value,
                  uint16_t flags = Tag_Flag::Origin_DICOM) {
    return make_element(0x0008, element, vr, value, flags);
}
std::string text(const DICOM_Tag& tag) { return text_of(&tag); }

// Top-level (0008,1140) SQ; each item holds one (0008,item_element) with the given value.
DICOM_Tag sequence(const std::vector<std::string>& values, uint16_t flags = Tag_Flag::Origin_DICOM,
                   uint16_t item_element = 0x1150) {
    DICOM_Tag tag = element(0x1140, "SQ", "", flags);
    tag.length = Undefined_Length;
    for (const std::string& value : values) {
        tag.item.push_back({element(item_element, "UI", value)});
        tag.item.back()[0].depth = 1;
    }
    return tag;
}

class Attribute_Copy : public ::testing::Test {
protected:
    void SetUp() override { DICOM_Attribute_Sequence_Reset(nullptr, &root); }
    // Copies source onto the list's only element (same tag); returns that element.
    DICOM_Tag& copy_onto(DICOM_Tag target, const DICOM_Tag& source) {
        list = {std::move(target)};
        const DICOM_Tag_List chain{source};
        EXPECT_EQ(DICOM_Attribute_Copy(nullptr, &root, &list, &chain), 1);
        EXPECT_EQ(list.size(), 1u);
        return list.at(0);
    }
    DICOM_Root root;
    DICOM_Tag_List list;
};

TEST_F(Attribute_Copy, AppendJoinsValuesByVrAndRefusesDatesTimesAndUids) {
    EXPECT_EQ(text(copy_onto(element(0x103E, "LO", "A"), element(0x103E, "LO", "B", Tag_Flag::Append))), "A\\B ");
    EXPECT_EQ(text(copy_onto(element(0x4000, "LT", "one"), element(0x4000, "LT", "two", Tag_Flag::Append))),
              "one\ntwo ");
    const DICOM_Tag& words = copy_onto(element(0x0010, "US", std::string("\x01\x00", 2)),
                                       element(0x0010, "US", std::string("\x02\x00", 2), Tag_Flag::Append));
    EXPECT_EQ(words.length, 4);
    EXPECT_EQ(words.data, (std::vector<uint8_t>{1, 0, 2, 0}));

    for (const char* vr : {"DA", "DT", "TM", "UI"}) {
        Log_Recorder log;
        EXPECT_EQ(text(copy_onto(element(0x0020, vr, "20240101"), element(0x0020, vr, "2025", Tag_Flag::Append))),
                  "20240101");
        EXPECT_TRUE(log.has("WARNING: Unable to append to tag (0008,0020)"));
    }
}

TEST_F(Attribute_Copy, ForcedTargetKeepsItsHeaderAndValue) {
    DICOM_Tag forced = element(0x0090, "PN", "Kept", Tag_Flag::Forced);
    forced.description = "Referring";
    const DICOM_Tag& kept = copy_onto(forced, element(0x0090, "LO", "Other", Tag_Flag::Append));
    EXPECT_EQ(text(kept), "Kept");
    EXPECT_EQ(kept.vr, VR_Code("PN"));
    EXPECT_EQ(kept.description, "Referring");
    // A Forced source copies no items.
    const DICOM_Tag& empty = copy_onto(sequence({}, 0), sequence({"3.1"}, Tag_Flag::Forced));
    ASSERT_EQ(empty.item_nb(), 1);
    EXPECT_TRUE(empty.item[0].empty());
}

TEST_F(Attribute_Copy, ReplacingAValueLeftOnDiskDropsTheOldBytes) {
    DICOM_Tag source = element(0x0060, "CS", "", Tag_Flag::VR_Unknown);
    source.length = 1500;
    source.pos_data = 4000;
    DICOM_Tag old = element(0x0060, "CS", "OLD", 0);
    old.description = "old name";
    const DICOM_Tag& target = copy_onto(old, source);
    EXPECT_EQ(target.vr_def, VR_UN);
    EXPECT_EQ(target.length, 1500);
    EXPECT_TRUE(target.data.empty());
    EXPECT_EQ(target.pos_data, 4000u);
    EXPECT_EQ(target.description, "old name");  // the source has none
    // An empty description given on purpose is one: it clears the target's.
    source.blank_description = true;
    EXPECT_FALSE(copy_onto(old, source).has_description());
}

TEST_F(Attribute_Copy, ItemsFillTheFirstSlotsOrFollowTheOldOnesWhenAppended) {
    const DICOM_Tag& filled = copy_onto(sequence({"t1", "t2", "t3"}, 0, 0x1155), sequence({"s1", "s2"}));
    ASSERT_EQ(filled.item_nb(), 3);
    EXPECT_EQ(tags_of(filled.item[1]), (std::vector<uint32_t>{0x00081150, 0x00081155}));  // in tag order
    EXPECT_EQ(filled.item[2].size(), 1u);
    const DICOM_Tag& appended = copy_onto(sequence({"t1", "t2"}), sequence({"s1"}, Tag_Flag::Append));
    ASSERT_EQ(appended.item_nb(), 3);
    EXPECT_EQ(text(appended.item[2].at(0)), "s1");
    EXPECT_EQ(root.depth, 0);
}

TEST_F(Attribute_Copy, CopyPlacesInTagOrderInTheCurrentItem) {
    list = {sequence({"a"})};
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);
    DICOM_Attribute_Item_Start(nullptr, &root, 0);
    const DICOM_Tag_List chain{element(0x1155, "UI", "b"), element(0x0001, "UL", "c")};
    EXPECT_EQ(DICOM_Attribute_Copy(nullptr, &root, &list, &chain), 1);
    const DICOM_Tag_List& item = list[0].item[0];
    ASSERT_EQ(item.size(), 3u);
    EXPECT_EQ(item[0].element, 0x0001);
    EXPECT_EQ(item[2].element, 0x1155);
    EXPECT_EQ(item[2].depth, 1);

    // Copying a list into itself reads a snapshot.
    list = {element(0x0008, "CS", "ORIGINAL", Tag_Flag::Append), element(0x0016, "UI", "1.2")};
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    EXPECT_EQ(DICOM_Attribute_Copy(nullptr, &root, &list, &list), 1);
    EXPECT_EQ(text(list[0]), "ORIGINAL\\ORIGINAL ");
    EXPECT_EQ(text(list[1]), "1.2");
}

}  // namespace
