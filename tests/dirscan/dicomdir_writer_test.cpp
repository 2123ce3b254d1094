// Record sizes, offsets and bytes of the DICOMDIR, on hand-made trees.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "dicom/uid_table.h"
#include "dirscan/dicomdir_writer.h"
#include "walk_fixture.h"

namespace {

// Values of slots made outside a tree, kept for the whole test program.
Tree_Arena slot_values;

Dir_Tag text_slot(uint16_t group, uint16_t element, const char (&vr)[3], const std::string& value) {
    Dir_Tag slot;
    slot.group = group, slot.element = element, slot.vr = VR_Code(vr), slot.syntax = 8;
    slot.length = static_cast<int32_t>(value.size());
    auto* bytes = static_cast<uint8_t*>(slot_values.allocate(value.size() + 1, 1));
    std::memcpy(bytes, value.data(), value.size());
    slot.data = bytes;
    return slot;
}

Dir_Node& add(Dir_Node& parent) { return parent.add_child(); }

Dir_Node& add_image(Dir_Node& series, const std::string& file_name) {
    Dir_Node& image = add(series);
    image.file_name.assign(file_name, image.arena);
    const auto uid = [](const std::string& text) { return Dir_Reference{text_slot(2, 2, "UI", text).data, static_cast<int32_t>(text.size())}; };
    image.sop_class_uid = uid(std::string("1.2.840.10008.5.1.4.1.1.7") + '\0');    // 26
    image.sop_instance_uid = uid("1.2.3.4");                                       // 7, odd
    image.transfer_syntax_uid = uid(std::string("1.2.840.10008.1.2.1") + '\0');  // 20
    return image;
}

// Patient A (study, series, images 1 and 2), patient B (study, series, one image).
Dir_Item two_patients(const std::string& folder) {
    Dir_Item root;
    root.path = folder;
    Dir_Node& series_a = add(add(add(root)));
    add_image(series_a, "A\\IMG1");
    add_image(series_a, "SUB\\IMAGE01");
    add_image(add(add(add(root))), "B\\IMG3");
    return root;
}

class Identity : public ::testing::Test {
protected:
    void SetUp() override {
        Prog_Name = "Kestrapol";
        Prog_Version = "1.0 Rev-5";
    }
};

}  // namespace

TEST_F(Identity, HeadNamesTheInstanceByPathAndTime) {
    std::tm when{};  // 2011-03-15 14:30:05
    when.tm_year = 111, when.tm_mon = 2, when.tm_mday = 15, when.tm_hour = 14, when.tm_min = 30, when.tm_sec = 5;
    DICOM_Root state;
    const std::vector<uint8_t> head = DICOMDIR_Head(nullptr, &state, "D:\\CD\\DICOMDIR", when);
    const std::string text(head.begin(), head.end());
    // Root, name number, time number, then the unique number, filling the UID's 64 characters.
    const std::size_t at = text.find(Implementation_UID_Root + std::string(".75771.31690605."));
    ASSERT_NE(at, std::string::npos);
    const std::string unique = text.substr(at, 64).substr(sizeof(Implementation_UID_Root) - 1 + 16);
    EXPECT_EQ(unique.find_first_not_of("0123456789"), std::string::npos) << unique;
    EXPECT_NE(unique[0], '0');
    EXPECT_EQ(text.substr(at + 64, 4), std::string("\x02\x00\x10\x00", 4));  // (0002,0010) follows
    EXPECT_EQ(DICOMDIR_Name_Number("/"), 1u);                      // nothing counted: 0 becomes 1
    EXPECT_NE(DICOMDIR_Name_Number("/scan1"), DICOMDIR_Name_Number("/scan2"));  // digits count
    // Heads of one second and one path differ, however long the other numbers are.
    std::set<std::string> numbers;
    for (int i = 0; i < 50; ++i) {
        const std::string number = DICOMDIR_Unique_Number(i < 40 ? 4 : 12);
        EXPECT_EQ(number.size(), i < 40 ? 4u : 12u);
        EXPECT_NE(number[0], '0') << number;
        if (i >= 40) numbers.insert(number);
    }
    EXPECT_EQ(numbers.size(), 10u);
}

// Leftovers are removed by name: only "DICOMDIR.T" and three capitals is one the writer makes.
TEST(DicomdirTemporary, OnlyTheWritersOwnNames) {
    for (const char* name : {"DICOMDIR.TABC", "DICOMDIR.TQZ", "DICOMDIR.TQZAB", "DICOMDIR.TabC", "DICOMDIR.XABC"})
        EXPECT_EQ(DICOMDIR_Is_Temporary_Name(name), name == std::string("DICOMDIR.TABC")) << name;
}

// Sizes, offsets and links must agree with the bytes written, configured attributes included:
// only values present are written (no empty slot, no value left on disk, no sequence); an
// empty tree gives an empty directory.
TEST_F(Identity, WrittenFileAgreesWithItsOffsets) {
    Scratch_Folder folder;
    Dir_Item root = two_patients(folder.path());
    auto& tags = root.child[0].tag;
    tags.push_back(text_slot(0x0010, 0x0010, "PN", "DOE^J"));
    tags.emplace_back();
    Dir_Tag unloaded = text_slot(0x0010, 0x4000, "LT", "");
    unloaded.length = 2000;
    unloaded.data = nullptr;
    tags.push_back(std::move(unloaded));
    tags.push_back(text_slot(0x0010, 0x21B0, "UT", "HISTORY"));  // 32-bit length form
    tags.push_back(text_slot(0x0010, 0x0020, "LO", std::string(70000, 'X')));  // too long for 16 bits
    Dir_Tag sequence = text_slot(0x0008, 0x1110, "SQ", "");
    sequence.length = Undefined_Length;
    tags.push_back(std::move(sequence));
    const uint32_t branches = Kestrapol_Size(nullptr, &root);
    DICOM_Root state;
    ASSERT_EQ(DICOMDIR_Write(nullptr, &state, &root), 1);
    const std::vector<uint8_t> bytes = Read_File(folder.at("DICOMDIR"));
    EXPECT_EQ(bytes.size(), root.start + branches + 8);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // the DICOMDIR alone

    uint32_t first = 0, last = 0;
    const std::vector<Read_Record> records = Read_Records(bytes, first, last);
    ASSERT_EQ(records.size(), 9u);
    EXPECT_EQ(first, records[0].offset);
    EXPECT_EQ(last, records[5].offset);
    const char* types[] = {"PATIENT ", "STUDY ", "SERIES", "IMAGE ", "IMAGE ",
                           "PATIENT ", "STUDY ", "SERIES", "IMAGE "};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(records[i].type, types[i]) << i;
    EXPECT_EQ(records[0].next, records[5].offset);
    EXPECT_EQ(records[0].lower, records[1].offset);
    EXPECT_EQ(records[3].next, records[4].offset);
    EXPECT_EQ(records[4].next, 0u);  // last image of its series
    EXPECT_EQ(records[4].lower, 0u);
    EXPECT_EQ(records[4].file_id, "SUB\\IMAGE01 ");
    EXPECT_EQ(records[5].next, 0u);  // last patient
    EXPECT_EQ(records[1].offset - records[0].offset, 66u + 14 + 20);  // patient: PN and UT only
    EXPECT_EQ(root.last, records[5].offset);
    EXPECT_EQ(bytes.size() - 8, records.back().offset + root.child[1].child[0].child[0].child[0].record_size);

    // Written again, the tree released while the file goes to the disk: the same records.
    int released = 0;
    ASSERT_EQ(DICOMDIR_Write(nullptr, &state, &root, [&] {
        ++released;
        root.release_records();
    }), 1);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(root.nb_child(), 0);
    EXPECT_EQ(Read_Records(Read_File(folder.at("DICOMDIR")), first, last).size(), 9u);

    // An empty tree: the head and an empty record sequence, both offsets 0.
    Dir_Item empty;
    empty.path = folder.path();
    Kestrapol_Size(nullptr, &empty);
    ASSERT_EQ(DICOMDIR_Write(nullptr, &state, &empty), 1);
    const std::vector<uint8_t> head_only = Read_File(folder.at("DICOMDIR"));
    EXPECT_EQ(head_only.size(), empty.start + 8);
    EXPECT_TRUE(Read_Records(head_only, first, last).empty());
    EXPECT_EQ(first + last, 0u);
}

// A failed write (no room for its name, offsets past 4 GiB, a full disk) keeps the earlier
// DICOMDIR and leaves no temporary file.
TEST_F(Identity, FailedWriteKeepsTheOldDirectory) {
    Scratch_Folder folder;
    folder.add_text("DICOMDIR", "old contents");
    Dir_Item root = two_patients(folder.path());
    Kestrapol_Size(nullptr, &root);
    DICOM_Root state;
    {
        // A folder in the DICOMDIR's place: the finished file cannot take its name.
        const Scratch_Folder blocked;
        blocked.add_text("DICOMDIR/KEEP", "x");
        Dir_Item other = two_patients(blocked.path());
        Kestrapol_Size(nullptr, &other);
        Log_Recorder log;
        EXPECT_EQ(DICOMDIR_Write(nullptr, &state, &other), 0);
        EXPECT_TRUE(log.has("Unable to write"));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(blocked.path()), {}), 1);  // no temporary left
    }
    {
        // Records past 4 GiB: offsets could not reach them, so nothing is written.
        Dir_Tag huge = text_slot(0x0009, 0x1010, "OB", "x");
        huge.length = 0x7FFFFFF0;  // never read: the size alone refuses it
        for (int i = 0; i < 3; ++i) root.child[0].tag.push_back(huge);
        Kestrapol_Size(nullptr, &root);
        Log_Recorder log;
        EXPECT_EQ(DICOMDIR_Write(nullptr, &state, &root), 0);
        EXPECT_TRUE(log.has("Unable to write " + folder.at("DICOMDIR")));
        EXPECT_TRUE(log.has("its offsets stop at 4 GiB"));
        // The size said is the whole size, not the one the record sizes were capped at.
        bool whole = false;
        for (const auto& line : Log_Recorder::lines()) {
            const std::size_t at = line.second.find("would take ");
            if (at != std::string::npos) whole = std::stoull(line.second.substr(at + 11)) > 3ull * 0x7FFFFFF0;
        }
        EXPECT_TRUE(whole);
    }
    const std::vector<uint8_t> old = Read_File(folder.at("DICOMDIR"));
    EXPECT_EQ(std::string(old.begin(), old.end()), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary left
}

