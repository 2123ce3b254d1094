// Building data sets: inserting, finding, placing and deleting elements at the current depth,
// the nesting that leads there, copying elements onto others, and the typed builders (what the
// sample data set read by pydicom does not reach: odd lengths, corner values, refusals).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dicom/attribute_add.h"
#include "dicom/attribute_list.h"
#include "dicom/nesting.h"
#include "element_helpers.h"
#include "support/log_recorder.h"

namespace {

using V = std::vector<DICOM_Value>;
using S = std::string;

DICOM_Tag lo(uint16_t group, uint16_t element, const std::string& value) {
    return make_element(group, element, "LO", value);
}
// An element of group 0008.
DICOM_Tag element(uint16_t element, const char* vr, const std::string& value, uint16_t flags = Tag_Flag::Origin_DICOM) {
    return make_element(0x0008, element, vr, value, flags);
}
std::string text(const DICOM_Tag& tag) { return text_of(&tag); }

class Attribute_List : public ::testing::Test {
protected:
    void SetUp() override { DICOM_Attribute_Sequence_Reset(nullptr, &root); }
    DICOM_Tag* insert(const DICOM_Tag& tag) { return DICOM_Attribute_Insert(nullptr, &root, &list, &tag, 0); }
    DICOM_Tag* get(uint16_t group, uint16_t element) { return DICOM_Attribute_Get(nullptr, &root, &list, group, element); }
    DICOM_Tag* place(uint16_t group, uint16_t element) {
        return DICOM_Attribute_Place(nullptr, &root, &list, group, element);
    }
    int remove(uint16_t group, uint16_t element) {
        return DICOM_Attribute_Delete(nullptr, &root, &list, group, element);
    }
    // Steps into (0008,element) and into its items-th item.
    void enter(uint16_t element, int items) {
        DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, element, Tag_Flag::Origin_DICOM, 0);
        for (int n = 0; n < items; ++n) DICOM_Attribute_Item_Start(nullptr, &root, 0);
    }
    DICOM_Root root;
    DICOM_Tag_List list;
};

TEST_F(Attribute_List, InsertKeepsStreamOrderAndRepeatsGetFindsFirstAndWildcards) {
    insert(lo(0x0010, 0x0020, "ID"));
    insert(lo(0x0008, 0x0018, "first"));
    insert(lo(0x0008, 0x0018, "second"));
    // Inserting an element of the list itself, while the list grows, copies it intact.
    for (int n = 0; n < 20; ++n) insert(list[1]);
    EXPECT_EQ(list.size(), 23u);
    EXPECT_EQ(text(list.back()), "first");
    EXPECT_EQ(text_of(get(0x0008, 0x0018)), "first");
    EXPECT_EQ(text_of(get(0xFFFF, 0xFFFF)), "ID");
    EXPECT_EQ(text_of(get(0x0008, 0xFFFF)), "first");
    EXPECT_EQ(get(0x0020, 0x000D), nullptr);
}

TEST_F(Attribute_List, PlaceKeepsAscendingOrderAndReusesExistingElements) {
    place(0x0020, 0x000D)->length = 2;
    place(0x0010, 0x0010);  // before the first
    place(0x0028, 0x0010);  // after the last
    place(0x0010, 0x0020);  // in between
    EXPECT_EQ(place(0x0020, 0x000D)->length, 2);
    EXPECT_EQ(tags_of(list), (std::vector<uint32_t>{0x00100010, 0x00100020, 0x0020000D, 0x00280010}));
}

// Top level: (0008,0016), (0008,1140) SQ, (0010,0010); the sequence's first item holds
// (0008,1150) "item1"; its second (0008,1150) "item2" and (0008,A730) SQ with (0008,A160) "deep".
class Nested_List : public Attribute_List {
protected:
    void SetUp() override {
        Attribute_List::SetUp();
        insert(lo(0x0008, 0x0016, "class"));
        enter(0x1140, 1);
        insert(lo(0x0008, 0x1150, "item1"));
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        insert(lo(0x0008, 0x1150, "item2"));
        enter(0xA730, 1);
        insert(lo(0x0008, 0xA160, "deep"));
        DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
        DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
        insert(lo(0x0010, 0x0010, "Doe"));
    }
};

TEST_F(Nested_List, InsertThroughItemsBuildsSequencesAtTheRightDepths) {
    ASSERT_EQ(tags_of(list), (std::vector<uint32_t>{0x00080016, 0x00081140, 0x00100010}));
    const DICOM_Tag& sequence = list[1];
    EXPECT_EQ(sequence.vr, VR_SQ);
    ASSERT_EQ(sequence.item_nb(), 2);
    EXPECT_EQ(text(sequence.item[0].at(0)), "item1");
    EXPECT_EQ(sequence.item[0][0].depth, 1);
    const DICOM_Tag& inner = sequence.item[1].at(1);
    EXPECT_EQ(inner.depth, 1);
    EXPECT_EQ(text(inner.item.at(0).at(0)), "deep");
    EXPECT_EQ(inner.item[0][0].depth, 2);

    // Get and Place work in the current item.
    enter(0x1140, 2);
    EXPECT_EQ(text_of(get(0x0008, 0x1150)), "item2");
    EXPECT_EQ(place(0x0008, 0x1155)->depth, 1);
    EXPECT_EQ(tags_of(list[1].item[1]), (std::vector<uint32_t>{0x00081150, 0x00081155, 0x0008A730}));
}

TEST_F(Nested_List, WithoutACurrentItemInsertFailsAndGetSearchesTheListReached) {
    Log_Recorder log;
    enter(0x1140, 0);
    EXPECT_EQ(text_of(get(0x0010, 0x0010)), "Doe");
    EXPECT_EQ(insert(lo(0x0008, 0x1150, "lost")), nullptr);
    EXPECT_TRUE(log.has("Failed to insert tag(0008,1150)"));
    EXPECT_EQ(remove(0x0008, 0x1150), 0);
    EXPECT_EQ(place(0x0008, 0x1150), nullptr);
}

TEST_F(Nested_List, DeleteReachesIntoItemsUntilAnUnfilledItemAndKeepsAppendingAtTheEnd) {
    EXPECT_EQ(remove(0x0008, 0x1150), 1);
    EXPECT_TRUE(list[1].item[0].empty());
    ASSERT_EQ(list[1].item[1].size(), 1u);
    // The emptied first item now ends every walk over the items: "deep" is out of reach.
    EXPECT_EQ(remove(0x0008, 0xA160), 1);
    EXPECT_EQ(list[1].item[1][0].item[0].size(), 1u);

    EXPECT_EQ(remove(0x0010, 0x0010), 1);
    insert(lo(0x0020, 0x000D, "after"));
    EXPECT_EQ(tags_of(list), (std::vector<uint32_t>{0x00080016, 0x00081140, 0x0020000D}));
    EXPECT_EQ(root.depth, 0);

    EXPECT_EQ(remove(0xFFFF, 0xFFFF), 1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(remove(0xFFFF, 0xFFFF), 0);
}

TEST_F(Attribute_List, InsertIntoAnEmptyListAtDepthTwoBuildsTheOuterSequences) {
    enter(0x0016, 1);
    enter(0x0300, 1);
    ASSERT_NE(insert(lo(0x0008, 0x0100, "code")), nullptr);
    ASSERT_EQ(tags_of(list), std::vector<uint32_t>{0x00080016});
    const DICOM_Tag& inner = list[0].item.at(0).at(0);
    EXPECT_EQ(inner.element, 0x0300);
    EXPECT_EQ(inner.depth, 1);
    EXPECT_EQ(text(inner.item.at(0).at(0)), "code");
    EXPECT_EQ(inner.item[0][0].depth, 2);
}

TEST_F(Attribute_List, NestingTooDeepCollapsesIntoDepthNineAndTooManyStopsAreRefused) {
    Log_Recorder log;
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

TEST_F(Attribute_List, NestingItemsAreNumberedPerSequenceAndSurviveItemStop) {
    enter(0x1115, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    for (int n = 0; n < 3; ++n) {
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        DICOM_Attribute_Item_Stop(nullptr, &root, 0);
    }
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), 2);
    DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
    enter(0x1140, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 12), -1);
}

// Copying an element onto the element of the same tag. Top-level (0008,1140) SQ; each item holds one (0008,item_element) with the given value.
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

class Attribute_Copy : public Attribute_List {
protected:
    // Copies source onto the list's only element (same tag); returns that element.
    DICOM_Tag& copy_onto(DICOM_Tag target, const DICOM_Tag& source) {
        list = {std::move(target)};
        const DICOM_Tag_List chain{source};
        EXPECT_EQ(DICOM_Attribute_Copy(nullptr, &root, &list, &chain), 1);
        EXPECT_EQ(list.size(), 1u);
        return list.at(0);
    }
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
    enter(0x1140, 1);
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

// The typed builders.
class AttributeAdd : public Attribute_List {
protected:
    Log_Recorder log;
    // Adds and returns the element's value as text.
    std::string add(uint16_t group, uint16_t element, const char (&vr)[3], int count, const V& values = {}) {
        DICOM_Attribute_Add(nullptr, &root, &list, group, element, VR_Code(vr), count, values);
        const DICOM_Tag* t = get(group, element);
        if (t == nullptr) return "<missing>";
        EXPECT_EQ(static_cast<std::size_t>(t->length), t->data.size());
        return text_of(t);
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
