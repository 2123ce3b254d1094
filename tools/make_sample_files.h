// Synthetic DICOM Part-10 files written with the program's own encoder: for the bundled sample
// folder, the tests and the bench. Header only, so each of them takes it without a library.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dicom/encoder.h"
#include "dicom/part10.h"
#include "dicom/tag.h"
#include "dicom/uid_table.h"

struct Sample_Image {
    std::string patient_name = "DOE^JOHN";
    std::string patient_id = "ID0001";
    std::string study_uid = std::string(Implementation_UID_Root) + ".1.1";
    std::string series_uid = std::string(Implementation_UID_Root) + ".1.1.1";
    std::string sop_uid = std::string(Implementation_UID_Root) + ".1.1.1.1";
    std::string study_date = "20240105";
    std::string description = "SYNTHETIC STUDY";
    std::string modality = "OT";
    int series_number = 1;
    int instance_number = 1;
    int code = 8;                  // 0 implicit VR LE, 8 explicit VR LE, 9 explicit VR BE
    int filler_elements = 0;       // private LO elements that bring the header to a realistic size
    bool nested_sequence = false;  // a sequence whose item holds another sequence
    bool with_patient_id = true;
    std::size_t pixel_bytes = 0;   // OW pixel data of this many bytes (rounded up to even)
    std::string sop_class;         // empty: Sample_SOP_Class
};

namespace sample_detail {

inline DICOM_Tag element(uint16_t group, uint16_t number, const char (&vr)[3], std::string value) {
    const char pad = VR_Code(vr) == VR_Code("UI") ? '\0' : ' ';
    if (value.size() & 1) value.push_back(pad);
    DICOM_Tag tag;
    tag.group = group;
    tag.element = number;
    tag.vr = VR_Code(vr);
    tag.vr_def = tag.vr;
    tag.length = static_cast<int32_t>(value.size());
    tag.data.assign(value.begin(), value.end());
    return tag;
}

inline DICOM_Tag element_16(uint16_t group, uint16_t number, const char (&vr)[3], uint16_t value) {
    DICOM_Tag tag = element(group, number, vr, "");
    tag.length = 2;
    tag.data = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
    return tag;
}

inline DICOM_Tag sequence(uint16_t group, uint16_t number, DICOM_Tag_List item) {
    DICOM_Tag tag = element(group, number, "SQ", "");
    tag.length = Undefined_Length;
    tag.item.push_back(std::move(item));
    return tag;
}

inline const char* transfer_syntax(int code) {
    switch (code) {
    case 0: return "1.2.840.10008.1.2";
    case 9: return "1.2.840.10008.1.2.2";
    default: return "1.2.840.10008.1.2.1";
    }
}

}  // namespace sample_detail

inline constexpr const char* Sample_SOP_Class = "1.2.840.10008.5.1.4.1.1.7";  // Secondary Capture

// The whole file but the pixel value bytes, which Sample_File_Write appends as zeros.
inline std::vector<uint8_t> Sample_File_Head(const Sample_Image& image) {
    using namespace sample_detail;
    const std::string sop_class = image.sop_class.empty() ? Sample_SOP_Class : image.sop_class;
    DICOM_Tag_List meta;
    DICOM_Tag version = element(0x0002, 0x0001, "OB", "");
    version.length = 2;
    version.data = {0, 1};
    meta.push_back(version);
    meta.push_back(element(0x0002, 0x0002, "UI", sop_class));
    meta.push_back(element(0x0002, 0x0003, "UI", image.sop_uid));
    meta.push_back(element(0x0002, 0x0010, "UI", transfer_syntax(image.code)));
    meta.push_back(element(0x0002, 0x0012, "UI", Implementation_UID_Root));
    std::vector<uint8_t> bytes = DICOM_Write_Part10(nullptr, 8, meta);

    DICOM_Tag_List set;  // ascending tag order
    set.push_back(element(0x0008, 0x0005, "CS", "ISO_IR 100"));
    set.push_back(element(0x0008, 0x0016, "UI", sop_class));
    set.push_back(element(0x0008, 0x0018, "UI", image.sop_uid));
    set.push_back(element(0x0008, 0x0020, "DA", image.study_date));
    set.push_back(element(0x0008, 0x0030, "TM", "101500"));
    set.push_back(element(0x0008, 0x0050, "SH", "ACC" + std::to_string(image.series_number)));
    set.push_back(element(0x0008, 0x0060, "CS", image.modality));
    set.push_back(element(0x0008, 0x0064, "CS", "WSD"));
    set.push_back(element(0x0008, 0x0090, "PN", ""));  // Referring Physician's Name, type 2
    set.push_back(element(0x0008, 0x1030, "LO", image.description));
    if (image.nested_sequence) {
        DICOM_Tag_List code_item = {element(0x0008, 0x0100, "SH", "T-D1100"),
                                    element(0x0008, 0x0102, "SH", "SRT"),
                                    element(0x0008, 0x0104, "LO", "HEAD")};
        DICOM_Tag_List region = {element(0x0008, 0x0100, "SH", "R-42"), element(0x0008, 0x0102, "SH", "SRT"),
                                 element(0x0008, 0x0104, "LO", "REGION"),
                                 sequence(0x0008, 0x2220, std::move(code_item))};
        set.push_back(sequence(0x0008, 0x2218, std::move(region)));
    }
    if (image.filler_elements > 0) {
        set.push_back(element(0x0009, 0x0010, "LO", "KESTRAPOL SAMPLE"));
        for (int i = 0; i < image.filler_elements && i < 0xF0; ++i)
            set.push_back(element(0x0009, static_cast<uint16_t>(0x1000 + i), "LO",
                                  "FILLER VALUE " + std::to_string(i)));
    }
    set.push_back(element(0x0010, 0x0010, "PN", image.patient_name));
    if (image.with_patient_id) set.push_back(element(0x0010, 0x0020, "LO", image.patient_id));
    set.push_back(element(0x0010, 0x0030, "DA", "19700101"));
    set.push_back(element(0x0010, 0x0040, "CS", "O"));
    set.push_back(element(0x0020, 0x000D, "UI", image.study_uid));
    set.push_back(element(0x0020, 0x000E, "UI", image.series_uid));
    set.push_back(element(0x0020, 0x0010, "SH", std::string("S").append(std::to_string(image.series_number))));
    set.push_back(element(0x0020, 0x0011, "IS", std::to_string(image.series_number)));
    set.push_back(element(0x0020, 0x0013, "IS", std::to_string(image.instance_number)));
    set.push_back(element(0x0020, 0x0020, "CS", "L\\F"));
    set.push_back(element(0x0020, 0x0060, "CS", ""));  // Laterality, type 2C
    set.push_back(element_16(0x0028, 0x0002, "US", 1));
    set.push_back(element(0x0028, 0x0004, "CS", "MONOCHROME2"));
    const std::size_t pixels = (image.pixel_bytes + 1) / 2;  // 16-bit samples
    const uint16_t columns = 64;
    set.push_back(element_16(0x0028, 0x0010, "US", static_cast<uint16_t>(pixels ? (pixels + columns - 1) / columns : 0)));
    set.push_back(element_16(0x0028, 0x0011, "US", columns));
    set.push_back(element_16(0x0028, 0x0100, "US", 16));
    set.push_back(element_16(0x0028, 0x0101, "US", 16));
    set.push_back(element_16(0x0028, 0x0102, "US", 15));
    set.push_back(element_16(0x0028, 0x0103, "US", 0));
    for (const DICOM_Tag& tag : set) {
        std::vector<uint8_t> encoded = DICOM_Attribute_To_Str(nullptr, image.code, tag);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    if (image.pixel_bytes > 0) {
        // Pixel data header only: (7FE0,0010) OW with a 32-bit length.
        const auto length = static_cast<uint32_t>(pixels * 2);
        const bool big = image.code == 9;
        const auto put16 = [&](uint16_t v) {
            bytes.push_back(static_cast<uint8_t>(big ? v >> 8 : v & 0xFF));
            bytes.push_back(static_cast<uint8_t>(big ? v & 0xFF : v >> 8));
        };
        const auto put32 = [&](uint32_t v) {
            if (big) { put16(static_cast<uint16_t>(v >> 16)); put16(static_cast<uint16_t>(v)); }
            else { put16(static_cast<uint16_t>(v)); put16(static_cast<uint16_t>(v >> 16)); }
        };
        put16(0x7FE0);
        put16(0x0010);
        if (image.code != 0) {
            bytes.push_back('O');
            bytes.push_back('W');
            put16(0);
        }
        put32(length);
    }
    return bytes;
}

// Writes the file; false when it cannot be written.
inline bool Sample_File_Write(const std::string& path, const Sample_Image& image) {
    const std::vector<uint8_t> head = Sample_File_Head(image);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(head.data(), 1, head.size(), file) == head.size();
    std::size_t left = ((image.pixel_bytes + 1) / 2) * 2;
    static const std::vector<uint8_t> zeros(64 * 1024, 0);
    while (ok && left > 0) {
        const std::size_t chunk = left < zeros.size() ? left : zeros.size();
        ok = std::fwrite(zeros.data(), 1, chunk, file) == chunk;
        left -= chunk;
    }
    return std::fclose(file) == 0 && ok;
}

// One file of the sample folder.
struct Sample_Entry {
    const char* path;  // relative, "/" between components
    const char* patient;
    const char* id;
    int study;
    int series;
    int instance;
    int code;
    bool nested;
};

// Two patients, three studies, five series, the three transfer syntaxes, nested sequences, and
// odd and even name lengths (the Referenced File IDs then need padding or not).
inline constexpr Sample_Entry Sample_Entries[] = {
    {"PAT1/STUDY1/SER1/IMG1", "SMITH^ANNA", "P0001", 1, 1, 1, 8, true},
    {"PAT1/STUDY1/SER1/IMG2", "SMITH^ANNA", "P0001", 1, 1, 2, 8, false},
    {"PAT1/STUDY1/SER2/IMAGE1", "SMITH^ANNA", "P0001", 1, 2, 1, 0, false},
    {"PAT1/STUDY2/SER1/IMG", "SMITH^ANNA", "P0001", 2, 1, 1, 9, false},
    {"PAT2/ST1/SER1/IMG1", "JONES^PETER^J", "P0002", 3, 1, 1, 8, false},
    {"PAT2/ST1/SER1/IMG2", "JONES^PETER^J", "P0002", 3, 1, 2, 0, true},
    {"PAT2/ST1/SER3/IMG1", "JONES^PETER^J", "P0002", 3, 3, 1, 9, true},
};

inline std::string Sample_UID(int study, int series = 0, int instance = 0) {
    std::string text = std::string(Implementation_UID_Root) + ".2." + std::to_string(study);
    if (series) text += "." + std::to_string(series);
    if (instance) text += "." + std::to_string(instance);
    return text;
}

// Writes the sample folder; with extras also what a walk must skip: a text file and a
// DICOMDIR.OLD. false when a file cannot be written.
inline bool Sample_Folder_Write(const std::filesystem::path& folder, bool extras) {
    for (const Sample_Entry& entry : Sample_Entries) {
        Sample_Image image;
        image.patient_name = entry.patient;
        image.patient_id = entry.id;
        image.study_uid = Sample_UID(entry.study);
        image.series_uid = Sample_UID(entry.study, entry.series);
        image.sop_uid = Sample_UID(entry.study, entry.series, entry.instance);
        image.study_date = "2024010" + std::to_string(entry.study);
        image.description = "SAMPLE STUDY " + std::to_string(entry.study);
        image.series_number = entry.series;
        image.instance_number = entry.instance;
        image.code = entry.code;
        image.nested_sequence = entry.nested;
        image.filler_elements = 4;
        image.pixel_bytes = 64 * 8 * 2;
        const std::filesystem::path file = folder / entry.path;
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        if (!Sample_File_Write(file.string(), image)) return false;
    }
    if (extras) {
        std::ofstream(folder / "README.TXT") << "Not a DICOM file.\n";
        std::error_code error;
        std::filesystem::copy_file(folder / Sample_Entries[0].path, folder / "DICOMDIR.OLD",
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) return false;
    }
    return true;
}
