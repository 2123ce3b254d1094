// The dictionary line parser on hand-written lines, its warnings, and the indexed lookup
// against the plain ordered walk over groups and elements.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dicom/dictionary.h"
#include "dicom/dictionary_table.h"
#include "dicom/dictionary_text.h"
#include "support/log_recorder.h"

namespace {

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
            if (entry->element == element) return entry;
        for (const auto& entry : node.entries)
            if ((element & entry->element_mask) == entry->element) return entry;
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
    const struct { uint16_t group, element; const char* name; } named[] = {
        {0x0028, 0x0810, "Exact"}, {0x0028, 0x0820, "Code Label"}, {0x6002, 0x0010, "Overlay Rows"},
        {0x6002, 0x0012, "Plain"}, {0x1000, 0x1230, "Escape"},     {0x1010, 0xBEEF, "Zonal Map"},
        {0x7FE0, 0x0010, "Variable"}};
    for (const auto& n : named) EXPECT_STREQ(dictionary.find(n.group, n.element)->name, n.name);
    EXPECT_EQ(dictionary.find(0x1000, 0x1231), nullptr);
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
