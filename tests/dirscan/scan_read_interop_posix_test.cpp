// Files written by an independent writer (pydicom, called through tests/dirscan/pydicom_write.py)
// read back with the values that writer stored.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "dicom/definition.h"
#include "dicom/element_helpers.h"
#include "dirscan/scan_read.h"
#include "walk_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) out += {digits[b >> 4], digits[b & 15]};
    return out;
}

TEST(ScanReadInterop, PydicomFilesReadBackWithTheSameValues) {
    const Scratch_Folder folder;
    const fs::path dir = folder.path();
    const std::string expected = (dir / "expected.txt").string();
    const std::string command = "/usr/bin/python3 " KESTRAPOL_SOURCE_DIR "/tests/dirscan/pydicom_write.py " +
                                dir.string() + " > " + expected + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "pydicom (python3-pydicom) is not available";
    DICOM_Module_Dir(nullptr, (dir.string() + "/").c_str());  // no definition files

    std::map<std::string, DICOM_Tag_List> sets;
    std::ifstream in(expected);
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, group_text, element_text, value;
        fields >> name >> group_text >> element_text >> value;
        if (!sets.count(name)) {
            auto set = DICOMDIR_Scan_Read(nullptr, (dir / (name + ".dcm")).string());
            ASSERT_TRUE(set) << name;
            sets[name] = std::move(*set);
        }
        const uint16_t group = static_cast<uint16_t>(std::stoul(group_text, nullptr, 16));
        const uint16_t element = static_cast<uint16_t>(std::stoul(element_text, nullptr, 16));
        const DICOM_Tag* tag = find_element(sets[name], group, element, true);
        ASSERT_NE(tag, nullptr) << line;
        if (value == "nested") {
            fields >> value;
            EXPECT_GT(tag->depth, 0) << line;
        }
        if (value == "-") {
            int length = 0;
            fields >> length;
            EXPECT_TRUE(tag->data.empty()) << line;
            EXPECT_EQ(tag->length, length) << line;
        } else {
            EXPECT_EQ(hex(tag->data.to_vector()), value) << line;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 3 * 13);
    for (const auto& [name, set] : sets) {
        const DICOM_Tag* creator_owned = find_element(set, 0x0009, 0x1010, true);
        ASSERT_NE(creator_owned, nullptr);
        EXPECT_EQ(creator_owned->description, "ACME LAB") << name;
    }
    DICOM_Module_Private_Cleanup();
    DICOM_Module_Cleanup();
}

}  // namespace
