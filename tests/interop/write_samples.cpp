// Writes the sample data set of the interoperability checks -- every buildable VR once, built by
// DICOM_Attribute_Add -- as a whole DICOM file in each transfer syntax, for independent readers.
// Usage: interop_write_samples <folder>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "dicom/attribute_add.h"
#include "dicom/encoder.h"
#include "dicom/part10.h"

namespace {

constexpr struct {
    int code;
    const char* transfer_syntax;
    const char* file_name;
} Sample_Syntaxes[] = {
    {0, "1.2.840.10008.1.2", "implicit_le.dcm"},
    {8, "1.2.840.10008.1.2.1", "explicit_le.dcm"},
    {9, "1.2.840.10008.1.2.2", "explicit_be.dcm"},
};

DICOM_Tag_List Sample_Data_Set(const char* transfer_syntax) {
    using V = std::vector<DICOM_Value>;
    using S = std::string;
    DICOM_Root root{};
    DICOM_Tag_List list;
    auto add = [&](uint16_t group, uint16_t element, const char (&vr)[3], int count, const V& values) {
        DICOM_Attribute_Add(nullptr, &root, &list, group, element, VR_Code(vr), count, values);
    };
    add(0x0002, 0x0001, "OB", 2, {int64_t{0}, int64_t{1}});
    add(0x0002, 0x0002, "UI", 1, {S("1.2.840.10008.5.1.4.1.1.7")});
    add(0x0002, 0x0003, "UI", 3, {S("1.2.826.0.1.3680043.9999"), S(".1"), S(".42")});
    add(0x0002, 0x0010, "UI", 1, {S(transfer_syntax)});
    add(0x0002, 0x0012, "UI", 1, {S("1.2.826.0.1.3680043.9999.7")});
    add(0x0002, 0x0013, "SH", 1, {S("KESTRAPOL_1")});

    add(0x0008, 0x0008, "CS", -2, {S("ORIGINAL"), S("PRIMARY")});
    add(0x0008, 0x0016, "UI", 1, {S("1.2.840.10008.5.1.4.1.1.7")});
    add(0x0008, 0x0018, "UI", 3, {S("1.2.826.0.1.3680043.9999"), S(".1"), S(".42")});
    add(0x0008, 0x0020, "DA", 1, {DICOM_Date{2026, 12, 6}});
    add(0x0008, 0x002A, "DT", 1, {DICOM_Date_Time{{2026, 12, 6}, {10, 5, 7.25f}}});
    add(0x0008, 0x0030, "TM", 1, {DICOM_Time{10, 5, 59.9995f}});
    add(0x0008, 0x0060, "CS", 1, {S("OT")});
    add(0x0008, 0x0080, "LO", 2, {S("Clinic A"), S("Site 7")});
    Person_Name name;
    conv_name_set(&name, "Doe", "Jane", nullptr, nullptr, nullptr);
    add(0x0010, 0x0010, "PN", 1, {name});
    add(0x0010, 0x0020, "LO", 1, {S("ID123")});
    add(0x0010, 0x1010, "AS", 1, {S("045Y")});
    add(0x0018, 0x0050, "DS", 1, {0.9999999});
    add(0x0018, 0x1310, "US", 4, {int64_t{0}, int64_t{256}, int64_t{512}, int64_t{0x0102}});
    add(0x0018, 0x6020, "SL", 1, {int64_t{-70000}});
    add(0x0018, 0x9087, "FD", 1, {1000.5});
    add(0x0018, 0x9219, "SS", 1, {int64_t{-2}});
    add(0x0020, 0x0013, "IS", 1, {int64_t{-12}});
    add(0x0020, 0x4000, "LT", 1, {S("a comment")});
    add(0x0020, 0x9165, "AT", 2, {int64_t{0x0020}, int64_t{0x9056}});
    add(0x0028, 0x0030, "DS", -2, {0.5, 1.25});
    add(0x0028, 0x1201, "OW", 3, {int64_t{1}, int64_t{0x0203}, int64_t{0xFFFF}});
    add(0x0040, 0xA160, "UT", 1, {S("free text value")});

    // A sequence of two items, each built as its own data set; the highest tag, so the list's last.
    add(0x0040, 0xA730, "SQ", 1, {int64_t{0}});
    for (const char* value : {"FIRST", "SECOND"}) {
        DICOM_Root item_root{};
        DICOM_Tag_List item;
        DICOM_Attribute_Add(nullptr, &item_root, &item, 0x0040, 0xA040, VR_Code("CS"), 1, {S("TEXT")});
        DICOM_Attribute_Add(nullptr, &item_root, &item, 0x0040, 0xA160, VR_Code("UT"), 1, {S(value)});
        list.back().item.push_back(std::move(item));
    }
    return list;
}

// Head, then every other element encoded with code.
std::vector<uint8_t> Sample_File(int code, const DICOM_Tag_List& list) {
    std::vector<uint8_t> bytes = DICOM_Write_Part10(nullptr, code, list);
    for (const DICOM_Tag& node : list) {
        if (node.group == 0x0002) continue;
        const std::vector<uint8_t> element = DICOM_Attribute_To_Str(nullptr, code, node);
        bytes.insert(bytes.end(), element.begin(), element.end());
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (const auto& s : Sample_Syntaxes) {
        const std::vector<uint8_t> bytes = Sample_File(s.code, Sample_Data_Set(s.transfer_syntax));
        std::ofstream out(std::string(argv[1]) + "/" + s.file_name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", s.file_name);
            return 1;
        }
    }
    return 0;
}
