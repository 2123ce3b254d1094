// Values read as texts and person names, loaded from their file when the reader left them there.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "dicom/element_reader.h"
#include "dicom/person_name.h"
#include "dicom/value_access.h"
#include "element_helpers.h"
#include "support/log_recorder.h"

namespace {

DICOM_Tag element(const char* vr, const std::string& value) { return make_element(0x0008, 0x0018, vr, value); }

using Values = std::vector<std::string>;

Values values_of(DICOM_Tag tag, uint16_t vr = 0) {
    const Values* values = NEMA_Value_Str(nullptr, &tag, vr);
    return values ? *values : Values{"<none>"};
}

TEST(Value_Str, TextValuesSplitByVr) {
    EXPECT_EQ(values_of(element("UI", std::string("1.2.3\0", 6))), Values{"1.2.3"});  // NUL pad
    EXPECT_EQ(values_of(element("CS", "DERIVED\\PRIMARY\\AXIAL ")), (Values{"DERIVED", "PRIMARY", "AXIAL "}));
    EXPECT_EQ(values_of(element("LO", "A\\\\B")), (Values{"A", "", "B"}));
    EXPECT_EQ(values_of(element("LT", "C:\\DATA")), Values{"C:\\DATA"});
    EXPECT_EQ(values_of(element("LT", "C:\\DATA"), VR_Code("CS")), (Values{"C:", "DATA"}));  // caller's VR wins

    DICOM_Tag number = element("DS", "1.5");
    EXPECT_EQ(NEMA_Value_Str(nullptr, &number, 0), nullptr);
    EXPECT_EQ(number.vm, 0u);
    EXPECT_EQ(values_of(element("US", std::string("\x00\x02", 2))), Values{"<none>"});
    EXPECT_EQ(values_of(element("LO", "")), Values{"<none>"});
}

TEST(Value_Str, RingReusesASlotAfter128Calls) {
    DICOM_Tag first = element("SH", "first");
    const Values* kept = NEMA_Value_Str(nullptr, &first, 0);
    DICOM_Tag other = element("SH", "other");
    for (int call = 0; call < 127; ++call) ASSERT_NE(NEMA_Value_Str(nullptr, &other, 0), kept);
    EXPECT_EQ(*kept, Values{"first"});
    EXPECT_EQ(NEMA_Value_Str(nullptr, &other, 0), kept);
}

// A value of 2000 bytes that the reader left on disk at offset 10 (of a file of 2010 bytes below).
DICOM_Tag left_on_disk() {
    DICOM_Tag tag = element("LT", "");
    tag.length = 2000;
    tag.pos_data = 10;
    return tag;
}

TEST(Value_Str, ValueLeftOnDiskLoadsOnlyFromARegisteredSourceAndWithinItsBounds) {
    Log_Recorder log;
    EXPECT_EQ(values_of(left_on_disk()), Values{"<none>"});
    EXPECT_TRUE(log.has("ERROR: Unable to open file"));

    const std::string path = std::string(KESTRAPOL_BINARY_DIR) + "/value_access_test.bin";
    std::ofstream(path, std::ios::binary) << std::string(2010, 'x');
    {
        const Value_Source_Scope file(path);
        {
            const Value_Source_Scope again(path);  // the reader's own scope inside the walk's
        }
        DICOM_Tag tag = left_on_disk();
        ASSERT_NE(NEMA_Value_Str(nullptr, &tag, 0), nullptr);
        EXPECT_EQ(tag.data.size(), 2000u);  // kept in the element
        DICOM_Tag beyond = left_on_disk();
        beyond.pos_data = 11;
        EXPECT_EQ(values_of(beyond), Values{"<none>"});
        EXPECT_TRUE(log.has("End of File while reading: (1999 /vs/ 2000)"));
        DICOM_Tag deflated = left_on_disk();  // its offset is in an inflated stream
        deflated.syntax = Mode_Explicit | Mode_Deflated;
        EXPECT_EQ(values_of(deflated), Values{"<none>"});
        {
            const Value_Source_Scope other(path + ".missing");
            EXPECT_EQ(values_of(left_on_disk()), Values{"<none>"});
        }
        EXPECT_NE(values_of(left_on_disk()), Values{"<none>"});  // the outer file is back
    }
    // Once the outermost scope is gone, the file is never read.
    const int unopened = log.count("ERROR: Unable to open file");
    EXPECT_EQ(values_of(left_on_disk()), Values{"<none>"});
    EXPECT_EQ(log.count("ERROR: Unable to open file"), unopened + 1);
    std::remove(path.c_str());
}

TEST(Value_Name, PersonNamesSplitAtCaretsWithoutCarryingComponentsOver) {
    DICOM_Tag name = element("PN", "Doe^John^Q^Mr^III\\Roe^Jane ");
    const std::vector<Person_Name>* names = NEMA_Value_Name(nullptr, &name, 0);
    ASSERT_NE(names, nullptr);
    ASSERT_EQ(names->size(), 2u);
    EXPECT_EQ(name.vm, 2u);
    EXPECT_EQ((*names)[0].suffix, "III");
    EXPECT_EQ((*names)[0].nb, 3);
    EXPECT_EQ((*names)[1].given, "Jane");
    EXPECT_FALSE((*names)[1].middle || (*names)[1].prefix || (*names)[1].suffix);  // nothing carried over

    EXPECT_EQ(NEMA_Value_Name(nullptr, &(name = element("PN", "a^b^c^d^e^dropped")), 0)->at(0).suffix, "e");
    // Only a prefix: no name, and no form of it.
    const Person_Name& empty = NEMA_Value_Name(nullptr, &(name = element("PN", "^^^Dr")), 0)->at(0);
    EXPECT_EQ(empty.nb, 0);
    char buffer[Person_Name_Dicom_Size];
    EXPECT_EQ(conv_name_to_dicom(&empty, buffer), nullptr);
    EXPECT_EQ(conv_name_to_text(&empty), nullptr);

    DICOM_Tag not_a_name = element("LO", "Doe^John");
    EXPECT_EQ(NEMA_Value_Name(nullptr, &not_a_name, 0), nullptr);
}

Person_Name make(const char* family, const char* given = nullptr, const char* middle = nullptr,
                 const char* prefix = nullptr, const char* suffix = nullptr) {
    Person_Name name;
    EXPECT_EQ(conv_name_set(&name, family, given, middle, prefix, suffix), 1);
    return name;
}

TEST(Person_Name, ComponentsAreCutTrimmedAndThinnedAndFormsFitTheirBuffers) {
    Person_Name name = make("  Doe\t", "Jean  Paul", "a   b    c", "\t \t", "");
    EXPECT_EQ(name.family, "Doe");
    EXPECT_EQ(name.given, "Jean Paul");
    EXPECT_EQ(name.middle, "a  b  c");  // three or four blanks become two
    EXPECT_FALSE(name.prefix || name.suffix);
    EXPECT_EQ(name.nb, 3);
    // The cut to 64 characters comes before the trim.
    EXPECT_EQ(make((std::string(60, ' ') + "Smithson").c_str()).family, "Smit");

    // The display form (the DICOM form: attribute_list_test).
    name = make("Doe", "John", "A", "Dr", "Jr");
    EXPECT_STREQ(conv_name_to_text(&name), "Dr Doe, John A Jr");

    // Longest names: the DICOM form fits its buffer whole, the display form is cut to its own.
    const std::string part(64, 'x');
    char buffer[Person_Name_Dicom_Size];
    name = make(part.c_str(), part.c_str(), part.c_str(), part.c_str(), part.c_str());
    EXPECT_EQ(std::strlen(conv_name_to_dicom(&name, buffer)), 5 * 64 + 4u);
    EXPECT_EQ(std::strlen(conv_name_to_text(&name)), Person_Name_Text_Size - 1);
}

}  // namespace
