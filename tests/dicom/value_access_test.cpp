#include "dicom/value_access.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "dataset_log.h"

namespace {

DICOM_Tag element(const char* vr, const std::string& value) {
    DICOM_Tag tag;
    tag.group = 0x0008;
    tag.element = 0x0018;
    tag.vr = VR_Code({vr[0], vr[1], 0});
    tag.length = static_cast<int32_t>(value.size());
    tag.data.assign(value.begin(), value.end());
    return tag;
}

using Values = std::vector<std::string>;

TEST(Value_Str, TextValuesSplitByVr) {
    DICOM_Tag uid = element("UI", std::string("1.2.3\0", 6));  // NUL pad to even length
    const Values* values = NEMA_Value_Str(nullptr, &uid, 0);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(*values, Values{"1.2.3"});
    EXPECT_EQ(uid.vm, 1u);

    DICOM_Tag type = element("CS", "DERIVED\\PRIMARY\\AXIAL ");
    values = NEMA_Value_Str(nullptr, &type, 0);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(*values, (Values{"DERIVED", "PRIMARY", "AXIAL "}));
    EXPECT_EQ(type.vm, 3u);

    DICOM_Tag gaps = element("LO", "A\\\\B");
    EXPECT_EQ(*NEMA_Value_Str(nullptr, &gaps, 0), (Values{"A", "", "B"}));

    DICOM_Tag text = element("LT", "C:\\DATA\\X");
    EXPECT_EQ(*NEMA_Value_Str(nullptr, &text, 0), Values{"C:\\DATA\\X"});
    // The caller's VR wins over the element's.
    EXPECT_EQ(*NEMA_Value_Str(nullptr, &text, VR_Code("CS")), (Values{"C:", "DATA", "X"}));

    // Implicit VR: the dictionary's.
    DICOM_Tag implicit = element("UI", "1.2");
    implicit.vr = 0;
    implicit.vr_def = VR_Code("UI");
    EXPECT_EQ(*NEMA_Value_Str(nullptr, &implicit, 0), Values{"1.2"});
}

TEST(Value_Str, NumbersAndEmptyValuesGiveNothing) {
    Trace_Capture log;
    DICOM_Tag number = element("DS", "1.5");
    number.vm = 7;
    EXPECT_EQ(NEMA_Value_Str(nullptr, &number, 0), nullptr);
    EXPECT_EQ(number.vm, 0u);
    EXPECT_EQ(log.count(LOG_TRACE_4, "(0008,0018): bad VR value (DS) != AE,AS,CS,LO,LT,SH,ST,UI,UT)"), 1);
    DICOM_Tag rows = element("US", std::string("\x00\x02", 2));
    EXPECT_EQ(NEMA_Value_Str(nullptr, &rows, 0), nullptr);

    DICOM_Tag empty = element("LO", "");
    EXPECT_EQ(NEMA_Value_Str(nullptr, &empty, 0), nullptr);
}

TEST(Value_Str, RingReusesASlotAfter128Calls) {
    DICOM_Tag first = element("SH", "first");
    const Values* kept = NEMA_Value_Str(nullptr, &first, 0);
    DICOM_Tag other = element("SH", "other");
    const Values* last = nullptr;
    for (int call = 0; call < 127; ++call) {
        last = NEMA_Value_Str(nullptr, &other, 0);
        ASSERT_NE(last, kept);
    }
    EXPECT_EQ(*kept, Values{"first"});  // still valid after 127 more calls
    EXPECT_EQ(NEMA_Value_Str(nullptr, &other, 0), kept);
    EXPECT_EQ(*kept, Values{"other"});
}

// A value of 2000 bytes that the reader left on disk at offset 10.
DICOM_Tag left_on_disk() {
    DICOM_Tag tag = element("LT", "");
    tag.length = 2000;
    tag.pos_data = 10;
    return tag;
}

std::vector<uint8_t> file_bytes(std::size_t size) {
    std::vector<uint8_t> bytes(size, 'x');
    for (std::size_t n = 0; n < 10; ++n) bytes[n] = 'h';  // not part of the value
    return bytes;
}

TEST(Value_Str, ValueLeftOnDiskNeedsARegisteredSourceAndStaysInBounds) {
    Trace_Capture log;
    NEMA_Value_Source_Clear();
    DICOM_Tag tag = left_on_disk();
    EXPECT_EQ(NEMA_Value_Str(nullptr, &tag, 0), nullptr);
    EXPECT_TRUE(tag.data.empty());

    const std::vector<uint8_t> short_block = file_bytes(2009);  // one byte short
    NEMA_Value_Source(Value_Source_Memory, "", short_block.data(), short_block.size());
    EXPECT_EQ(NEMA_Value_Str(nullptr, &tag, 0), nullptr);
    EXPECT_TRUE(tag.data.empty());
    EXPECT_EQ(log.count(LOG_WARNING, "End of File while reading: (1999 /vs/ 2000) (memory)"), 1);

    const std::vector<uint8_t> block = file_bytes(2010);
    NEMA_Value_Source(Value_Source_Memory, "", block.data(), block.size());
    const Values* values = NEMA_Value_Str(nullptr, &tag, 0);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->at(0), std::string(2000, 'x'));
    EXPECT_EQ(tag.data.size(), 2000u);  // kept in the element
    NEMA_Value_Source_Clear();
}

TEST(Value_Str, ValueLeftOnDiskLoadsFromTheRegisteredFile) {
    Trace_Capture log;
    const std::string path = std::string(KESTRAPOL_BINARY_DIR) + "/value_access_test.bin";
    const std::vector<uint8_t> bytes = file_bytes(2010);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 2010);

    NEMA_Value_Source(Value_Source_File, path, nullptr, 0);
    DICOM_Tag tag = left_on_disk();
    ASSERT_NE(NEMA_Value_Str(nullptr, &tag, 0), nullptr);
    EXPECT_EQ(tag.data.size(), 2000u);
    EXPECT_EQ(log.count(LOG_TRACE_1, "Reading missing: 2000 bytes at 10"), 1);

    DICOM_Tag beyond = left_on_disk();
    beyond.pos_data = 11;
    EXPECT_EQ(NEMA_Value_Str(nullptr, &beyond, 0), nullptr);
    EXPECT_TRUE(beyond.data.empty());

    std::remove(path.c_str());
    DICOM_Tag gone = left_on_disk();
    EXPECT_EQ(NEMA_Value_Str(nullptr, &gone, 0), nullptr);
    EXPECT_EQ(log.count(LOG_WARNING, "\xF1\x04" "ERROR:\x02 Unable to open file"), 1);
    EXPECT_EQ(log.count(LOG_WARNING, "file: (" + path + ")"), 1);
    NEMA_Value_Source_Clear();
}

TEST(Value_Name, PersonNamesSplitAtCaretsWithoutCarryingComponentsOver) {
    DICOM_Tag name = element("PN", "Doe^John^Q^Mr^III\\Roe^Jane ");
    const std::vector<Person_Name>* names = NEMA_Value_Name(nullptr, &name, 0);
    ASSERT_NE(names, nullptr);
    ASSERT_EQ(names->size(), 2u);
    EXPECT_EQ(name.vm, 2u);
    const Person_Name& first = (*names)[0];
    EXPECT_EQ(first.family, "Doe");
    EXPECT_EQ(first.middle, "Q");
    EXPECT_EQ(first.prefix, "Mr");
    EXPECT_EQ(first.suffix, "III");
    EXPECT_EQ(first.nb, 3);
    const Person_Name& second = (*names)[1];
    EXPECT_EQ(second.family, "Roe");
    EXPECT_EQ(second.given, "Jane");
    EXPECT_FALSE(second.middle || second.prefix || second.suffix);
    EXPECT_EQ(second.nb, 2);

    DICOM_Tag six = element("PN", "a^b^c^d^e^dropped");
    EXPECT_EQ(NEMA_Value_Name(nullptr, &six, 0)->at(0).suffix, "e");

    DICOM_Tag only_prefix = element("PN", "^^^Dr");
    const Person_Name& empty = NEMA_Value_Name(nullptr, &only_prefix, 0)->at(0);
    EXPECT_EQ(empty.nb, 0);
    EXPECT_EQ(empty.prefix, "Dr");
    char buffer[Person_Name_Dicom_Size];
    EXPECT_EQ(conv_name_to_dicom(&empty, buffer), nullptr);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(conv_name_to_text(&empty), nullptr);

    DICOM_Tag not_a_name = element("LO", "Doe^John");
    EXPECT_EQ(NEMA_Value_Name(nullptr, &not_a_name, 0), nullptr);
    EXPECT_EQ(not_a_name.vm, 0u);
}

}  // namespace
