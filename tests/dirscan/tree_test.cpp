// Sorting data sets into the tree: keys, refusals, duplicates and configured attributes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "dirscan/tree.h"
#include "walk_fixture.h"

namespace {

using sample_detail::element;

struct Keys {
    const char* name = "DOE^JOHN";
    const char* id = "ID1";
    const char* study = "1.2.1";
    const char* series = "1.2.1.1";
    const char* image = "1.2.1.1.1";
};

// A data set as the reader gives it; a null key leaves its attribute out.
DICOM_Tag_List data_set(const Keys& keys, const char* description = "FIRST") {
    DICOM_Tag_List set;
    set.push_back(element(0x0002, 0x0002, "UI", "1.2.840.10008.5.1.4.1.1.7"));
    set.push_back(element(0x0002, 0x0003, "UI", keys.image ? keys.image : "9"));
    set.push_back(element(0x0002, 0x0010, "UI", "1.2.840.10008.1.2.1"));
    if (keys.image) set.push_back(element(0x0008, 0x0018, "UI", keys.image));
    set.push_back(element(0x0008, 0x1030, "LO", description));
    if (keys.name) set.push_back(element(0x0010, 0x0010, "PN", keys.name));
    if (keys.id) set.push_back(element(0x0010, 0x0020, "LO", keys.id));
    if (keys.study) set.push_back(element(0x0020, 0x000D, "UI", keys.study));
    if (keys.series) set.push_back(element(0x0020, 0x000E, "UI", keys.series));
    return set;
}

class Tree : public ::testing::Test {
protected:
    void SetUp() override {
        nb_patients = nb_studies = nb_series = nb_images = 0;
        Kestrapol_Tag_Lists = {};
        root.path = "/folder";
    }
    void TearDown() override { Kestrapol_Tag_Lists = {}; }
    int add(const Keys& keys, const std::string& name = "IMG", const char* description = "FIRST") {
        DICOM_Tag_List set = data_set(keys, description);
        return Kestrapol_Add_Image(nullptr, name, &set, &root);
    }
    Dir_Item root;
    Walk_Log log;
};

}  // namespace

TEST_F(Tree, PatientsByNameAndIdTogetherSeriesWithinTheirStudy) {
    add({});
    add({.name = "DOE^JON", .image = "2"});    // other name: new patient
    add({.id = "ID2", .image = "3"});          // other ID: new patient
    add({.image = "4"});                       // same patient, study and series
    add({.study = "1.2.2", .image = "5"});     // same series UID under another study: new series
    add({.name = "X", .id = "", .image = "6"});
    add({.name = "X", .id = "", .image = "7"});  // empty IDs match each other
    EXPECT_EQ(nb_patients, 4);
    EXPECT_EQ(nb_studies, 5);
    EXPECT_EQ(nb_series, 5);
    EXPECT_EQ(nb_images, 7);
    EXPECT_EQ(root.child[0].child[0].child[0].nb_child(), 2);
}

TEST_F(Tree, MissingKeysRefuseTheFileButKeepUpperNodes) {
    EXPECT_EQ(add({.id = nullptr}, "A"), 0);
    EXPECT_TRUE(log.has("Missing Patient ID tag (0010,0020) in A"));
    EXPECT_EQ(nb_patients, 0);

    EXPECT_EQ(add({.study = nullptr}, "B"), 0);
    EXPECT_TRUE(log.has("Missing Study UID tag (0020,000D) in B"));
    EXPECT_EQ(nb_patients, 1);  // the patient stays, without studies
    EXPECT_EQ(root.child[0].nb_child(), 0);

    EXPECT_EQ(add({.image = nullptr}, "C"), 0);
    EXPECT_TRUE(log.has("Missing Series UID tag (0008,0018) in C"));

    EXPECT_EQ(Kestrapol_Add_Image(nullptr, "D", nullptr, &root), 0);  // unreadable file
    EXPECT_TRUE(log.has("Missing Patient Name tag (0010,0010) in D"));
}

TEST_F(Tree, DuplicateImageKeepsTheFirstFile) {
    add({}, "FIRST");
    EXPECT_EQ(add({}, "SECOND"), 1);
    EXPECT_EQ(nb_images, 1);
    EXPECT_TRUE(log.has("Duplicate Image (FIRST /vs/ SECOND)"));
    EXPECT_EQ(root.child[0].child[0].child[0].child[0].file_name, "FIRST");
}

TEST_F(Tree, ConfiguredAttributesComeFromTheFirstFile) {
    Kestrapol_Tag_Lists.study.group = {0x0008, 0x0010};
    Kestrapol_Tag_Lists.study.element = {0x1030, 0x1000};  // the second is in no file
    add({}, "A", "FIRST");
    add({.image = "2"}, "B", "SECOND");
    const Dir_Item& study = root.child[0].child[0];
    ASSERT_EQ(study.tag.size(), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(study.tag[0].data), 6), "FIRST ");
    EXPECT_TRUE(study.tag[1].empty());
    const Dir_Item& image = study.child[0].child[1];
    EXPECT_EQ(image.sop_class_uid.group, 0x0002);
    EXPECT_TRUE(image.tag.empty());
}

// The index must answer like a search from the front, also with many siblings.
TEST_F(Tree, ManyImagesInOneSeries) {
    for (int i = 0; i < 3000; ++i) add({.image = ("1.2.1.1." + std::to_string(i)).c_str()}, "I" + std::to_string(i));
    add({.image = "1.2.1.1.1500"}, "AGAIN");
    EXPECT_TRUE(log.has("Duplicate Image (I1500 /vs/ AGAIN)"));
    const Dir_Item& series = root.child[0].child[0].child[0];
    ASSERT_EQ(series.nb_child(), 3000);
    EXPECT_EQ(series.child[2999].file_name, "I2999");
    Kestrapol_Tree_Release(&root);
    EXPECT_EQ(root.nb_child(), 0);
}

TEST(TagCopy, UnloadedValueKeepsItsLengthWithoutBytes) {
    DICOM_Tag big = element(0x0010, 0x4000, "LT", "");
    big.length = 5000;
    Tree_Arena arena;
    Dir_Tag slot;
    EXPECT_EQ(DICOMDIR_Tag_Copy(&slot, &big, &arena), 1);
    EXPECT_EQ(slot.length, 5000);
    EXPECT_FALSE(slot.loaded());
    EXPECT_EQ(DICOMDIR_Tag_Copy(&slot, nullptr, &arena), 1);
    EXPECT_TRUE(slot.empty());
}

TEST(TreeArena, AlignedRoomSmallAndLarge) {
    Tree_Arena arena;
    std::vector<char*> pieces;
    for (std::size_t size : {1u, 3u, 64u, 5000u, 300000u, 7u}) {
        for (std::size_t alignment : {1u, 8u, 64u}) {
            auto* piece = static_cast<char*>(arena.allocate(size, alignment));
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(piece) % alignment, 0u) << size << "/" << alignment;
            std::memset(piece, static_cast<int>(pieces.size()), size);
            pieces.push_back(piece);
        }
    }
    // Nothing written later overlaps what was handed out before.
    for (std::size_t i = 0; i < pieces.size(); ++i) EXPECT_EQ(pieces[i][0], static_cast<char>(i));
    EXPECT_GE(arena.reserved(), 3 * 300000u);
}
