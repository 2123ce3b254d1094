// The directory record table: its shape (what the writer and the media check rely on) and the
// record type of SOP classes the pydicom comparison cannot see.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dicom/record_types.h"

namespace {

using namespace std::literals;

TEST(Record_Types, KeysAreTypedAndInTagOrderAndEveryTypeIsDefinedAndReachableAtItsLevel) {
    for (const Record_Type& type : Record_Types()) {
        SCOPED_TRACE(std::string(type.name));
        uint32_t previous = 0;
        for (const Record_Key& key : type.keys) {
            const uint32_t tag = uint32_t(key.group) << 16 | key.element;
            EXPECT_GT(tag, previous);  // ascending, each once
            EXPECT_NE(key.group, 0x0004);  // the record's own elements are not keys
            EXPECT_NE(tag, 0x00080005u);  // Specific Character Set is conditional
            EXPECT_TRUE(key.type == 1 || key.type == 2);
            previous = tag;
        }
        for (std::string_view lower : type.lower) EXPECT_NE(Record_Type_Find(lower), nullptr) << lower;
        EXPECT_EQ(Record_Type_Find(type.name), &type);
    }
    // Nothing but a type's exact name is found: no near miss, no retired type.
    for (std::string_view unknown :
         {"PATIENT "sv, "patient"sv, ""sv, "IMAGE\0"sv, "OVERLAY"sv, "HL7 STRUC DOC"sv, "MRDR"sv, "SR DOCUMENTS"sv})
        EXPECT_EQ(Record_Type_Find(unknown), nullptr) << unknown;
    // Every type is reachable from the types the root directory entity may hold, and only at its level.
    std::set<std::string_view> reached;
    std::set<std::string_view> todo = {"PATIENT",       "HANGING PROTOCOL", "PALETTE", "IMPLANT", "IMPLANT ASSY",
                                       "IMPLANT GROUP", "PRIVATE"};
    while (!todo.empty()) {
        const std::string_view name = *todo.begin();
        todo.erase(todo.begin());
        if (reached.insert(name).second)
            for (std::string_view lower : Record_Type_Find(name)->lower) todo.insert(lower);
    }
    EXPECT_EQ(reached.size(), Record_Types().size());
    const auto lower_of = [](std::string_view upper) {
        const auto lower = Record_Type_Find(upper)->lower;
        return std::set<std::string_view>(lower.begin(), lower.end());
    };
    EXPECT_EQ(lower_of("PATIENT"), (std::set<std::string_view>{"STUDY", "PRIVATE"}));
    EXPECT_EQ(lower_of("STUDY"), (std::set<std::string_view>{"SERIES", "PRIVATE"}));
    EXPECT_EQ(lower_of("IMAGE"), (std::set<std::string_view>{"PRIVATE"}));
    EXPECT_FALSE(lower_of("SERIES").contains("PATIENT"));
}

// The media check reads the keys of each level from this table alone.
TEST(Record_Types, KeysOfTheFourLevelsAndOfAnSRDocument) {
    const struct {
        std::string_view name;
        std::set<uint32_t> type1, type2, sequences;
    } cases[] = {
        {"PATIENT", {0x00100020}, {0x00100010}, {}},
        {"STUDY", {0x00080020, 0x00080030, 0x00200010}, {0x00080050, 0x00081030}, {}},
        {"SERIES", {0x00080060, 0x0020000E, 0x00200011}, {}, {}},
        {"IMAGE", {0x00200013}, {}, {}},
        {"SR DOCUMENT", {0x00080023, 0x00080033, 0x00200013, 0x0040A043, 0x0040A491, 0x0040A493}, {},
         {0x0040A043}},
        {"ENCAP DOC", {0x00200013, 0x00420012}, {0x00080023, 0x00080033, 0x0040A043, 0x00420010}, {0x0040A043}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        std::set<uint32_t> type1, type2, sequences;
        for (const Record_Key& key : Record_Type_Find(c.name)->keys) {
            const uint32_t tag = uint32_t(key.group) << 16 | key.element;
            (key.type == 1 ? type1 : type2).insert(tag);
            if (key.sequence) sequences.insert(tag);
        }
        EXPECT_EQ(type1, c.type1);
        EXPECT_EQ(type2, c.type2);
        EXPECT_EQ(sequences, c.sequences);
    }
}

TEST(Record_Types, SOPClassesAreFiledUnderTheirRecordTypeAndUnknownOnesAsImages) {
    const struct {
        std::string_view uid, type;
    } cases[] = {
        // What the pydicom comparison cannot see: classes it leaves out, families, padding, misses.
        {"1.2.840.10008.5.1.4.1.1.2", "IMAGE"},  // CT
        {"1.2.840.10008.5.1.4.1.1.9", "IMAGE"},  // a family's stem is no member of it
        {"1.2.840.10008.5.1.4.1.1.9.99.1", "WAVEFORM"},
        {"1.2.840.10008.5.1.4.1.1.104.1", "ENCAP DOC"},
        {"1.2.840.10008.5.1.4.1.1.481.1", "IMAGE"},  // RT Image
        {"1.2.840.10008.5.1.4.1.1.481.5", "RT PLAN"},
        {"1.2.840.10008.5.1.4.1.1.481.8", "RT PLAN"},
        {std::string_view("1.2.840.10008.5.1.4.1.1.481.2\0", 30), "RT DOSE"},  // value padding
        {"1.2.840.10008.5.1.4.1.1.481.2 ", "RT DOSE"},
        {"1.2.840.10008.5.1.4.1.1.481", "IMAGE"},
        {"1.2.3.4.5", "IMAGE"},  // private
        {"", "IMAGE"},
    };
    for (const auto& c : cases) EXPECT_EQ(Record_Type_For_SOP_Class(c.uid).name, c.type) << c.uid;
}

}  // namespace
