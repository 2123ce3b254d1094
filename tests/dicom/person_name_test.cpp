#include "dicom/person_name.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Person_Name make(const char* family, const char* given, const char* middle, const char* prefix,
                 const char* suffix) {
    Person_Name name;
    EXPECT_EQ(conv_name_set(&name, family, given, middle, prefix, suffix), 1);
    return name;
}

TEST(Person_Name_Set, ComponentsAreCutTrimmedAndThinned) {
    const Person_Name name = make("  Doe\t", "Jean  Paul", "a   b    c", "\t \t", "");
    EXPECT_EQ(name.family, "Doe");
    EXPECT_EQ(name.given, "Jean Paul");
    EXPECT_EQ(name.middle, "a  b  c");  // three or four blanks become two
    EXPECT_FALSE(name.prefix);
    EXPECT_FALSE(name.suffix);
    EXPECT_EQ(name.nb, 3);

    // The cut comes before the trim: 60 blanks then "Smithson" keeps "Smit".
    const std::string padded = std::string(60, ' ') + "Smithson";
    EXPECT_EQ(make(padded.c_str(), nullptr, nullptr, nullptr, nullptr).family, "Smit");
    const std::string long_name(80, 'L');
    EXPECT_EQ(make(long_name.c_str(), nullptr, nullptr, nullptr, nullptr).family->size(), 64u);

    // Setting again replaces every component; free empties the record.
    Person_Name again = make("Doe", "John", nullptr, "Dr", nullptr);
    conv_name_set(&again, nullptr, "Jane", nullptr, nullptr, nullptr);
    EXPECT_FALSE(again.family || again.prefix);
    EXPECT_EQ(again.nb, 1);
    conv_name_free(&again);
    EXPECT_FALSE(again.given);
    EXPECT_EQ(again.nb, 0);
}

TEST(Person_Name_Forms, DicomFormLeavesOutTrailingEmptyComponents) {
    char buffer[Person_Name_Dicom_Size];
    Person_Name name = make("Doe", "John", nullptr, nullptr, nullptr);
    EXPECT_STREQ(conv_name_to_dicom(&name, buffer), "Doe^John");
    name = make("Doe", nullptr, nullptr, nullptr, "Jr");
    EXPECT_STREQ(conv_name_to_dicom(&name, buffer), "Doe^^^^Jr");
    name = make(nullptr, "John", nullptr, "Dr", nullptr);
    EXPECT_STREQ(conv_name_to_dicom(&name, buffer), "^John^^Dr");

    const std::string part(64, 'x');
    name = make(part.c_str(), part.c_str(), part.c_str(), part.c_str(), part.c_str());
    ASSERT_NE(conv_name_to_dicom(&name, buffer), nullptr);
    EXPECT_EQ(std::strlen(buffer), 5 * 64 + 4u);
}

TEST(Person_Name_Forms, DisplayFormAndItsLimit) {
    Person_Name name = make("Doe", "John", "A", "Dr", "Jr");
    EXPECT_STREQ(conv_name_to_text(&name), "Dr Doe, John A Jr");
    name = make("Doe", nullptr, nullptr, nullptr, nullptr);
    EXPECT_STREQ(conv_name_to_text(&name), "Doe");

    const std::string part(64, 'x');
    name = make(part.c_str(), part.c_str(), part.c_str(), part.c_str(), part.c_str());
    const char* text = conv_name_to_text(&name);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::strlen(text), Person_Name_Text_Size - 1);  // cut to the ring buffer

    // The display ring has 128 slots: a result survives 127 more calls.
    name = make("Kept", nullptr, nullptr, nullptr, nullptr);
    const char* kept = conv_name_to_text(&name);
    Person_Name other = make("Other", nullptr, nullptr, nullptr, nullptr);
    for (int call = 0; call < 127; ++call) conv_name_to_text(&other);
    EXPECT_STREQ(kept, "Kept");
    EXPECT_EQ(conv_name_to_text(&other), kept);
}

}  // namespace
