// Writes the sample folder: small synthetic DICOM files of two patients in several studies and
// series, in the three transfer syntaxes, with names DICOM media allow.
//
//   make_sample FOLDER           the bundled sample set (samples/)
//   make_sample FOLDER --extras  the same plus what a walk must skip: a text file and a DICOMDIR.OLD
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/make_sample_files.h"

namespace {

constexpr const char* Root = "1.2.826.0.1.3680043.9.7633.2";

struct Entry {
    const char* path;      // relative, "/" between components
    const char* patient;
    const char* id;
    int study;
    int series;
    int instance;
    int code;
    bool nested;
};

// Odd and even name lengths on purpose: the Referenced File IDs then need padding or not.
constexpr Entry Entries[] = {
    {"PAT1/STUDY1/SER1/IMG1", "SMITH^ANNA", "P0001", 1, 1, 1, 8, true},
    {"PAT1/STUDY1/SER1/IMG2", "SMITH^ANNA", "P0001", 1, 1, 2, 8, false},
    {"PAT1/STUDY1/SER2/IMAGE1", "SMITH^ANNA", "P0001", 1, 2, 1, 0, false},
    {"PAT1/STUDY2/SER1/IMG", "SMITH^ANNA", "P0001", 2, 1, 1, 9, false},
    {"PAT2/ST1/SER1/IMG1", "JONES^PETER^J", "P0002", 3, 1, 1, 8, false},
    {"PAT2/ST1/SER1/IMG2", "JONES^PETER^J", "P0002", 3, 1, 2, 0, true},
    {"PAT2/ST1/SER3/IMG1", "JONES^PETER^J", "P0002", 3, 3, 1, 9, true},
};

std::string uid(int study, int series = 0, int instance = 0) {
    std::string text = std::string(Root) + "." + std::to_string(study);
    if (series) text += "." + std::to_string(series);
    if (instance) text += "." + std::to_string(instance);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--extras]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const bool extras = argc > 2 && std::strcmp(argv[2], "--extras") == 0;
    for (const Entry& entry : Entries) {
        Sample_Image image;
        image.patient_name = entry.patient;
        image.patient_id = entry.id;
        image.study_uid = uid(entry.study);
        image.series_uid = uid(entry.study, entry.series);
        image.sop_uid = uid(entry.study, entry.series, entry.instance);
        image.study_date = "2024010" + std::to_string(entry.study);
        image.description = "SAMPLE STUDY " + std::to_string(entry.study);
        image.series_number = entry.series;
        image.instance_number = entry.instance;
        image.code = entry.code;
        image.nested_sequence = entry.nested;
        image.filler_elements = 4;
        image.pixel_bytes = 64 * 8 * 2;
        const std::filesystem::path file = folder / entry.path;
        std::filesystem::create_directories(file.parent_path());
        if (!Sample_File_Write(file.string(), image)) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
    }
    if (extras) {
        std::ofstream(folder / "README.TXT") << "Not a DICOM file.\n";
        std::filesystem::copy_file(folder / Entries[0].path, folder / "DICOMDIR.OLD",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return 0;
}
