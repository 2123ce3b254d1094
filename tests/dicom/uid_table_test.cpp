#include "dicom/uid_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

TEST(UID_Table, NamesWellKnownUidsByExactMatch) {
    EXPECT_STREQ(NEMA_UID_Name("1.2.840.10008.1.2.1"), "UID Exlicit VR, Little Endian");
    EXPECT_STREQ(NEMA_UID_Name("1.2.840.10008.5.1.4.1.1.2"), "SOP CT_IMAGE");
    EXPECT_STREQ(NEMA_UID_Name("1.2.840.10008.5.1.4.1.1.3"), "Ultrasound Multi-frame Image Storage (Retired)");
    EXPECT_STREQ(NEMA_UID_Name("1.2.840.10008.5.1.4.31"), "Modality Worklist Information Model - FIND");
    EXPECT_STREQ(NEMA_UID_Name(Implementation_UID_Root), "UID Corvanthis");
    EXPECT_EQ(NEMA_UID_Name("1.2.840.10008.1.2.1 "), nullptr);
    EXPECT_EQ(NEMA_UID_Name("1.2.840.10008.1.2.1.99"), nullptr);
    EXPECT_EQ(NEMA_UID_Name(""), nullptr);
    EXPECT_EQ(NEMA_UID_Name(nullptr), nullptr);
}

TEST(UID_Table, HasItsRowsOnceEachAndAValidRoot) {
    EXPECT_EQ(UID_Table_Size, 120u);
    std::set<std::string> seen;
    for (std::size_t row = 0; row < UID_Table_Size; ++row) {
        EXPECT_TRUE(seen.insert(UID_Table[row].uid).second) << UID_Table[row].uid;
    }
    // A UID: digits in dot-separated components without leading zeros.
    const std::string root = Implementation_UID_Root;
    EXPECT_EQ(root.rfind("2.25.", 0), 0u);
    EXPECT_NE(root[5], '0');
    EXPECT_EQ(root.find_first_not_of("0123456789", 5), std::string::npos);
    // The longest UID made under it still fits.
    EXPECT_LE(root.size() + std::strlen(".99999.99999999"), 64u);
}

}  // namespace
