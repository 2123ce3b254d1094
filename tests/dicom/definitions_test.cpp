// Definition files: the creator file search, the line and file syntax, levels, values, macros.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dicom/byte_order.h"
#include "dicom/definition.h"
#include "element_helpers.h"
#include "support/log_recorder.h"
#include "support/test_system.h"

namespace {

namespace fs = std::filesystem;

class Definitions : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("definitions_" + std::to_string(Test_Process_Id()));
        fs::create_directories(dir_);
        DICOM_Module_Dir(nullptr, (dir_ / "").string().c_str());  // with the system's separator
    }
    void TearDown() override {
        DICOM_Module_Private_Cleanup();
        DICOM_Module_Include_Cleanup();
        DICOM_Module_Cleanup();
        fs::remove_all(dir_);
    }
    void write(const std::string& name, const std::string& content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
    DICOM_Tag_List parse(const std::string& content) {
        write("parse.txt", content);
        std::FILE* f = std::fopen((dir_ / "parse.txt").string().c_str(), "rb");
        DICOM_Tag_List list;
        EXPECT_EQ(DICOM_Module_Read_File(nullptr, f, "parse.txt", list), 1);
        std::fclose(f);
        return list;
    }
    fs::path dir_;
};

DICOM_Tag private_tag(uint16_t group, uint16_t element) {
    DICOM_Tag tag;
    tag.group = group;
    tag.element = element;
    return tag;
}

TEST_F(Definitions, CreatorFilesFoundByNameDescribeTheirElements) {
    Log_Recorder log(3);
    write("DICOM_Private_ACME LAB.txt", "(0029,0010) VR=LO desc=\"Lab Name\"\n");
    write("DICOM_Private_ACME_IMAGING_1.txt", "-(0029,0001) VR=OB desc=\"Thumbnail\"\n");
    write("DICOM_Private_TWO.txt", "(0029,0020) VR=LO desc=\"by low byte\"\n(0029,1120) VR=SH desc=\"exact\"\n");
    write("DICOM_Include_Common_Block.txt", "(0029,0008) VR=CS desc=\"Type\"\ninclude \"Common Block\"\n");
    write("DICOM_Private_MACRO USER.txt", "include Common Block\n(0029,0018) VR=CS\n");
    const struct {
        const char* creator;
        uint16_t element;
        int found;
        const char* description;
        const char* vr;
        bool removed;
    } cases[] = {
        {"ACME LAB 2", 0x1010, 1, "Lab Name", "LO", false},  // tried one character fewer each time
        {"ACME LAB 2", 0x1010, 1, "Lab Name", "LO", false},  // ... once only
        {"Acme/Imaging:1", 0x1001, 1, "Thumbnail", "OB", true},  // characters unfit for file names: '_'
        {"TWO", 0x1120, 1, "exact", "SH", false},  // the full tag wins over the low byte
        {"TWO", 0x1020, 1, "by low byte", "LO", false},
        {"TWO", 0x1021, 0, "", "", false},
        {"MACRO USER", 0x1008, 1, "Type", "CS", false},  // through a macro that includes itself
        {"NOBODY", 0x1001, 0, "", "", false},  // a creator without a file is remembered
        {"NOBODY", 0x1001, 0, "", "", false},
        {"", 0x1001, 0, "", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.creator);
        DICOM_Tag tag = private_tag(0x0029, c.element);
        EXPECT_EQ(DICOM_Module_Read_Private(nullptr, c.creator, &tag), c.found);
        EXPECT_EQ(tag.description, c.description);
        EXPECT_EQ(tag.vr_def, c.vr[0] ? VR_Code({c.vr[0], c.vr[1], 0}) : 0);
        EXPECT_EQ((tag.flags & Tag_Flag::Deleted) != 0, c.removed);
    }
    // The blank-ended name is tried too; each name once, each missing creator reported once.
    EXPECT_EQ(log.count("DICOM_Private_ACME LAB .txt"), 1);
    EXPECT_EQ(log.count("DICOM_Private_ACME LAB 2.txt"), 1);
    EXPECT_EQ(log.count("Found no private attribute file for creator:NOBODY"), 1);
    EXPECT_TRUE(parse("include Missing One\n").empty());
    EXPECT_TRUE(log.has("Unable to open included file:"));
}

TEST_F(Definitions, FolderIsListedOnceAndOnlyFilesThereAreOpened) {
    Log_Recorder log;
    write("DICOM_Private_KNOWN.txt", "(0029,0010) VR=LO desc=\"Known\"\n");
    const uint64_t before = DICOM_Module_Folder_Calls();
    DICOM_Tag tag = private_tag(0x0029, 0x1010);
    for (int n = 0; n < 1000; ++n) DICOM_Module_Read_Private(nullptr, "CREATOR WITHOUT FILE " + std::to_string(n), &tag);
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "known", &tag), 1);  // looked for as KNOWN
    EXPECT_EQ(DICOM_Module_Folder_Calls() - before, 2u);              // one listing, one open
    // What the folder holds is learned again when the folder is set again.
    write("DICOM_Private_LATE.txt", "(0029,0010) VR=LO\n");
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "LATE", &tag), 0);
    DICOM_Module_Private_Cleanup();
    DICOM_Module_Dir(nullptr, DICOM_Module_Dir(nullptr, nullptr).c_str());
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "LATE", &tag), 1);
}

TEST_F(Definitions, NestingLevelsProduceItemsAndDelimiters) {
    const DICOM_Tag_List list = parse("(0008,1140) VR=SQ\n>(0008,1150) VR=UI \"1.2.3\"\n(0010,0010) VR=PN\n");
    // SQ, item, element, item delimitation, sequence delimitation, then the next top-level line.
    ASSERT_EQ(tags_of(list),
              (std::vector<uint32_t>{0x00081140, 0xFFFEE000, 0x00081150, 0xFFFEE00D, 0xFFFEE0DD, 0x00100010}));
    EXPECT_EQ(list[0].length, Undefined_Length);
    EXPECT_EQ(text_of(&list[2]), std::string("1.2.3\0", 6));
    for (const DICOM_Tag& tag : list) EXPECT_EQ(tag.flags & Tag_Flag::Origin_Mask, Tag_Flag::Origin_Module);
}

TEST_F(Definitions, TokensMarksAndSyntaxErrors) {
    Log_Recorder log;
    const DICOM_Tag_List list = parse(
        "(0010,0010) type=1C\n"
        "!(0010,0020) type=1 ; comment with (0010,0030)\n"
        "(0010,0030) type= desc=\"never read\"\n"
        "+(0010,0040) bogus desc=\"never read\"\n"
        "0010,0050 VR=CS\n"
        "=(0010,0060) VR=X1\n");
    ASSERT_EQ(list.size(), 5u);  // the line without "(" is skipped
    EXPECT_EQ(list[0].type, VR_Code("1C"));
    EXPECT_EQ(list[1].type, VR_Code("1 "));
    EXPECT_TRUE(list[1].flags & Tag_Flag::Forced);
    EXPECT_EQ(list[2].type, VR_Code("3 "));
    EXPECT_TRUE(list[2].description.empty());
    EXPECT_TRUE(list[3].flags & Tag_Flag::Append);
    EXPECT_TRUE(list[3].description.empty());
    EXPECT_TRUE(list[4].flags & Tag_Flag::Default);
    EXPECT_EQ(log.count("Syntax error"), 4);
    // Lines end only at a newline.
    EXPECT_EQ(parse("(0010,0010) VR=PN\n(0010,0020) VR=LO").size(), 1u);    // last line unused
    EXPECT_EQ(parse("(0010,0010) VR=PN\n\f(0010,0020) VR=LO\n").size(), 1u);  // form feed ends
    EXPECT_EQ(parse("(0010,0010)\tVR=PN\r\n").front().vr_def, VR_Code("PN"));
}

TEST_F(Definitions, NumbersFirstByBackslashThenByBlanks) {
    DICOM_Tag tag;
    tag.vr_def = VR_Code("US");
    ASSERT_EQ(DICOM_Module_Value(&tag, "12\\34 56"), 1);
    ASSERT_EQ(tag.length, 6);
    EXPECT_EQ(DICOM_Read_16(0, tag.data.data() + 2), 34);
    EXPECT_EQ(DICOM_Read_16(0, tag.data.data() + 4), 56);
    ASSERT_EQ(DICOM_Module_Value(&tag, "12 34"), 1);
    ASSERT_EQ(tag.length, 2);
    EXPECT_EQ(DICOM_Read_16(0, tag.data.data()), 12);
    tag.vr_def = VR_Code("CS");
    ASSERT_EQ(DICOM_Module_Value(&tag, "ABC"), 1);
    EXPECT_EQ(tag.length, 4);  // padded with a blank
    tag.vr_def = VR_Code("UR");  // every text VR
    ASSERT_EQ(DICOM_Module_Value(&tag, "urn:x"), 1);
    EXPECT_EQ(tag.length, 6);
    tag.vr_def = VR_OB;
    EXPECT_EQ(DICOM_Module_Value(&tag, "1"), 0);
}

TEST_F(Definitions, MacroExpansionStopsPastItsDepthOrLineBound) {
    Log_Recorder log;
    // A macro doubling itself at each include: 2^20 elements unless bounded. The bound counts
    // what the whole load makes, the macro included.
    std::string doubling = "(0010,0010) VR=PN\n";
    for (int n = 0; n < 20; ++n) doubling += "include TWICE\n";
    write("DICOM_Include_TWICE.txt", doubling);
    // Macros including the next, twelve deep: the tenth file nested includes no further.
    for (int n = 1; n <= 12; ++n) {
        write("DICOM_Include_D" + std::to_string(n) + ".txt",
              "include D" + std::to_string(n + 1) + "\n(0008,0060) VR=CS\n");
    }
    const DICOM_Tag_List doubled = parse("include TWICE\n(0010,0020) VR=LO\n");
    EXPECT_TRUE(doubled.empty());
    EXPECT_EQ(log.count("Expansion of file:"), 1);
    EXPECT_TRUE(log.has("DICOM_Include_TWICE.txt stopped at line:18 (more elements than 100000)"));

    const DICOM_Tag_List nested = parse("include D1\n");
    EXPECT_TRUE(log.has("Expansion of file:" + (dir_ / "DICOM_Include_D9.txt").string() + " stopped at line:1"));
    EXPECT_TRUE(log.has("(includes nested deeper than 10)"));
    EXPECT_TRUE(nested.empty());
    // The next load has its own bounds.
    EXPECT_EQ(parse("(0010,0010) VR=PN\n").size(), 1u);

    // Creators sharing one large macro: each holds a copy, and all tables together are bounded.
    std::string big;
    char line[32];
    for (int n = 1; n <= 45000; ++n) big.append(line, std::snprintf(line, sizeof line, "(0011,%04x) VR=LO\n", n));
    write("DICOM_Include_BIG.txt", big);
    for (int n = 1; n <= 12; ++n)
        write("DICOM_Private_SHARE" + std::to_string(n) + ".txt", "include BIG\n(0029,0010) VR=LO desc=\"after\"\n");
    DICOM_Module_Dir(nullptr, DICOM_Module_Dir(nullptr, nullptr).c_str());  // listed again
    DICOM_Tag after = private_tag(0x0029, 0x1010);
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "SHARE1", &after), 1);
    for (int n = 2; n < 12; ++n) DICOM_Module_Read_Private(nullptr, "SHARE" + std::to_string(n), &after);
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "SHARE12", &after), 0);
    EXPECT_TRUE(log.has("(tables together hold more elements than 500000)"));
}

TEST(InstalledTables, VendorCreatorFilesAreUsable) {
    DICOM_Module_Dir(nullptr, KESTRAPOL_SOURCE_DIR "/config/DICOM Tables/");
    DICOM_Tag info = private_tag(0x0029, 0x1010);
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "SIEMENS CSA HEADER", &info), 1);  // through the macro
    EXPECT_EQ(info.vr_def, VR_OB);
    EXPECT_EQ(info.description, "CSA Image Header Info");
    DICOM_Tag b_value = private_tag(0x0019, 0x100C);
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "SIEMENS MR HEADER", &b_value), 1);
    EXPECT_EQ(b_value.vr_def, VR_Code("IS"));
    DICOM_Module_Private_Cleanup();
    DICOM_Module_Include_Cleanup();
    DICOM_Module_Cleanup();
}

}  // namespace
