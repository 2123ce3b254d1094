// The per-file reading through the buffered file source, from the prefix test on: whole, and
// keeping only the tree's tags as the walk does.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>
#include <unistd.h>

#include "dirscan/scan_read.h"
#include "dirscan/tree.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_quiet_logging(0);
    // A memory-backed folder when there is one: the input is rewritten for every run.
    static const std::string path = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/kestrapol_reader_fuzz_" + std::to_string(::getpid()) + ".dcm";
    static const struct Remover {
        ~Remover() { ::unlink(path.c_str()); }
    } remover;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    static const std::vector<uint32_t> keys = Kestrapol_Image_Keys();
    for (const std::vector<uint32_t>* keep : {static_cast<const std::vector<uint32_t>*>(nullptr), &keys}) {
        File_Source source(4096);  // small buffer: refills happen on small inputs too
        if (DICOMDIR_Scan_Open(path, source) != Scan_Prefix::Unreadable)
            (void)DICOMDIR_Scan_Read(nullptr, path, source, keep);
    }
    return 0;
}
