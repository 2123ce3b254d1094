// The directory record table: its shape (what the writer and the media check rely on) and the
// record type of SOP classes the pydicom comparison cannot see.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dicom/record_types.h"

namespace {

TEST(Record_Types, KeysAreTypedAndInTagOrderAndEveryHeldTypeIsDefined) {
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
}

TEST(Record_Types, EveryTypeIsReachableFromTheRoot) {
    std::set<std::string_view> reached;
    // The types the root directory entity may hold.
    std::set<std::string_view> todo = {"PATIENT",       "HANGING PROTOCOL", "PALETTE", "IMPLANT", "IMPLANT ASSY",
                                       "IMPLANT GROUP", "PRIVATE"};
    while (!todo.empty()) {
        const std::string_view name = *todo.begin();
        todo.erase(todo.begin());
        if (reached.insert(name).second)
            for (std::string_view lower : Record_Type_Find(name)->lower) todo.insert(lower);
    }
    EXPECT_EQ(reached.size(), Record_Types().size());
}

TEST(Record_Types, NamesAreExactAndRetiredTypesUnknown) {
    const struct {
        std::string_view name;
        bool known;
    } cases[] = {
        {"PATIENT", true},   {"KEY OBJECT DOC", true}, {"PRIVATE", true},     {"PATIENT ", false},
        {"patient", false},  {"", false},              {"OVERLAY", false},    {"HL7 STRUC DOC", false},
        {"MRDR", false},     {std::string_view("IMAGE\0", 6), false},       {"SR DOCUMENTS", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Record_Type_Find(c.name) != nullptr, c.known) << c.name;
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
