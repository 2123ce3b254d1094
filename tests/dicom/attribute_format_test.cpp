// The format pass over flat lists as the reader delivers them, the complement and the trace dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "dicom/attribute_dump.h"
#include "dicom/attribute_format.h"
#include "dicom/byte_order.h"
#include "dicom/definition.h"
#include "dicom/dictionary.h"
#include "dicom/format_skip.h"
#include "dicom/nesting.h"
#include "dicom/un_element.h"
#include "element_helpers.h"
#include "support/log_recorder.h"

namespace {

const uint16_t SQ = VR_SQ, CS = VR_Code("CS"), UI = VR_Code("UI");

TEST(AttributeFormat, DefinedLengthsCloseByPosition) {
    // (0008,1115) SQ of 24 bytes: item of 16 bytes holding (0008,1150) UI of 8 bytes.
    Flat_List f;
    f.add(0x0008, 0x1115, SQ, 24).item(16).add(0x0008, 0x1150, UI, 8, "1.2.3.4");
    // Then at the same depth a delimited sequence whose delimited item holds three elements:
    // an end-of-item left over from the first sequence must not cut this item, nor an element
    // out of order while the delimiters are still to come (a Patient ID there is no top-level one).
    f.add(0x0008, 0x1140, SQ, Undefined_Length).item().add(0x0008, 0x1150, UI, 4, "1.2");
    f.add(0x0010, 0x0020, VR_Code("LO"), 2, "ID");
    f.add(0x0008, 0x1155, UI, 4, "1.3").item_end().sequence_end();
    Log_Recorder log;
    auto out = DICOM_Attribute_Format(nullptr, f.list);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->size(), 3u);
    EXPECT_EQ((*out)[0].item[0].size(), 2u);  // item, element
    const DICOM_Tag& second = (*out)[1];
    EXPECT_EQ(second.element, 0x1140);
    ASSERT_EQ(second.item_nb(), 1);
    EXPECT_EQ(second.item[0].size(), 5u);
    EXPECT_FALSE(log.has("missing end of sequence"));
}

TEST(AttributeFormat, OrderAndSyntaxWarnings) {
    Log_Recorder log;
    Flat_List f;
    f.add(0x0010, 0x0020, VR_Code("LO"), 2, "ID").add(0x0010, 0x0010, VR_Code("PN"), 2, "A ");
    f.add(0x0008, 0x0060, CS, 2, "MR");
    f.add(0x0008, 0x1115, SQ, Undefined_Length).item().add(0x0020, 0x000D, UI, 4, "1.2");
    f.add(0x0008, 0x0016, UI, 4, "1.2");  // lower tag inside the item: the sequence lacked its end
    f.add(0x0028, 0x0010, SQ, Undefined_Length);  // SQ not followed by an item
    f.add(0x0028, 0x0011, VR_Code("UT"), Undefined_Length);
    f.add(0x0028, 0x0012, VR_Code("OX"), 2, "\x01\x00");
    auto out = DICOM_Attribute_Format(nullptr, f.list);
    ASSERT_TRUE(out);
    EXPECT_EQ(log.count("tags should be sorted!"), 1);
    EXPECT_TRUE(log.has("(0008,0016) missing end of sequence tag!"));
    EXPECT_EQ(out->at(out->size() - 4).element, 0x0016);  // back at the top
    EXPECT_EQ(out->at(out->size() - 4).depth, 0);
    EXPECT_TRUE(out->at(out->size() - 3).flags & Tag_Flag::Deleted);
    const DICOM_Tag& ox = out->back();
    EXPECT_EQ(ox.vr, VR_OW);
    EXPECT_TRUE(ox.flags & Tag_Flag::Error);
    // An explicit UT is dropped in favour of the dictionary's VR.
    EXPECT_EQ(out->at(out->size() - 2).vr, 0);
}

TEST(AttributeFormat, DictionaryChecks) {
    Log_Recorder log;
    Flat_List f;
    f.add(0x0008, 0x0010, VR_Code("SH"), 4, "ABCD");   // retired
    f.add(0x0010, 0x0010, VR_Code("LO"), 4, "ABCD");   // PN expected
    f.add(0x0011, 0x1001, 0, 4, "\x01\x02\x03\x04");  // private, no VR at all
    auto out = DICOM_Attribute_Format(nullptr, f.list);
    ASSERT_TRUE(out);
    EXPECT_TRUE((*out)[0].flags & Tag_Flag::Retired);
    EXPECT_TRUE(log.has("(0010,0010)  Explicit VR (=LO) does not match definition! (=PN)"));
    EXPECT_TRUE((*out)[2].flags & Tag_Flag::Private);
    EXPECT_TRUE((*out)[2].flags & Tag_Flag::VR_Unknown);
    DICOM_Tag_List empty;
    EXPECT_FALSE(DICOM_Attribute_Format(nullptr, empty));
}

TEST(AttributeFormat, ElementsSentAsUnTakeTheDictionaryVrWhenItReadsTheSame) {
    Log_Recorder log;
    const uint16_t UN = VR_UN;
    Flat_List f;
    f.add(0x0028, 0x0103, UN, 2, std::string("\x01\x00", 2));  // Pixel Representation 1, little endian
    f.add(0x0028, 0x0106, UN, 2, std::string("\xFE\xFF", 2));  // US or SS: -2, signed pixels
    f.add(0x0028, 0x3006, UN, 2, std::string("\xFE\xFF", 2));  // US or OW: unsigned whatever the pixels
    f.add(0x6000, 0x3000, UN, 2, std::string("\x01\x02", 2));  // OB or OW
    f.add(0x0008, 0x1140, UN, 8, std::string(8, '\0'));        // a sequence: stays UN
    f.add(0x0009, 0x1001, UN, 2, "AB");                          // private: stays UN
    f.add(0x0018, 0x1240, UN, 2, "AB");                          // dictionary has no VR: stays UN
    for (DICOM_Tag& tag : f.list) tag.syntax = 9;                // a big-endian file
    DICOM_Tag undefined = f.list[1];  // US or SS, but of undefined length
    undefined.length = Undefined_Length;
    EXPECT_EQ(DICOM_UN_Dictionary_VR(undefined, false), 0);

    auto out = DICOM_Attribute_Format(nullptr, f.list);
    ASSERT_TRUE(out);
    std::vector<uint16_t> vrs;
    for (const DICOM_Tag& tag : *out) vrs.push_back(tag.vr);
    EXPECT_EQ(vrs, (std::vector<uint16_t>{VR_Code("US"), VR_Code("SS"), VR_Code("US"), VR_OB, UN, UN, UN}));
    // A UN value is little endian in any file.
    EXPECT_EQ(static_cast<int16_t>(DICOM_Read_16((*out)[1].syntax, (*out)[1].data.data())), -2);
    EXPECT_EQ((*out)[5].syntax, 9);
    EXPECT_EQ(log.count("does not match definition"), 1);  // the sequence alone
}

TEST(AttributeFormat, AKeptSubsetChecksEveryElementButKeepsOnlyKeysPrivatesAndSequences) {
    Flat_List flat;
    flat.add(0x0008, 0x0010, VR_Code("SH"), 4, "ABCD");  // retired, left out
    flat.add(0x0008, 0x0018, UI, 4, "1.2");
    flat.add(0x0010, 0x0010, VR_Code("LO"), 4, "ABCD");  // VR not the dictionary's, left out
    flat.add(0x0008, 0x0060, CS, 2, "MR");               // kept, out of order after a left-out element
    flat.add(0x0009, 0x0010, VR_Code("LO"), 4, "ACME").add(0x0009, 0x1001, VR_Code("LO"), 2, "AB");
    flat.add(0x0020, 0x1115, SQ, Undefined_Length).item().add(0x0008, 0x0060, CS, 2, "CT").item_end().sequence_end();
    const auto run = [](Flat_List f, const std::vector<uint32_t>* keep) {
        Log_Recorder log;
        auto out = DICOM_Attribute_Format(nullptr, f.list, true, {}, keep);
        return std::make_pair(std::move(out), Log_Recorder::texts());
    };
    const std::vector<uint32_t> keep = {0x00080018, 0x00080060};
    const auto [all, all_log] = run(flat, nullptr);
    const auto [part, part_log] = run(flat, &keep);
    EXPECT_EQ(part_log, all_log);  // every check still made, in the same order
    ASSERT_TRUE(all && part);
    EXPECT_EQ(all->size(), 8u);
    EXPECT_EQ(tags_of(*part),
              (std::vector<uint32_t>{0x00080018, 0x00080060, 0x00090010, 0x00091001, 0x00201115, 0xFFFEE0DD}));
    EXPECT_EQ(part->at(4).item.at(0).size(), 3u);  // a sequence keeps its items whole

    // Nothing kept is still a formatted file, unlike an empty one.
    Flat_List plain;
    plain.add(0x0008, 0x0070, VR_Code("LO"), 2, "AB");
    const auto none = DICOM_Attribute_Format(nullptr, plain.list, true, {}, &keep);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

// Every field of each element, one line per element, items after their sequence.
std::vector<std::string> describe(const DICOM_Tag_List& list) {
    std::vector<std::string> lines;
    for (const DICOM_Tag& t : list) {
        char line[128];
        std::snprintf(line, sizeof line, "%d %d %04x %04x,%04x %04x %04x %04x %d %u %u %u %d %p ", t.syntax, t.depth,
                      t.flags, t.group, t.element, t.vr, t.vr_def, t.type, t.blank_description, t.vm, t.pos,
                      t.pos_data, t.length, static_cast<const void*>(t.dict));
        lines.push_back(line + std::string(t.data.begin(), t.data.end()) + " " + std::string(t.description));
        for (const DICOM_Tag_List& item : t.item)
            for (std::string& nested : describe(item)) lines.push_back(std::move(nested));
    }
    return lines;
}

// What the format pass gives for a kept subset with private elements noted: the result's
// elements, the notes and the messages.
struct Format_Outcome {
    std::vector<std::string> elements;
    std::vector<std::string> notes;
    std::vector<std::string> log;
    bool operator==(const Format_Outcome&) const = default;
};

// skip: the elements the guide allows are passed over first, as the reader does.
Format_Outcome format_kept(DICOM_Tag_List flat, const std::vector<uint32_t>& keep, bool skip, int* passed = nullptr) {
    std::vector<Format_Skipped> skipped;
    if (skip) {
        Format_Skip_Guide guide(keep);
        DICOM_Tag_List listed;
        for (DICOM_Tag& tag : flat) {
            if (!guide.may_skip(tag)) listed.push_back(std::move(tag));
            else Format_Skipped_Add(skipped, static_cast<uint32_t>(listed.size()), tag.group, tag.element);
        }
        flat = std::move(listed);
    }
    if (passed) *passed = 0;
    for (const Format_Skipped& run : skipped) *passed += static_cast<int>(run.count);
    Log_Recorder log;
    std::vector<Left_Out_Private> left;
    Format_Outcome outcome;
    const auto out = DICOM_Attribute_Format(nullptr, flat, true, {}, &keep, &left, skipped);
    outcome.elements = out ? describe(*out) : std::vector<std::string>{"none"};
    for (const Left_Out_Private& note : left)
        outcome.notes.push_back(std::to_string(note.before) + ":" + std::to_string(note.group) + "," +
                                std::to_string(note.element));
    outcome.log = Log_Recorder::texts();
    return outcome;
}

// Elements passed over by the reader leave the format pass's result, its notes and its messages
// as they were: after well-formed sequences they are passed over; where the nesting is broken,
// out of order, or the format pass would say something about them or change them, they are not.
TEST(AttributeFormat, ElementsPassedOverChangeNothing) {
    const uint16_t LO = VR_Code("LO"), SH = VR_Code("SH");
    const auto fillers = [&](Flat_List& f, uint16_t group, int count) -> Flat_List& {
        f.add(group, 0x0010, LO, 4, "ACME");
        for (int i = 0; i < count; ++i) f.add(group, static_cast<uint16_t>(0x1000 + i), LO, 2, "AB");
        return f;
    };
    const auto defined = [](Flat_List& f, std::size_t at) {  // the length of list[at] from what follows it
        f.list[at].length = static_cast<int32_t>(f.pos() - f.list[at].pos_data);
    };
    struct Case {
        const char* name;
        Flat_List flat;
        bool passes_over;
    };
    std::vector<Case> cases;
    {   // Nested delimited sequences, as scanners write them; a second block and a kept element.
        Flat_List f;
        f.add(0x0008, 0x0060, CS, 2, "MR").add(0x0008, 0x2218, SQ, Undefined_Length).item();
        f.add(0x0008, 0x0100, SH, 2, "R4").add(0x0008, 0x2220, SQ, Undefined_Length).item();
        f.add(0x0008, 0x0100, SH, 2, "T1").item_end().sequence_end().item_end().sequence_end();
        fillers(f, 0x0009, 5).add(0x0009, 0x0000, VR_Code("UL"), 4, "1234");  // out of order: listed
        f.add(0x0010, 0x0010, VR_Code("PN"), 4, "DOE^");
        fillers(f, 0x0011, 3).add(0x0011, 0x1100, LO, 2, "CD").add(0x0011, 0x1101, LO, 2, "CD");  // kept
        f.add(0x0011, 0x1102, LO, 2, "CD").add(0x0019, 0x1001, LO, 2, "EF");
        cases.push_back({"delimited", f, true});
    }
    {   // Sequences and items of defined length, closed by position.
        Flat_List f;
        f.add(0x0008, 0x1115, SQ, 0).item(0).add(0x0008, 0x1150, UI, 4, "1.2");
        defined(f, 1);
        defined(f, 0);
        fillers(f, 0x0009, 4);
        cases.push_back({"defined", f, true});
    }
    {   // A sequence that never ends: what follows is nested, and the pass says so.
        Flat_List f;
        f.add(0x0008, 0x1140, SQ, Undefined_Length).item().add(0x0008, 0x1150, UI, 4, "1.2").item_end();
        fillers(f, 0x0009, 3).add(0x0008, 0x0060, CS, 2, "MR");
        cases.push_back({"unended", f, false});
    }
    {   // An item longer than its sequence.
        Flat_List f;
        f.add(0x0008, 0x1115, SQ, 12).item(40).add(0x0008, 0x1150, UI, 4, "1.2");
        fillers(f, 0x0009, 3);
        cases.push_back({"item overruns", f, false});
    }
    {   // Stray delimiters at the top level, and a sequence not followed by an item.
        Flat_List f;
        f.add(0x0008, 0x0060, CS, 2, "MR").sequence_end();
        fillers(f, 0x0009, 2).add(0x0010, 0x1002, SQ, Undefined_Length);
        fillers(f, 0x0011, 2);
        cases.push_back({"stray", f, false});
    }
    {   // Private elements the checks speak of or change: out of order, UN, a VR no stream has, OX,
        // and after an element of unknown VR, which an item makes a sequence.
        Flat_List f;
        f.add(0x0009, 0x0010, LO, 4, "ACME").add(0x0009, 0x1002, LO, 2, "AB").add(0x0009, 0x1001, LO, 2, "AB");
        f.add(0x0009, 0x1003, VR_UN, 2, "AB").add(0x0009, 0x1004, VR_Code("OF"), 4, "ABCD");
        f.add(0x0009, 0x1005, VR_OX, 2, "AB").add(0x0009, 0x1006, VR_Code("XY"), 2, "AB");
        f.add(0x0011, 0x1010, 0, 2, "AB").add(0x0011, 0x1011, LO, 2, "CD").item();
        f.add(0x0008, 0x0060, CS, 2, "MR").item_end().sequence_end();
        cases.push_back({"spoken of", f, true});
    }
    {   // Public elements, passed over unless kept, retired, sent with a VR their definition does
        // not allow or as UN, or Pixel Representation, which settles a later UN's VR.
        const uint16_t US = VR_Code("US");
        Flat_List f;
        f.add(0x0008, 0x0008, CS, 8, "ORIGINAL").add(0x0008, 0x0010, SH, 2, "AB");  // Recognition Code: retired
        f.add(0x0008, 0x0060, CS, 2, "MR").add(0x0008, 0x0070, LO, 4, "ACME").add(0x0010, 0x0040, LO, 2, "F ");
        f.add(0x0018, 0x0050, VR_UN, 2, "1 ").add(0x0028, 0x0103, US, 2, std::string("\x01\0", 2));
        f.add(0x0028, 0x0106, VR_UN, 2, std::string("\xFE\xFF", 2)).add(0x7FE0, 0x0010, VR_Code("OW"), 4, "ABCD");
        cases.push_back({"public", f, true});
    }
    const std::vector<uint32_t> keep = {0x00080060, 0x00100010, 0x00111101, 0x00280106};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int passed = 0;
        const Format_Outcome listed = format_kept(c.flat.list, keep, false);
        EXPECT_EQ(format_kept(c.flat.list, keep, true, &passed), listed);
        EXPECT_EQ(passed > 0, c.passes_over) << passed;
    }
}

TEST(AttributeComplement, GroupHeadersPrivateCreatorsAndItems) {
    Log_Recorder log;
    DICOM_Module_Dir(nullptr, "/nonexistent/");
    Flat_List f;
    // Blocks 10 and 11 alternate, block 13 has no creator; block 12's creator comes after its element
    // and a second creator of block 11 after the first: a creator is the first element of its tag.
    f.add(0x0009, 0x0010, VR_Code("LO"), 6, "ACME  ").add(0x0009, 0x0011, VR_Code("LO"), 6, "OTHER ");
    for (uint16_t element : {0x1001, 0x1101, 0x1002, 0x1201, 0x1301}) f.add(0x0009, element, VR_Code("SH"), 2, "AB");
    f.add(0x0009, 0x0012, VR_Code("LO"), 4, "LATE").add(0x0009, 0x0011, VR_Code("LO"), 6, "SECOND");
    f.add(0x0011, 0x1001, VR_Code("SH"), 2, "AB");  // another group's block 10
    f.add(0x0011, 0x0010, VR_Code("LO"), 2, "C ");
    f.add(0x0028, 0x0000, VR_Code("UL"), 4, "\x04\0\0\0").add(0x0032, 0x0000, VR_Code("UL"), 4, "\x04\0\0\0");
    f.add(0x0033, 0x0000, VR_Code("UL"), 2, "\x04\0");
    f.add(0x0040, 0x0260, SQ, Undefined_Length).item().add(0x0008, 0x0100, VR_Code("SH"), 2, "AB").item_end().sequence_end();
    auto out = DICOM_Attribute_Format(nullptr, f.list);
    ASSERT_TRUE(out);
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    EXPECT_EQ(DICOM_Attribute_Complement(nullptr, &root, *out), 0);
    std::vector<std::string> private_descriptions;
    for (std::size_t n : {0, 2, 3, 4, 5, 6, 9}) private_descriptions.emplace_back((*out)[n].description);
    EXPECT_EQ(private_descriptions, (std::vector<std::string>{"Private Creator Data Element", "ACME", "OTHER", "ACME",
                                                              "LATE", "", "C"}));
    out->erase(out->begin(), out->begin() + 11);

    // Many creators (sorted for lookup): the same rules.
    Flat_List many;
    many.add(0x0013, 0x1F01, VR_Code("SH"), 2, "AB");
    for (uint16_t block = 0x10; block < 0x30; ++block) many.add(0x0013, block, VR_Code("LO"), 2, std::to_string(block));
    many.add(0x0013, 0x1F02, VR_Code("SH"), 2, "AB");
    many.add(0x0013, 0x001F, VR_Code("LO"), 2, "NO");
    many.add(0x0013, 0x3001, VR_Code("SH"), 2, "AB");
    DICOM_Attribute_Complement(nullptr, &root, many.list);
    EXPECT_EQ(many.list.front().description, "31");
    EXPECT_EQ(many.list[33].description, "31");
    EXPECT_EQ(many.list.back().description, "");
    EXPECT_EQ((*out)[0].description, "\xF1===== Group 0028 (Presentation) ======");
    EXPECT_EQ((*out)[1].description, "\xF1===== Group 0032 =====================");
    EXPECT_TRUE((*out)[2].description.empty());
    ASSERT_EQ((*out)[3].item_nb(), 1);
    EXPECT_EQ((*out)[3].item[0][0].description, "\x01" "Item");
    EXPECT_EQ((*out)[4].description, "\x01" "Sequence Delimitation Item");
    DICOM_Module_Private_Cleanup();
}

// The trace dump: value renderings, and the legend and indentation of a nested list.

DICOM_Tag tag_of(const char* vr, int32_t length, const std::vector<uint8_t>& data = {}, int syntax = 0) {
    DICOM_Tag tag = make_element(0x0009, 0x1001, vr, std::string(data.begin(), data.end()), 0);
    tag.length = length;
    tag.pos_data = 1234;
    tag.syntax = static_cast<uint8_t>(syntax);
    return tag;
}

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(AttributeDump, ValueRenderingsLegendOnceAndItemsIndented) {
    std::vector<uint8_t> numbers;
    for (uint16_t i = 0; i < 40; ++i) numbers.push_back(static_cast<uint8_t>(i)), numbers.push_back(0);
    const auto minus_five = DICOM_Write_16(9, static_cast<uint16_t>(-5));
    const struct {
        DICOM_Tag tag;
        std::string shown;
    } cases[] = {
        {tag_of("LO", 0), ""},
        {tag_of("OB", 500), "(data from file at offset=1234)"},
        {tag_of("TM", 300, bytes(std::string(300, '1'))), std::string(250, '1') + "..."},
        {tag_of("OB", 3, {0xAB, 0x01, 0xFF}), "ab 01 ff"},
        {tag_of("OW", 4, {0x34, 0x12, 0x78, 0x56}), "1234 5678"},
        {tag_of("AT", 4, {0x10, 0x00, 0x20, 0x00}), "(0010,0020)"},
        {tag_of("UN", 4, bytes("ABCD")), "(VR=UN Unknown) ABCD"},
        {tag_of("UN", 2, {0, 1}), "(VR=UN Unknown) 00 01"},
        {tag_of("UI", 20, bytes(std::string("1.2.840.10008.1.2.1\0", 20))), "= UID Exlicit VR, Little Endian"},
        {tag_of("SS", 2, {minus_five.begin(), minus_five.end()}, 9), "-5"},  // big endian
    };
    for (const auto& c : cases) EXPECT_EQ(DICOM_Attribute_Stool_Value(c.tag), c.shown);
    const std::string us = DICOM_Attribute_Stool_Value(tag_of("US", 80, numbers));
    EXPECT_EQ(us.rfind("0 / 1 / 2", 0), 0u);
    EXPECT_NE(us.find("/ 15 ..."), std::string::npos);  // 16 numbers shown
    EXPECT_EQ(us.find("16"), std::string::npos);

    // The legend once, not again for the item; the item's elements indented.
    Log_Recorder log(7);
    DICOM_Tag marked = tag_of("LO", 0);
    marked.flags = Tag_Flag::Origin_DICOM | Tag_Flag::Forced | Tag_Flag::Append;
    marked.description = "\x01" "Two\x02 marks";
    DICOM_Tag sq = tag_of("SQ", Undefined_Length);
    sq.item.push_back({tag_of("CS", 2, bytes("MR"))});
    DICOM_Tag_List list = {marked, sq};
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    DICOM_Attribute_Stool(nullptr, &root, list, LOG_TRACE_7);

    EXPECT_EQ(log.count("(grp, elem) Origin"), 1);
    // Two markup bytes in the description: two blanks more keep the VR column in place.
    EXPECT_TRUE(log.has(" !Two marks" + std::string(32, ' ') + "(LO"));
    const auto& lines = log.texts();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const auto& l) { return l.starts_with("    (0009,1001)"); }));
}

// Taking values instead of copying them (the reading path) must give the very data set copying
// gives; and the description shortcut must describe as the formatted path did.

DICOM_Tag_List sample_flat() {
    Flat_List flat;
    flat.add(0x0008, 0x0060, VR_Code("CS"), 2, "MR", "Modality");
    // Length 0 with bytes held: a copy keeps no value without a length.
    flat.add(0x0008, 0x0070, VR_Code("LO"), 0, "stale");
    // Delimited sequence, one delimited item of two elements.
    flat.add(0x0008, 0x1140, VR_SQ, Undefined_Length).item();
    flat.add(0x0008, 0x1150, VR_Code("UI"), 4, "1.2", "Referenced SOP Class UID");
    flat.add(0x0008, 0x1155, VR_Code("UI"), 4, "1.3").item_end().sequence_end();
    // Private, no VR anywhere: marked VR_Unknown, which a copy turns into vr_def UN.
    flat.add(0x0009, 0x1001, 0, 4, "abcd");
    // Left from an earlier value access: a copy does not carry it.
    for (DICOM_Tag& tag : flat.list) tag.vm = 3;
    return flat.list;
}

TEST(ValueTaking, FormatTakingGivesTheCopiedSetAndEmptiesTheFlatList) {
    DICOM_Tag_List for_copy = sample_flat();
    DICOM_Tag_List for_take = sample_flat();
    auto copied = DICOM_Attribute_Format(nullptr, for_copy);
    auto taken = DICOM_Attribute_Format(nullptr, for_take, true);
    ASSERT_TRUE(copied && taken);
    EXPECT_EQ(describe(*taken), describe(*copied));
    EXPECT_EQ((*taken)[0].data.size(), 2u);         // the value did arrive
    EXPECT_TRUE((*taken)[1].data.empty());          // (0008,0070) length 0
    EXPECT_EQ((*taken).back().vr_def, VR_UN);
    const DICOM_Tag_List original = sample_flat();
    for (std::size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(for_copy[i].data, original[i].data);  // copying leaves values alone...
        EXPECT_EQ(for_copy[i].description, original[i].description);
        EXPECT_TRUE(for_take[i].data.empty());           // ...taking leaves none behind
        EXPECT_TRUE(for_take[i].description.empty());
        EXPECT_EQ(for_take[i].flags, for_copy[i].flags);  // the checks' marks on both
    }
}

TEST(ValueTaking, DescriptionsWithoutFormattingMatchTheFormattedOnes) {
    DICOM_Tag node;
    const std::string long_text(700, 'x');
    DICOM_Attribute_Describe(nullptr, &node, VR_Code("LO"), "%s", long_text.c_str());
    EXPECT_EQ(node.description, std::string(599, 'x'));  // cut where the formatted text was
    EXPECT_EQ(node.vr_def, VR_Code("LO"));
    DICOM_Attribute_Describe(nullptr, &node, 0, "Pixel Data");
    EXPECT_EQ(node.description, "Pixel Data");
    DICOM_Attribute_Describe(nullptr, &node, 0, "100%% of %s", "it");
    EXPECT_EQ(node.description, "100% of it");
    DICOM_Attribute_Describe(nullptr, &node, 0, "%s", "");
    EXPECT_TRUE(node.description.empty());
    EXPECT_EQ(node.vr_def, VR_Code("LO"));
}

}  // namespace
