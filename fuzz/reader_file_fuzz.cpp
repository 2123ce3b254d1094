// The per-file reading through the buffered file source, from the prefix test on.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "dirscan/scan_read.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_quiet_logging(6);
    static const std::string path = "/tmp/kestrapol_reader_fuzz_" + std::to_string(::getpid()) + ".dcm";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    File_Source source(4096);  // small buffer: refills happen on small inputs too
    if (DICOMDIR_Scan_Open(path, source) != Scan_Prefix::Unreadable) {
        auto set = DICOMDIR_Scan_Read(nullptr, path, source);
        (void)set;
    }
    return 0;
}
