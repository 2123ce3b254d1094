#include "dicom/uid_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(UID_Table, NamesWellKnownUidsByExactMatchOnly) {
    EXPECT_STREQ(NEMA_UID_Name("1.2.840.10008.1.2.1"), "UID Exlicit VR, Little Endian");
    EXPECT_STREQ(NEMA_UID_Name("1.2.840.10008.5.1.4.1.1.3"), "Ultrasound Multi-frame Image Storage (Retired)");
    EXPECT_STREQ(NEMA_UID_Name(Implementation_UID_Root), "UID Corvanthis");
    EXPECT_EQ(NEMA_UID_Name("1.2.840.10008.1.2.1 "), nullptr);
    EXPECT_EQ(NEMA_UID_Name(nullptr), nullptr);

    std::set<std::string> seen;
    for (std::size_t row = 0; row < UID_Table_Size; ++row) EXPECT_TRUE(seen.insert(UID_Table[row].uid).second);
    EXPECT_EQ(seen.size(), 120u);
    const std::string root = Implementation_UID_Root;
    EXPECT_EQ(root.find_first_not_of("0123456789", 5), std::string::npos);  // "2.25." + a number
}

}  // namespace
