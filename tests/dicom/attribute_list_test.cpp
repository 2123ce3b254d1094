#include <gtest/gtest.h>

#include "dicom/attribute_list.h"
#include "dicom/nesting.h"
#include "element_helpers.h"
#include "support/log_recorder.h"

namespace {

DICOM_Tag element(uint16_t group, uint16_t element, const std::string& value) {
    return make_element(group, element, "LO", value);
}
std::string text(const DICOM_Tag* tag) { return text_of(tag); }

class Attribute_List : public ::testing::Test {
protected:
    void SetUp() override { DICOM_Attribute_Sequence_Reset(nullptr, &root); }
    DICOM_Tag* insert(const DICOM_Tag& tag) { return DICOM_Attribute_Insert(nullptr, &root, &list, &tag, 0); }
    DICOM_Tag* get(uint16_t group, uint16_t element) { return DICOM_Attribute_Get(nullptr, &root, &list, group, element); }
    void enter(uint16_t element, int items) {
        DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, element, Tag_Flag::Origin_DICOM, 0);
        for (int n = 0; n < items; ++n) DICOM_Attribute_Item_Start(nullptr, &root, 0);
    }
    DICOM_Root root;
    DICOM_Tag_List list;
};

TEST_F(Attribute_List, InsertKeepsStreamOrderAndRepeatsGetFindsFirstAndWildcards) {
    insert(element(0x0010, 0x0020, "ID"));
    insert(element(0x0008, 0x0018, "first"));
    insert(element(0x0008, 0x0018, "second"));
    // Inserting an element of the list itself, while the list grows, copies it intact.
    for (int n = 0; n < 20; ++n) insert(list[1]);
    EXPECT_EQ(list.size(), 23u);
    EXPECT_EQ(text(&list.back()), "first");
    EXPECT_EQ(text(get(0x0008, 0x0018)), "first");
    EXPECT_EQ(text(get(0xFFFF, 0xFFFF)), "ID");
    EXPECT_EQ(text(get(0x0008, 0xFFFF)), "first");
    EXPECT_EQ(get(0x0020, 0x000D), nullptr);
}

TEST_F(Attribute_List, PlaceKeepsAscendingOrderAndReusesExistingElements) {
    DICOM_Attribute_Place(nullptr, &root, &list, 0x0020, 0x000D)->length = 2;
    DICOM_Attribute_Place(nullptr, &root, &list, 0x0010, 0x0010);  // before the first
    DICOM_Attribute_Place(nullptr, &root, &list, 0x0028, 0x0010);  // after the last
    DICOM_Attribute_Place(nullptr, &root, &list, 0x0010, 0x0020);  // in between
    EXPECT_EQ(DICOM_Attribute_Place(nullptr, &root, &list, 0x0020, 0x000D)->length, 2);
    EXPECT_EQ(tags_of(list), (std::vector<uint32_t>{0x00100010, 0x00100020, 0x0020000D, 0x00280010}));
}

// Top level: (0008,0016), (0008,1140) SQ, (0010,0010); the sequence's first item holds
// (0008,1150) "item1"; its second (0008,1150) "item2" and (0008,A730) SQ with (0008,A160) "deep".
class Nested_List : public Attribute_List {
protected:
    void SetUp() override {
        Attribute_List::SetUp();
        insert(element(0x0008, 0x0016, "class"));
        enter(0x1140, 1);
        insert(element(0x0008, 0x1150, "item1"));
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        insert(element(0x0008, 0x1150, "item2"));
        enter(0xA730, 1);
        insert(element(0x0008, 0xA160, "deep"));
        DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
        DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
        insert(element(0x0010, 0x0010, "Doe"));
    }
};

TEST_F(Nested_List, InsertThroughItemsBuildsSequencesAtTheRightDepths) {
    ASSERT_EQ(tags_of(list), (std::vector<uint32_t>{0x00080016, 0x00081140, 0x00100010}));
    const DICOM_Tag& sequence = list[1];
    EXPECT_EQ(sequence.vr, VR_SQ);
    ASSERT_EQ(sequence.item_nb(), 2);
    EXPECT_EQ(text(&sequence.item[0].at(0)), "item1");
    EXPECT_EQ(sequence.item[0][0].depth, 1);
    const DICOM_Tag& inner = sequence.item[1].at(1);
    EXPECT_EQ(inner.depth, 1);
    EXPECT_EQ(text(&inner.item.at(0).at(0)), "deep");
    EXPECT_EQ(inner.item[0][0].depth, 2);

    // Get and Place work in the current item.
    enter(0x1140, 2);
    EXPECT_EQ(text(get(0x0008, 0x1150)), "item2");
    EXPECT_EQ(DICOM_Attribute_Place(nullptr, &root, &list, 0x0008, 0x1155)->depth, 1);
    EXPECT_EQ(tags_of(list[1].item[1]), (std::vector<uint32_t>{0x00081150, 0x00081155, 0x0008A730}));
}

TEST_F(Nested_List, WithoutACurrentItemInsertFailsAndGetSearchesTheListReached) {
    Log_Recorder log;
    enter(0x1140, 0);
    EXPECT_EQ(text(get(0x0010, 0x0010)), "Doe");
    EXPECT_EQ(insert(element(0x0008, 0x1150, "lost")), nullptr);
    EXPECT_TRUE(log.has("Failed to insert tag(0008,1150)"));
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0008, 0x1150), 0);
    EXPECT_EQ(DICOM_Attribute_Place(nullptr, &root, &list, 0x0008, 0x1150), nullptr);
}

TEST_F(Nested_List, DeleteReachesIntoItemsUntilAnUnfilledItemAndKeepsAppendingAtTheEnd) {
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0008, 0x1150), 1);
    EXPECT_TRUE(list[1].item[0].empty());
    ASSERT_EQ(list[1].item[1].size(), 1u);
    // The emptied first item now ends every walk over the items: "deep" is out of reach.
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0008, 0xA160), 1);
    EXPECT_EQ(list[1].item[1][0].item[0].size(), 1u);

    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0010, 0x0010), 1);
    insert(element(0x0020, 0x000D, "after"));
    EXPECT_EQ(tags_of(list), (std::vector<uint32_t>{0x00080016, 0x00081140, 0x0020000D}));
    EXPECT_EQ(root.depth, 0);

    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0xFFFF, 0xFFFF), 1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0xFFFF, 0xFFFF), 0);
}

TEST_F(Attribute_List, InsertIntoAnEmptyListAtDepthTwoBuildsTheOuterSequences) {
    enter(0x0016, 1);
    enter(0x0300, 1);
    ASSERT_NE(insert(element(0x0008, 0x0100, "code")), nullptr);
    ASSERT_EQ(tags_of(list), std::vector<uint32_t>{0x00080016});
    const DICOM_Tag& inner = list[0].item.at(0).at(0);
    EXPECT_EQ(inner.element, 0x0300);
    EXPECT_EQ(inner.depth, 1);
    EXPECT_EQ(text(&inner.item.at(0).at(0)), "code");
    EXPECT_EQ(inner.item[0][0].depth, 2);
}


TEST(Nesting, TooDeepCollapsesIntoDepthNineAndTooManyStopsAreRefused) {
    Log_Recorder log;
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    EXPECT_EQ(DICOM_Attribute_Sequence_Stop(nullptr, &root, 0), 0);
    EXPECT_TRUE(log.has("WARNING: To many \"out of sequences\" in DICOM stream (0000,0000)"));

    for (uint16_t n = 1; n <= 9; ++n) EXPECT_EQ(DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0040, n, 0, 0), n);
    EXPECT_FALSE(log.has("\"sequences\""));
    EXPECT_EQ(DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0040, 10, 0x1000, 0), 9);
    EXPECT_EQ(root.Seq_Element[8], 9);
    EXPECT_EQ(root.Seq_Element[9], 10);
    EXPECT_EQ(root.Seq_Flags[9], 0x1000);
    EXPECT_TRUE(log.has("To many \"sequences\" in DICOM stream"));
}

TEST(Nesting, ItemsAreNumberedPerSequenceAndSurviveItemStop) {
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1115, 0, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    for (int n = 0; n < 3; ++n) {
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        DICOM_Attribute_Item_Stop(nullptr, &root, 0);
    }
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), 2);
    DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 12), -1);
}

}  // namespace
