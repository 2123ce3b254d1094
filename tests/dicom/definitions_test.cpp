// What is known of elements from text: the dictionary's lines (the parser on hand-written lines,
// its warnings, and the indexed lookup against the plain ordered walk over groups and elements),
// and the definition files (the creator file search, the line and file syntax, levels, values,
// macros).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "dicom/byte_order.h"
#include "dicom/definition.h"
#include "dicom/dictionary.h"
#include "dicom/dictionary_table.h"
#include "dicom/dictionary_text.h"
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
    parse("include Missing One\n");
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
}

TEST_F(Definitions, LinesEndOnlyAtNewline) {
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
    for (int n = 0; n < 45000; ++n) {
        char line[32];
        std::snprintf(line, sizeof line, "(%04x,%04x) VR=LO\n", 0x0011 + 2 * (n / 60000), 1 + n % 60000);
        big += line;
    }
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

// The dictionary.

constexpr uint16_t Code(const char (&vr)[3]) { return static_cast<uint16_t>((vr[0] << 8) | vr[1]); }

struct Parse : ::testing::Test {
    template <std::size_t N>
    int read(const char* const (&lines)[N]) { return dictionary.read_table(lines, N); }

    NEMA_db_Dictionary dictionary;
    Log_Recorder log;
};

TEST_F(Parse, LineForms) {
    const char* const lines[] = {
        "(0018,1011) Hardcopy Creation Device ID LO 1          RET",
        "(0018,1240) Upper/Lower Pixel Values RET",
        "(0018,0061)  DS 1       RET",  // no name
        "(0020,0032) Image Position (Patient) DS 3",
        "(0028,08x0) Code Label CS 1-n     RET",
        "(0028,1200) Gray Lookup Table Data (US 1-n) or (SS 1-n) or (OW 1) RET",
        "(0040,A0B0) Referenced Waveform Channels\t\tUS 2-2n",
        "(60xx,3000) Overlay Data OB 16",
    };
    ASSERT_EQ(read(lines), 8);
    EXPECT_TRUE(log.lines().empty());

    struct { uint16_t group, element; const char* name; int count; uint16_t vr, vm_min, vm_max; } expected[] = {
        {0x0018, 0x1011, "Hardcopy Creation Device ID", -1, Code("LO"), 1, 1},
        {0x0018, 0x1240, "Upper/Lower Pixel Values", 0, Code("RT"), 0xFFFF, 0},
        {0x0018, 0x0061, "", -1, Code("DS"), 1, 1},
        {0x0020, 0x0032, "Image Position (Patient)", 1, Code("DS"), 3, 3},
        {0x0028, 0x0800, "Code Label", -1, Code("CS"), 1, 0xFFFF},
        {0x0028, 0x1200, "Gray Lookup Table Data", -3, Code("US"), 1, 0xFFFF},
        {0x0040, 0xA0B0, "Referenced Waveform Channels", 1, Code("US"), 2, 0xFFFF},
        {0x6000, 0x3000, "Overlay Data", 1, Code("OB"), 16, 16},
    };
    for (const auto& x : expected) {
        SCOPED_TRACE(x.name);
        const NEMA_db_Entry* e = dictionary.find(x.group, x.element);
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(e->name, x.name);
        EXPECT_EQ(e->count, x.count);
        EXPECT_EQ(e->vr[0], x.vr);
        EXPECT_EQ(e->vm[0][0], x.vm_min);
        EXPECT_EQ(e->vm[0][1], x.vm_max);
    }
    const NEMA_db_Entry* gray = dictionary.find(0x0028, 0x1200);
    EXPECT_EQ(gray->vr[1], Code("SS"));
    EXPECT_EQ(gray->vr[2], Code("OW"));
    EXPECT_EQ(gray->vm[2][1], 1);
}

TEST_F(Parse, SyntaxErrorEndsItsTableAndDuplicatesAreSkipped) {
    const char* const four[] = {
        "(0028,1100) Before US 1",
        "(0028,1200) Four (US 1) or (SS 1) or (OW 1) or (OB 1)",
        "(0028,1300) After US 1",
    };
    const char* const unopened[] = {"(0010,0010) Name PN 1)", "(0010,0020) After LO 1"};
    const char* const duplicate[] = {"(0012,0010) First LO 1", "(0012,0010) Second PN 1"};
    EXPECT_EQ(read(four), 1);
    EXPECT_EQ(read(unopened), 0);
    EXPECT_EQ(read(duplicate), 1);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{
                               "    WARNING: Syntax error in definition file for (0028,1200) ",
                               "    WARNING: Syntax error in definition file for (0010,0010) ",
                               "    WARNING: duplicate tag (0012,0010) in definition file",
                           }));
    EXPECT_NE(dictionary.find(0x0028, 0x1100), nullptr);
    EXPECT_EQ(dictionary.find(0x0028, 0x1300), nullptr);
    EXPECT_STREQ(dictionary.find(0x0012, 0x0010)->name, "First");
}

// The lookup as a walk: groups in order, stop past the requested group; in a matching
// group an equal element, then a repeating element whose fixed digits agree.
const NEMA_db_Entry* Walk(const NEMA_db_Dictionary& dictionary, uint16_t group, uint16_t element) {
    if (group & 1) return nullptr;
    for (const NEMA_db_Group& node : dictionary.groups()) {
        uint16_t wanted = group & node.group_mask, have = node.group & node.group_mask;
        if (wanted < have) return nullptr;
        if (wanted > have) continue;
        for (const auto& entry : node.entries)
            if (entry->element == element) return entry.get();
        for (const auto& entry : node.entries)
            if ((element & entry->element_mask) == entry->element) return entry.get();
    }
    return nullptr;
}

TEST_F(Parse, IndexAgreesWithTheOrderedWalk) {
    // Mixed masks: a plain group inside a repeating group's range, groups repeating in
    // their low digits, elements repeating in middle and low digits; odd (private) groups
    // never match.
    const char* const lines[] = {
        "(0028,0010) Rows US 1",         "(0028,08x0) Code Label CS 1-n RET",
        "(0028,0810) Exact US 1",        "(0028,08x4) Bits US 1 RET",
        "(1000,xxx0) Escape US 3 RET",   "(1010,xxxx) Zonal Map US 1-n RET",
        "(60xx,0010) Overlay Rows US 1", "(6002,0012) Plain US 1",
        "(7Fx0,0010) Variable OW 1",     "(FFFE,E000) Item I- 1",
    };
    read(lines);
    NEMA_db_Dictionary builtin;
    std::size_t builtin_lines = 0;
    for (int t = 0; t < NEMA_db_Table_Count; ++t) {
        const std::size_t n = NEMA_db_Tables[t].size / sizeof(const char*);
        builtin_lines += n;
        EXPECT_EQ(builtin.read_table(NEMA_db_Tables[t].lines, n), static_cast<int>(n));
    }
    EXPECT_EQ(builtin.size(), builtin_lines);
    EXPECT_TRUE(log.lines().empty());

    for (const NEMA_db_Dictionary* d : {&dictionary, &builtin})
        for (const NEMA_db_Group& node : d->groups())
            for (uint16_t group : {node.group, uint16_t(node.group + 1), uint16_t(node.group + 2),
                                   uint16_t(node.group | 0x00F0)}) {
                std::vector<uint16_t> elements;
                for (uint32_t element = 0; element <= 0xFFFF; element += 7) elements.push_back(element);
                for (const auto& entry : node.entries)
                    for (int step : {-1, 0, 1, 0x30}) elements.push_back(uint16_t(entry->element + step));
                for (uint16_t element : elements)
                    ASSERT_EQ(d->find(group, element), Walk(*d, group, element)) << group << "," << element;
            }
    EXPECT_STREQ(dictionary.find(0x0028, 0x0810)->name, "Exact");
    EXPECT_STREQ(dictionary.find(0x0028, 0x0820)->name, "Code Label");
    EXPECT_STREQ(dictionary.find(0x6002, 0x0010)->name, "Overlay Rows");
    EXPECT_STREQ(dictionary.find(0x6002, 0x0012)->name, "Plain");
    EXPECT_STREQ(dictionary.find(0x1000, 0x1230)->name, "Escape");
    EXPECT_EQ(dictionary.find(0x1000, 0x1231), nullptr);
    EXPECT_STREQ(dictionary.find(0x1010, 0xBEEF)->name, "Zonal Map");
    EXPECT_STREQ(dictionary.find(0x7FE0, 0x0010)->name, "Variable");
}

// The built-in dictionary: its build on first use, once, and again after cleanup.

TEST(Dictionary, BuildsOnceFromConcurrentLookupsAndAgainAfterCleanup) {
    Log_Recorder log;  // a second build would report every line as a duplicate
    for (int round = 0; round < 2; ++round) {
        NEMA_db_Cleanup();
        std::vector<const NEMA_db_Entry*> found(4);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < found.size(); ++i)
            threads.emplace_back([&found, i] { found[i] = NEMA_db_Get(0x0010, 0x0010); });
        for (std::thread& thread : threads) thread.join();
        ASSERT_NE(found[0], nullptr);
        EXPECT_STREQ(found[0]->name, "Patient's Name");
        for (const NEMA_db_Entry* entry : found) EXPECT_EQ(entry, found[0]);
        NEMA_db_Init();  // already built: entries stay where they are
        EXPECT_EQ(NEMA_db_Get(0x0010, 0x0010), found[0]);
    }
    EXPECT_FALSE(log.has("WARNING"));
}

}  // namespace
