// The dictionary line parser on hand-written lines, its warnings, and the indexed lookup
// against the plain ordered walk over groups and elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dicom/dictionary_table.h"
#include "dicom/dictionary_text.h"
#include "util/log.h"

namespace {

constexpr uint16_t Code(const char (&vr)[3]) { return static_cast<uint16_t>((vr[0] << 8) | vr[1]); }

std::vector<std::string> logged;
int Keep_Warning(Win_Handle, int kind, const char* text) {
    if (kind == LOG_WARNING) logged.emplace_back(text);
    return 1;
}

struct Parse : ::testing::Test {
    void SetUp() override {
        previous = Log_Get_Handler();
        previous_kind = DICOM_Warning_Kind;
        DICOM_Warning_Kind = LOG_WARNING;  // 0 until start-up chooses, which silences warnings
        Log_Set_Handler(Keep_Warning);
        logged.clear();
    }
    void TearDown() override {
        Log_Set_Handler(previous);
        DICOM_Warning_Kind = previous_kind;
    }
    template <std::size_t N>
    int read(const char* const (&lines)[N]) { return dictionary.read_table(lines, N); }

    NEMA_db_Dictionary dictionary;
    Log_Handler_Fn previous = nullptr;
    int previous_kind = 0;
};

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

TEST_F(Parse, LineForms) {
    const char* const lines[] = {
        "(0018,1011) Hardcopy Creation Device ID LO 1          RET",
        "(0018,1240) Upper/Lower Pixel Values RET",
        "(0018,0061)  DS 1       RET",
        "(0020,0032) Image Position (Patient) DS 3",
        "(0028,08x0) Code Label CS 1-n     RET",
        "(0028,1101) Red Palette Color Lookup Table Descriptor (US 3) or (SS 3)",
        "(0028,1200) Gray Lookup Table Data (US 1-n) or (SS 1-n) or (OW 1) RET",
        "(0040,A0B0) Referenced Waveform Channels\t\tUS 2-2n",
        "(0070,0052) Graphic Layer Recommended Display CIELab Value US 3-3n",
        "(0072,0022) Selector US Value US 1-32",
        "(60xx,3000) Overlay Data OB 16",
        "(FFFE,E000) Item I- 1",
    };
    ASSERT_EQ(read(lines), 12);
    EXPECT_TRUE(logged.empty());

    const NEMA_db_Entry* e = dictionary.find(0x0018, 0x1011);
    EXPECT_STREQ(e->name, "Hardcopy Creation Device ID");
    EXPECT_EQ(e->count, -1);
    EXPECT_EQ(e->vr[0], Code("LO"));

    e = dictionary.find(0x0018, 0x1240);
    EXPECT_STREQ(e->name, "Upper/Lower Pixel Values");
    EXPECT_EQ(e->count, 0);
    EXPECT_EQ(e->vr[0], Code("RT"));
    EXPECT_EQ(e->vm[0][0], 0xFFFF);

    e = dictionary.find(0x0018, 0x0061);
    EXPECT_STREQ(e->name, "");
    EXPECT_EQ(e->vr[0], Code("DS"));

    e = dictionary.find(0x0020, 0x0032);
    EXPECT_STREQ(e->name, "Image Position (Patient)");
    EXPECT_EQ(e->vm[0][0], 3);

    e = dictionary.find(0x0028, 0x0800);
    EXPECT_EQ(e->element_mask, 0xFF0F);
    EXPECT_EQ(e->vm[0][1], 0xFFFF);

    e = dictionary.find(0x0028, 0x1101);
    EXPECT_STREQ(e->name, "Red Palette Color Lookup Table Descriptor");
    EXPECT_EQ(e->count, 2);
    EXPECT_EQ(e->vr[1], Code("SS"));

    e = dictionary.find(0x0028, 0x1200);
    EXPECT_STREQ(e->name, "Gray Lookup Table Data");
    EXPECT_EQ(e->count, -3);
    EXPECT_EQ((std::vector<uint16_t>{e->vr[0], e->vr[1], e->vr[2]}),
              (std::vector<uint16_t>{Code("US"), Code("SS"), Code("OW")}));
    EXPECT_EQ(e->vm[1][1], 0xFFFF);
    EXPECT_EQ(e->vm[2][1], 1);

    e = dictionary.find(0x0040, 0xA0B0);
    EXPECT_STREQ(e->name, "Referenced Waveform Channels");
    EXPECT_EQ(e->vm[0][0], 2);
    EXPECT_EQ(e->vm[0][1], 0xFFFF);
    EXPECT_EQ(dictionary.find(0x0070, 0x0052)->vm[0][1], 0xFFFF);
    EXPECT_EQ(dictionary.find(0x0072, 0x0022)->vm[0][1], 32);

    e = dictionary.find(0x6010, 0x3000);
    EXPECT_EQ(e->vm[0][0], 16);
    EXPECT_EQ(dictionary.groups()[dictionary.groups().size() - 2].group_mask, 0xFF00);
    EXPECT_EQ(dictionary.find(0xFFFE, 0xE000)->vr[0], Code("I-"));
}

TEST_F(Parse, SyntaxErrorEndsOnlyItsTable) {
    const char* const four[] = {
        "(0028,1100) Before US 1",
        "(0028,1200) Four (US 1) or (SS 1) or (OW 1) or (OB 1)",
        "(0028,1300) After US 1",
    };
    const char* const unopened[] = {"(0010,0010) Name PN 1)", "(0010,0020) After LO 1"};
    const char* const next[] = {"(0012,0010) Next LO 1"};
    EXPECT_EQ(read(four), 1);
    EXPECT_EQ(read(unopened), 0);
    EXPECT_EQ(read(next), 1);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], "    \xF1\x05WARNING:\x02 Syntax error in definition file for (0028,1200) ");
    EXPECT_EQ(logged[1], "    \xF1\x05WARNING:\x02 Syntax error in definition file for (0010,0010) ");
    EXPECT_NE(dictionary.find(0x0028, 0x1100), nullptr);
    EXPECT_EQ(dictionary.find(0x0028, 0x1300), nullptr);
    EXPECT_NE(dictionary.find(0x0012, 0x0010), nullptr);
}

TEST_F(Parse, DuplicateKeepsTheFirst) {
    const char* const lines[] = {"(0010,0010) First PN 1", "(0010,0010) Second LO 1"};
    EXPECT_EQ(read(lines), 1);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "    \xF1\x05WARNING:\x02 duplicate tag (0010,0010) in definition file");
    EXPECT_STREQ(dictionary.find(0x0010, 0x0010)->name, "First");
    const char* vr[] = {"CS"};
    const char* vm[] = {"1"};
    EXPECT_EQ(dictionary.add(0x0010, 0x0010, 0xFFFF, 0xFFFF, "Third", 1, vr, vm), 0);
    EXPECT_EQ(dictionary.add(0x0010, 0x0011, 0xFFFF, 0xFFFF, "Added", -1, vr, vm), 1);
    EXPECT_EQ(dictionary.find(0x0010, 0x0011)->count, -1);
}

TEST_F(Parse, IndexAgreesWithTheOrderedWalk) {
    // Mixed masks: a repeating group next to a plain group inside its range, a group
    // repeating in its low digits, an element repeating in its middle and low digits.
    const char* const lines[] = {
        "(0028,0010) Rows US 1",        "(0028,08x0) Code Label CS 1-n RET",
        "(0028,0810) Exact US 1",       "(0028,08x4) Bits US 1 RET",
        "(1000,xxx0) Escape US 3 RET",  "(1010,xxxx) Zonal Map US 1-n RET",
        "(60xx,0010) Overlay Rows US 1", "(60xx,08x0) Overlay Label CS 1",
        "(6002,0012) Plain US 1",       "(6002,0010) Plain Rows US 1",
        "(7Fx0,0010) Variable OW 1",    "(FFFE,E000) Item I- 1",
    };
    read(lines);
    NEMA_db_Dictionary builtin;
    for (int t = 0; t < NEMA_db_Table_Count; ++t)
        builtin.read_table(NEMA_db_Tables[t].lines, NEMA_db_Tables[t].size / sizeof(const char*));
    EXPECT_TRUE(logged.empty());

    for (const NEMA_db_Dictionary* d : {&dictionary, &builtin}) {
        for (const NEMA_db_Group& node : d->groups()) {
            for (uint16_t group : {node.group, uint16_t(node.group + 2), uint16_t(node.group | 0x00F0),
                                   uint16_t(node.group + 0x0100)}) {
                for (uint32_t element = 0; element <= 0xFFFF; element += 7)
                    ASSERT_EQ(d->find(group, element), Walk(*d, group, element)) << group << "," << element;
                for (const auto& entry : node.entries)
                    for (uint16_t element : {entry->element, uint16_t(entry->element + 1),
                                             uint16_t(entry->element | 0x0030), uint16_t(entry->element - 1)})
                        ASSERT_EQ(d->find(group, element), Walk(*d, group, element)) << group << "," << element;
            }
        }
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

TEST(Dictionary_Text, EveryBuiltInLineMakesAnEntry) {
    NEMA_db_Dictionary builtin;
    std::size_t lines = 0;
    for (int t = 0; t < NEMA_db_Table_Count; ++t) {
        std::size_t n = NEMA_db_Tables[t].size / sizeof(const char*);
        lines += n;
        EXPECT_EQ(builtin.read_table(NEMA_db_Tables[t].lines, n), static_cast<int>(n)) << t;
    }
    EXPECT_EQ(builtin.size(), lines);
    EXPECT_GT(lines, 4500u);
}

}  // namespace
