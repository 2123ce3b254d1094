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
    Log_Recorder log;
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

    // An empty name is the empty name; one that is no person name is stored and matched as "No Name".
    add({.name = "", .image = "8"}, "EMPTY");
    DICOM_Tag_List set = data_set({.image = "9"});
    set[5] = element(0x0010, 0x0010, "LO", "DOE^JOHN");
    Kestrapol_Add_Image(nullptr, "LO", &set, &root);
    EXPECT_EQ(nb_patients, 6);
    EXPECT_EQ(std::string_view(root.child[4].key), std::string_view("\0ID1 ", 5));
    EXPECT_EQ(std::string_view(root.child[5].key).substr(0, 8), std::string("No Name") + '\0');
    EXPECT_FALSE(log.has("in EMPTY"));
    EXPECT_TRUE(log.has("Error in NEMA_Value_Name(Patient Name) in LO"));
}

// A file without a key or a valid SOP Class, SOP Instance or Transfer Syntax UID is refused and
// leaves no record at any level; the counters count only records with an image below them.
TEST_F(Tree, RefusedFilesLeaveNoRecords) {
    const struct {
        Keys keys;
        std::size_t meta;  // the meta element replaced by uid: 0 (0002,0002), 1 (0002,0003), 2 (0002,0010)
        const char* uid;   // nullptr: the element left out
        const char* warning;
    } cases[] = {
        {{.id = nullptr}, 9, nullptr, "Missing Patient ID tag (0010,0020) in F"},
        {{.study = nullptr}, 9, nullptr, "Missing Study UID tag (0020,000D) in F"},
        {{.series = nullptr}, 9, nullptr, "Missing Series UID tag (0020,000E) in F"},
        {{.image = nullptr}, 9, nullptr, "Missing SOP Instance UID tag (0008,0018) in F"},
        {{}, 0, nullptr, "F: Media Storage SOP Class UID (0002,0002) is missing; the file is left out of the DICOMDIR"},
        {{}, 1, "1..2", "F: Media Storage SOP Instance UID (0002,0003) (VR UI, 4 bytes) holds a malformed UID; the "
                        "file is left out of the DICOMDIR"},
        {{}, 2, "", "F: Transfer Syntax UID (0002,0010) is empty; the file is left out of the DICOMDIR"},
    };
    for (const auto& c : cases) {
        Log_Recorder::lines().clear();
        DICOM_Tag_List set = data_set(c.keys);
        if (c.meta < 3 && c.uid) set[c.meta] = element(0x0002, set[c.meta].element, "UI", c.uid);
        else if (c.meta < 3) set.erase(set.begin() + static_cast<long>(c.meta));
        EXPECT_EQ(Kestrapol_Add_Image(nullptr, "F", &set, &root), 0) << c.warning;
        EXPECT_TRUE(log.has(c.warning)) << c.warning;
        EXPECT_EQ(nb_patients + nb_studies + nb_series + nb_images, 0) << c.warning;
        EXPECT_EQ(root.nb_child(), 0) << c.warning;
    }
    EXPECT_EQ(Kestrapol_Add_Image(nullptr, "E", nullptr, &root), 0);  // unreadable file
    EXPECT_TRUE(log.has("Missing Patient Name tag (0010,0010) in E"));
}

TEST_F(Tree, ConfiguredAttributesComeFromTheFirstFile) {
    Kestrapol_Tag_Lists.study.group = {0x0008, 0x0010};
    Kestrapol_Tag_Lists.study.element = {0x1030, 0x1000};  // the second is in no file
    add({}, "A", "FIRST");
    add({.image = "2"}, "B", "SECOND");
    const Dir_Node& study = root.child[0].child[0];
    ASSERT_EQ(study.tag.size(), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(study.tag[0].data), 6), "FIRST ");
    EXPECT_TRUE(study.tag[1].empty());
    const Dir_Node& image = study.child[0].child[1];
    EXPECT_FALSE(image.sop_class_uid.empty());
    EXPECT_TRUE(image.tag.empty());

    // The record references the instance the meta information names, even where the data set's
    // own SOP Instance UID differs (warned about); its class, unlike the previous image's, is its own.
    DICOM_Tag_List set = data_set({.image = "3"});
    set[0] = element(0x0002, 0x0002, "UI", "1.2.840.10008.5.1.4.1.1.2");
    set[1] = element(0x0002, 0x0003, "UI", "9.9.9");
    Kestrapol_Add_Image(nullptr, "C", &set, &root);
    EXPECT_EQ(log.count("differs from SOP Instance UID (0008,0018) in "), 1);
    EXPECT_TRUE(log.has("Media Storage SOP Instance UID (0002,0003) differs from SOP Instance UID (0008,0018) in C"));
    const Dir_Node& third = study.child[0].child[2];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(third.sop_instance_uid.data), 5), "9.9.9");
    EXPECT_EQ(third.sop_instance_uid.length, 5);
    EXPECT_EQ(std::string_view(third.uid).substr(0, 1), "3");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(third.sop_class_uid.data), third.sop_class_uid.length),
              "1.2.840.10008.5.1.4.1.1.2");
}

// A duplicate image keeps the first file; the index must find it like a search from the front,
// also among many siblings.
TEST_F(Tree, DuplicateImageAmongManyKeepsTheFirstFile) {
    for (int i = 0; i < 3000; ++i) add({.image = ("1.2.1.1." + std::to_string(i)).c_str()}, std::string("I").append(std::to_string(i)));
    DICOM_Tag_List again = data_set({.image = "1.2.1.1.1500"});
    again[1] = element(0x0002, 0x0003, "UI", "9.8");  // the same instance of the series, named otherwise
    EXPECT_EQ(Kestrapol_Add_Image(nullptr, "AGAIN", &again, &root), 1);
    EXPECT_TRUE(log.has("Duplicate Image (I1500 /vs/ AGAIN)"));
    again = data_set({.name = "OTHER", .image = "7.7"});
    again[1] = element(0x0002, 0x0003, "UI", "1.2.1.1.2000");  // that instance again, from another patient
    EXPECT_EQ(Kestrapol_Add_Image(nullptr, "ELSEWHERE", &again, &root), 1);
    EXPECT_TRUE(log.has("Duplicate Image (I2000 /vs/ ELSEWHERE)"));
    EXPECT_EQ(nb_patients, 1);  // no record for the other patient either
    EXPECT_EQ(nb_images, 3000);
    const Dir_Node& series = root.child[0].child[0].child[0];
    ASSERT_EQ(series.nb_child(), 3000);
    EXPECT_EQ(series.child[1500].file_name, "I1500");
    EXPECT_EQ(series.child[2999].file_name, "I2999");
}

// Values going into records: faulty ones left out with a warning, the required keys of each
// level settled, every warning once per record.
TEST_F(Tree, RecordValuesAreCheckedOncePerRecord) {
    Kestrapol_Tag_Lists.patient = {{0x0008, 0x0010, 0x0010}, {0x0005, 0x0010, 0x0020}};
    Kestrapol_Tag_Lists.study = {{0x0008, 0x0008, 0x0008, 0x0020}, {0x0020, 0x0050, 0x1030, 0x0010}};
    Kestrapol_Tag_Lists.series = {{0x0008, 0x0020}, {0x0060, 0x0011}};
    Kestrapol_Tag_Lists.image = {{0x0020}, {0x0013}};
    const auto add_set = [this](const char* image, const char* file, bool damaged) {
        DICOM_Tag_List set = data_set({.id = "", .image = image});
        if (damaged) {
            set.push_back(element(0x0008, 0x0005, "UL", std::string(10, 'x')));  // a damaged character set
            set.push_back(element(0x0008, 0x0020, "OB", "20240105"));  // a date sent with a wrong VR
            set.push_back(element(0x0008, 0x0060, "CS", "mr"));                  // lower case: not a CS value
            set.push_back(element(0x0020, 0x0011, "IS", "7"));
            set[2] = element(0x0002, 0x0010, "UI", "1.2.840.10008.1.2.1 ");    // padded with a blank
        }
        return Kestrapol_Add_Image(nullptr, file, &set, &root);
    };
    add_set("1", "A", true);
    add_set("2", "B", false);
    for (const char* warning :
         {"A: Specific Character Set (0008,0005) (VR CS, 10 bytes) holds a character its VR does not allow; left out "
          "of the patient record",
          "A: Patient ID (0010,0020) is empty; the patient record needs a value",
          "A: Study ID (0020,0010) is missing; the study record needs a value",
          "A: Modality (0008,0060) (VR CS, 2 bytes) holds a character its VR does not allow; left out of the series "
          "record",
          "A: Instance Number (0020,0013) is missing; the image record needs a value",
          "B: Instance Number (0020,0013) is missing; the image record needs a value"})
        EXPECT_EQ(log.count(warning), 1) << warning;
    EXPECT_EQ(log.count("needs a value"), 4);  // once per record, none for a value left out

    // The date sent as OB is written as the dictionary's DA. Study ID stays out; Accession Number
    // and the Modality left out (a key) are written empty; padding dropped, to be added back.
    const Dir_Node& study = root.child[0].child[0];
    EXPECT_EQ(study.tag[0].effective_vr(), VR_Code("DA"));
    EXPECT_EQ(study.tag[0].length, 8);
    EXPECT_TRUE(study.tag[3].empty());
    for (const Dir_Tag* empty : {&study.tag[1], &study.child[0].tag[0]}) {
        EXPECT_NE(empty->group, 0);
        EXPECT_EQ(empty->length, 0);
    }
    EXPECT_EQ(study.tag[1].effective_vr(), VR_Code("SH"));
    EXPECT_EQ(study.tag[2].length, 5);
    EXPECT_EQ(study.child[0].child[0].transfer_syntax_uid.length, 19);

    // A value longer than its length field can hold is left out, never cut.
    Kestrapol_Tag_Lists.patient = {{0x0010}, {0x0020}};
    DICOM_Tag_List set = data_set({.name = "LONG", .image = "3"});
    DICOM_Tag& id = set[6];  // Patient ID as read when its value is left on disk
    ASSERT_EQ(id.element, 0x0020);
    id.data.clear();
    id.length = 70000;
    Kestrapol_Add_Image(nullptr, "C", &set, &root);
    EXPECT_TRUE(log.has("C: Patient ID (0010,0020) holds 70000 bytes, more than its length field can hold; left out "
                        "of the patient record"));
    EXPECT_EQ(root.child[1].tag[0].length, 0);  // the patient's key, written empty
    EXPECT_EQ(root.child[1].tag[0].effective_vr(), VR_Code("LO"));
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
