#include "dicom/person_name.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Person_Name make(const char* family, const char* given = nullptr, const char* middle = nullptr,
                 const char* prefix = nullptr, const char* suffix = nullptr) {
    Person_Name name;
    EXPECT_EQ(conv_name_set(&name, family, given, middle, prefix, suffix), 1);
    return name;
}

TEST(Person_Name_Set, ComponentsAreCutTrimmedAndThinned) {
    const Person_Name name = make("  Doe\t", "Jean  Paul", "a   b    c", "\t \t", "");
    EXPECT_EQ(name.family, "Doe");
    EXPECT_EQ(name.given, "Jean Paul");
    EXPECT_EQ(name.middle, "a  b  c");  // three or four blanks become two
    EXPECT_FALSE(name.prefix || name.suffix);
    EXPECT_EQ(name.nb, 3);
    // The cut to 64 characters comes before the trim.
    EXPECT_EQ(make((std::string(60, ' ') + "Smithson").c_str()).family, "Smit");
}

TEST(Person_Name_Forms, DicomAndDisplayForms) {
    char buffer[Person_Name_Dicom_Size];
    Person_Name name = make("Doe", "John");
    EXPECT_STREQ(conv_name_to_dicom(&name, buffer), "Doe^John");
    name = make("Doe", nullptr, nullptr, nullptr, "Jr");
    EXPECT_STREQ(conv_name_to_dicom(&name, buffer), "Doe^^^^Jr");
    name = make("Doe", "John", "A", "Dr", "Jr");
    EXPECT_STREQ(conv_name_to_text(&name), "Dr Doe, John A Jr");

    // Longest names: the DICOM form fits its buffer whole, the display form is cut to its own.
    const std::string part(64, 'x');
    name = make(part.c_str(), part.c_str(), part.c_str(), part.c_str(), part.c_str());
    EXPECT_EQ(std::strlen(conv_name_to_dicom(&name, buffer)), 5 * 64 + 4u);
    EXPECT_EQ(std::strlen(conv_name_to_text(&name)), Person_Name_Text_Size - 1);
}

}  // namespace
