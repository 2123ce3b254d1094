#include "dicom/attribute_copy.h"

#include <gtest/gtest.h>

#include "dicom/attribute_list.h"
#include "dicom/nesting.h"
#include "dataset_log.h"

namespace {

DICOM_Tag element(uint16_t group, uint16_t element, const char* vr, const std::string& value,
                  uint16_t flags = Tag_Flag::Origin_DICOM) {
    DICOM_Tag tag;
    tag.group = group;
    tag.element = element;
    tag.flags = flags;
    tag.vr = VR_Code({vr[0], vr[1], 0});
    tag.length = static_cast<int32_t>(value.size());
    tag.data.assign(value.begin(), value.end());
    return tag;
}

std::string text(const DICOM_Tag& tag) { return std::string(tag.data.begin(), tag.data.end()); }

// A top-level sequence whose items each hold one element (0008,item_element) with the given values.
DICOM_Tag sequence(const std::vector<std::string>& values, uint16_t flags = Tag_Flag::Origin_DICOM,
                   uint16_t item_element = 0x1150) {
    DICOM_Tag tag = element(0x0008, 0x1140, "SQ", "", flags);
    tag.length = Undefined_Length;
    for (const std::string& value : values) {
        tag.item.push_back({element(0x0008, item_element, "UI", value)});
        tag.item.back()[0].depth = 1;
    }
    return tag;
}

class Attribute_Copy : public ::testing::Test {
protected:
    void SetUp() override { DICOM_Attribute_Sequence_Reset(nullptr, &root); }
    // Copies source into the top-level list's element of the same tag.
    int copy(const DICOM_Tag& source) {
        DICOM_Tag_List chain{source};
        return DICOM_Attribute_Copy(nullptr, &root, &list, &chain);
    }
    DICOM_Tag& only() { return list.at(0); }
    DICOM_Root root;
    DICOM_Tag_List list;
};

TEST_F(Attribute_Copy, AppendJoinsValuesByVr) {
    list = {element(0x0008, 0x103E, "LO", "A")};
    EXPECT_EQ(copy(element(0x0008, 0x103E, "LO", "B", Tag_Flag::Append)), 1);
    EXPECT_EQ(text(only()), "A\\B ");
    EXPECT_EQ(only().length, 4);

    list = {element(0x0020, 0x4000, "LT", "one")};
    copy(element(0x0020, 0x4000, "LT", "two", Tag_Flag::Append));
    EXPECT_EQ(text(only()), "one\ntwo ");

    list = {element(0x0028, 0x0010, "US", std::string("\x01\x00", 2))};
    copy(element(0x0028, 0x0010, "US", std::string("\x02\x00", 2), Tag_Flag::Append));
    EXPECT_EQ(only().length, 4);
    EXPECT_EQ(only().data, (std::vector<uint8_t>{1, 0, 2, 0}));

    // A value left on disk still grows the length; nothing is made up for its bytes.
    list = {element(0x0008, 0x103E, "LO", "A")};
    DICOM_Tag unloaded = element(0x0008, 0x103E, "LO", "", Tag_Flag::Append);
    unloaded.length = 2000;
    copy(unloaded);
    EXPECT_EQ(only().length, 2003);
    EXPECT_EQ(only().data.size(), 2003u);
    EXPECT_EQ(only().data[0], 'A');
}

TEST_F(Attribute_Copy, AppendToDatesTimesUidsAndSequencesIsRefused) {
    for (const char* vr : {"DA", "DT", "TM", "UI"}) {
        Trace_Capture log;
        list = {element(0x0008, 0x0020, vr, "20240101")};
        copy(element(0x0008, 0x0020, vr, "20250101", Tag_Flag::Append));
        EXPECT_EQ(text(only()), "20240101") << vr;
        EXPECT_EQ(log.count(LOG_WARNING, "    \xF1\x05WARNING:\x02 Unable to append to tag (\x01"
                                         "0008\x02,\x01"
                                         "0020\x02)"),
                  1)
            << vr;
    }
}

TEST_F(Attribute_Copy, ForcedAndFilledTargetsKeepTheirHeaderAndValue) {
    DICOM_Tag forced = element(0x0010, 0x0010, "PN", "Kept", Tag_Flag::Forced);
    forced.description = "Patient's Name";
    list = {forced};
    DICOM_Tag source = element(0x0010, 0x0010, "LO", "Other", Tag_Flag::Append);
    source.description = "other";
    copy(source);
    EXPECT_EQ(text(only()), "Kept");
    EXPECT_EQ(only().vr, VR_Code("PN"));
    EXPECT_EQ(only().description, "Patient's Name");

    // Not Append: a target with flags and a value is left as it is, but its items are filled.
    DICOM_Tag filled = sequence({"1.1"});
    filled.length = 100;
    filled.item.clear();
    list = {filled};
    DICOM_Tag incoming = sequence({"2.1", "2.2"});
    incoming.vr = VR_Code("UN");
    copy(incoming);
    EXPECT_EQ(only().vr, VR_SQ);
    EXPECT_EQ(only().length, 100);
    ASSERT_EQ(only().item_nb(), 2);
    EXPECT_EQ(text(only().item[1].at(0)), "2.2");
    EXPECT_EQ(only().item[1].at(0).depth, 1);

    // A Forced source copies no items.
    list.clear();
    copy(sequence({"3.1"}, Tag_Flag::Origin_DICOM | Tag_Flag::Forced));
    ASSERT_EQ(only().item_nb(), 1);
    EXPECT_TRUE(only().item[0].empty());
}

TEST_F(Attribute_Copy, ReplacingTakesTheSourceValueVrAndDescription) {
    DICOM_Tag target = element(0x0008, 0x0060, "CS", "OLD", 0);
    target.description = "old name";
    target.data.assign(3, 'X');
    list = {target};

    DICOM_Tag source = element(0x0008, 0x0060, "CS", "", Tag_Flag::VR_Unknown);
    source.length = 1500;  // left on disk: no bytes
    source.pos_data = 4000;
    copy(source);
    EXPECT_EQ(only().vr_def, VR_UN);
    EXPECT_EQ(only().length, 1500);
    EXPECT_TRUE(only().data.empty());  // the old bytes do not pretend to be the new value
    EXPECT_EQ(only().pos_data, 4000u);
    EXPECT_EQ(only().description, "old name");
    EXPECT_EQ(only().flags, Tag_Flag::VR_Unknown);
}

TEST_F(Attribute_Copy, ItemsFillTheFirstSlotsOrFollowTheOldOnesWhenAppended) {
    list = {sequence({"t1", "t2", "t3", "t4", "t5"}, 0, 0x1155)};
    copy(sequence({"s1", "s2", "s3"}));
    ASSERT_EQ(only().item_nb(), 5);
    ASSERT_EQ(only().item[2].size(), 2u);
    EXPECT_EQ(text(only().item[2][0]), "s3");
    EXPECT_EQ(text(only().item[2][1]), "t3");
    EXPECT_EQ(only().item[3].size(), 1u);
    EXPECT_EQ(only().item[4].size(), 1u);

    list = {sequence({"t1", "t2", "t3", "t4", "t5"})};
    copy(sequence({"s1", "s2", "s3"}, Tag_Flag::Origin_DICOM | Tag_Flag::Append));
    ASSERT_EQ(only().item_nb(), 8);
    EXPECT_EQ(text(only().item[4].at(0)), "t5");
    EXPECT_EQ(text(only().item[5].at(0)), "s1");
    EXPECT_EQ(text(only().item[7].at(0)), "s3");
    EXPECT_EQ(root.depth, 0);
}

TEST_F(Attribute_Copy, CopyPlacesInTagOrderAtTheCurrentItemAndRecordsTheLastTag) {
    list = {sequence({"a"})};
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);
    DICOM_Attribute_Item_Start(nullptr, &root, 0);
    DICOM_Tag_List chain{element(0x0008, 0x1155, "UI", "b"), element(0x0008, 0x0001, "UL", "c")};
    EXPECT_EQ(DICOM_Attribute_Copy(nullptr, &root, &list, &chain), 1);
    const DICOM_Tag_List& item = only().item[0];
    ASSERT_EQ(item.size(), 3u);
    EXPECT_EQ(item[0].element, 0x0001);
    EXPECT_EQ(item[1].element, 0x1150);
    EXPECT_EQ(item[2].element, 0x1155);
    EXPECT_EQ(item[2].depth, 1);
    EXPECT_EQ(root.Seq_Element[1], 0x0001);

    DICOM_Tag_List empty;
    EXPECT_EQ(DICOM_Attribute_Copy(nullptr, &root, &list, &empty), 1);
}

TEST_F(Attribute_Copy, CopyingAListIntoItselfAppendsItsOwnValues) {
    list = {element(0x0008, 0x0008, "CS", "ORIGINAL", Tag_Flag::Append), element(0x0008, 0x0016, "UI", "1.2")};
    EXPECT_EQ(DICOM_Attribute_Copy(nullptr, &root, &list, &list), 1);
    EXPECT_EQ(text(list[0]), "ORIGINAL\\ORIGINAL ");
    EXPECT_EQ(text(list[1]), "1.2");
    ASSERT_EQ(list.size(), 2u);
}

TEST_F(Attribute_Copy, InsertedSequenceCarriesItsItemsAndLeavesTheRootAsItWas) {
    Trace_Capture log;
    DICOM_Tag source = sequence({"x", "y"});
    source.description = "Referenced Image Sequence";
    DICOM_Tag* inserted = DICOM_Attribute_Insert(nullptr, &root, &list, &source, 0);
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted->description, "Referenced Image Sequence");
    ASSERT_EQ(inserted->item_nb(), 2);
    EXPECT_EQ(text(inserted->item[1].at(0)), "y");
    EXPECT_EQ(root.depth, 0);
    EXPECT_EQ(root.Seq_Element[0], 0x1140);
    EXPECT_EQ(log.count(LOG_TRACE_4, "in DICOM_Attribute_Copy_Tag(0008,1150)"), 2);
}

}  // namespace
