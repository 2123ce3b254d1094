// Writes the sample folder: small synthetic DICOM files of two patients in several studies and
// series, in the three transfer syntaxes, with names DICOM media allow.
//
//   make_sample FOLDER           the bundled sample set (samples/)
//   make_sample FOLDER --extras  the same plus what a walk must skip: a text file and a DICOMDIR.OLD
#include <cstdio>
#include <cstring>

#include "tools/make_sample_files.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--extras]\n", argv[0]);
        return 2;
    }
    const bool extras = argc > 2 && std::strcmp(argv[2], "--extras") == 0;
    if (!Sample_Folder_Write(argv[1], extras)) {
        std::fprintf(stderr, "cannot write the sample files into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
