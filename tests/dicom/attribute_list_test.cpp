#include "dicom/attribute_list.h"

#include <gtest/gtest.h>

#include "dicom/nesting.h"
#include "dataset_log.h"

namespace {

DICOM_Tag element(uint16_t group, uint16_t element, const std::string& value = "") {
    DICOM_Tag tag;
    tag.group = group;
    tag.element = element;
    tag.flags = Tag_Flag::Origin_DICOM;
    tag.vr = VR_Code("LO");
    tag.length = static_cast<int32_t>(value.size());
    tag.data.assign(value.begin(), value.end());
    return tag;
}

std::string text(const DICOM_Tag* tag) { return tag ? std::string(tag->data.begin(), tag->data.end()) : "<none>"; }

std::vector<uint32_t> tags_of(const DICOM_Tag_List& list) {
    std::vector<uint32_t> tags;
    for (const DICOM_Tag& tag : list) tags.push_back(uint32_t{tag.group} << 16 | tag.element);
    return tags;
}

class Attribute_List : public ::testing::Test {
protected:
    void SetUp() override { DICOM_Attribute_Sequence_Reset(nullptr, &root); }
    DICOM_Tag* insert(const DICOM_Tag& tag) { return DICOM_Attribute_Insert(nullptr, &root, &list, &tag, 0); }
    DICOM_Root root;
    DICOM_Tag_List list;
};

TEST_F(Attribute_List, InsertKeepsStreamOrderAndRepeatsGetFindsFirstAndWildcards) {
    Trace_Capture log;
    insert(element(0x0010, 0x0020, "ID"));
    insert(element(0x0008, 0x0018, "first"));
    insert(element(0x0008, 0x0018, "second"));
    DICOM_Tag* inserted = insert(element(0x0010, 0x0010, "Doe"));
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted, &list.back());
    EXPECT_EQ(tags_of(list), (std::vector<uint32_t>{0x00100020, 0x00080018, 0x00080018, 0x00100010}));

    EXPECT_EQ(text(DICOM_Attribute_Get(nullptr, &root, &list, 0x0008, 0x0018)), "first");
    EXPECT_EQ(text(DICOM_Attribute_Get(nullptr, &root, &list, 0xFFFF, 0xFFFF)), "ID");
    EXPECT_EQ(text(DICOM_Attribute_Get(nullptr, &root, &list, 0x0010, 0xFFFF)), "ID");
    EXPECT_EQ(text(DICOM_Attribute_Get(nullptr, &root, &list, 0xFFFF, 0x0010)), "Doe");
    EXPECT_EQ(DICOM_Attribute_Get(nullptr, &root, &list, 0x0020, 0x000D), nullptr);

    // The copy owns its own bytes and is at the root's depth.
    EXPECT_NE(inserted->data.data(), nullptr);
    EXPECT_EQ(inserted->depth, 0);
    EXPECT_EQ(log.count(LOG_TRACE_5, "in DICOM_Attribute_Insert(0010,0010) LO 3 bytes"), 1);
    EXPECT_EQ(log.count(LOG_TRACE_5, "in DICOM_Attribute_Get(0008,0018)"), 1);
}

TEST_F(Attribute_List, InsertOfAnElementOfTheSameListCopiesItIntact) {
    insert(element(0x0008, 0x0060, "CT"));
    for (int round = 0; round < 20; ++round) ASSERT_NE(insert(list.front()), nullptr);  // grows the vector
    ASSERT_EQ(list.size(), 21u);
    EXPECT_EQ(text(&list.back()), "CT");
}

TEST_F(Attribute_List, PlaceKeepsAscendingOrderAndReusesExistingElements) {
    DICOM_Tag* placed = DICOM_Attribute_Place(nullptr, &root, &list, 0x0020, 0x000D);
    ASSERT_NE(placed, nullptr);
    placed->length = 2;
    DICOM_Attribute_Place(nullptr, &root, &list, 0x0010, 0x0010);  // before the first
    DICOM_Attribute_Place(nullptr, &root, &list, 0x0028, 0x0010);  // after the last
    DICOM_Attribute_Place(nullptr, &root, &list, 0x0010, 0x0020);  // in between
    EXPECT_EQ(tags_of(list), (std::vector<uint32_t>{0x00100010, 0x00100020, 0x0020000D, 0x00280010}));

    DICOM_Tag* again = DICOM_Attribute_Place(nullptr, &root, &list, 0x0020, 0x000D);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->length, 2);
    EXPECT_EQ(list.size(), 4u);
    // The placed tag becomes the current depth's entry, flags cleared.
    EXPECT_EQ(root.Seq_Group[0], 0x0020);
    EXPECT_EQ(root.Seq_Element[0], 0x000D);
}

// Builds: (0008,1140) SQ with two items, the second holding a nested (0040,A730) SQ.
class Nested_List : public Attribute_List {
protected:
    void SetUp() override {
        Attribute_List::SetUp();
        insert(element(0x0008, 0x0016, "class"));
        DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, Tag_Flag::Origin_DICOM, 0);
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        insert(element(0x0008, 0x1150, "item1"));
        DICOM_Attribute_Item_Stop(nullptr, &root, 0);
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        insert(element(0x0008, 0x1150, "item2"));
        DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0040, 0xA730, 0, 0);
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        insert(element(0x0040, 0xA160, "deep"));
        DICOM_Attribute_Item_Stop(nullptr, &root, 0);
        DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
        DICOM_Attribute_Item_Stop(nullptr, &root, 0);
        DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
        insert(element(0x0010, 0x0010, "Doe"));
    }
};

TEST_F(Nested_List, InsertThroughItemsCreatesSequenceElementsAtTheRightDepths) {
    ASSERT_EQ(tags_of(list), (std::vector<uint32_t>{0x00080016, 0x00081140, 0x00100010}));
    const DICOM_Tag& sequence = list[1];
    EXPECT_EQ(sequence.vr, VR_SQ);
    EXPECT_EQ(sequence.vr_def, VR_SQ);
    EXPECT_EQ(sequence.flags, Tag_Flag::Origin_DICOM);
    ASSERT_EQ(sequence.item_nb(), 2);
    ASSERT_EQ(sequence.item[0].size(), 1u);
    EXPECT_EQ(text(&sequence.item[0][0]), "item1");
    EXPECT_EQ(sequence.item[0][0].depth, 1);
    ASSERT_EQ(sequence.item[1].size(), 2u);
    EXPECT_EQ(text(&sequence.item[1][0]), "item2");
    const DICOM_Tag& inner = sequence.item[1][1];
    EXPECT_EQ(inner.group, 0x0040);
    EXPECT_EQ(inner.depth, 1);
    ASSERT_EQ(inner.item_nb(), 1);
    ASSERT_EQ(inner.item[0].size(), 1u);
    EXPECT_EQ(inner.item[0][0].depth, 2);
    EXPECT_EQ(text(&inner.item[0][0]), "deep");
}

TEST_F(Nested_List, GetAndPlaceWorkInTheCurrentItem) {
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);
    DICOM_Attribute_Item_Start(nullptr, &root, 0);
    DICOM_Attribute_Item_Start(nullptr, &root, 0);
    EXPECT_EQ(text(DICOM_Attribute_Get(nullptr, &root, &list, 0x0008, 0x1150)), "item2");
    DICOM_Tag* placed = DICOM_Attribute_Place(nullptr, &root, &list, 0x0008, 0x1155);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->depth, 1);
    EXPECT_EQ(tags_of(list[1].item[1]), (std::vector<uint32_t>{0x00081150, 0x00081155, 0x0040A730}));
}

TEST_F(Nested_List, GetWithoutACurrentItemSearchesTheListReached) {
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);  // no item started
    EXPECT_EQ(text(DICOM_Attribute_Get(nullptr, &root, &list, 0x0010, 0x0010)), "Doe");
}

TEST_F(Nested_List, InsertWithoutACurrentItemFailsWithItsWarning) {
    Trace_Capture log;
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);
    EXPECT_EQ(insert(element(0x0008, 0x1150, "lost")), nullptr);
    EXPECT_EQ(log.count(LOG_WARNING, "\xF1\x05    \x02"
                                     "Failed to insert tag(\x01"
                                     "0008\x02,\x01"
                                     "1150\x02)"),
              1);
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0008, 0x1150), 0);
    EXPECT_EQ(DICOM_Attribute_Place(nullptr, &root, &list, 0x0008, 0x1150), nullptr);
}

TEST_F(Nested_List, DeleteRemovesMatchesAtEveryLevelAndAppendingGoesOnAtTheEnd) {
    Trace_Capture log;
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0008, 0x1150), 1);
    EXPECT_TRUE(list[1].item[0].empty());
    ASSERT_EQ(list[1].item[1].size(), 1u);
    // The first item is now unfilled, which ends every later walk over the items.
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0040, 0xA160), 1);
    EXPECT_EQ(list[1].item[1][0].item[0].size(), 1u);

    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0x0010, 0x0010), 1);
    insert(element(0x0020, 0x000D, "after"));
    EXPECT_EQ(tags_of(list), (std::vector<uint32_t>{0x00080016, 0x00081140, 0x0020000D}));
    EXPECT_EQ(log.count(LOG_TRACE_5, "in DICOM_Attribute_Free(0010,0010)"), 1);
    EXPECT_EQ(root.depth, 0);
}

TEST_F(Nested_List, DeleteEverythingFreesNestedItemsAndEmptiesTheList) {
    Trace_Capture log;
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0xFFFF, 0xFFFF), 1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(log.count(LOG_TRACE_5, "in DICOM_Attribute_Free(0040,a160)"), 1);
    EXPECT_EQ(log.count(LOG_TRACE_5, "in DICOM_Attribute_Free(0008,1150)"), 2);
    EXPECT_EQ(DICOM_Attribute_Delete(nullptr, &root, &list, 0xFFFF, 0xFFFF), 0);
}

TEST_F(Attribute_List, InsertIntoAnEmptyListAtDepthTwoBuildsTheOuterSequences) {
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0054, 0x0016, 0, 0);
    DICOM_Attribute_Item_Start(nullptr, &root, 0);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0054, 0x0300, 0, 0);
    DICOM_Attribute_Item_Start(nullptr, &root, 0);
    ASSERT_NE(insert(element(0x0008, 0x0100, "code")), nullptr);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].group, 0x0054);
    EXPECT_EQ(list[0].element, 0x0016);
    ASSERT_EQ(list[0].item.size(), 1u);
    ASSERT_EQ(list[0].item[0].size(), 1u);
    const DICOM_Tag& inner = list[0].item[0][0];
    EXPECT_EQ(inner.element, 0x0300);
    EXPECT_EQ(inner.depth, 1);
    ASSERT_EQ(inner.item.size(), 1u);
    ASSERT_EQ(inner.item[0].size(), 1u);
    EXPECT_EQ(text(&inner.item[0][0]), "code");
    EXPECT_EQ(inner.item[0][0].depth, 2);
}

}  // namespace
