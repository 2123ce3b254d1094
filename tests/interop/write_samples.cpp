// Writes the sample file of each transfer syntax into a folder, for independent readers.
// Usage: interop_write_samples <folder>
#include <cstdio>
#include <fstream>

#include "interop/sample_data_set.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (const Sample_Syntax& s : Sample_Syntaxes) {
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
