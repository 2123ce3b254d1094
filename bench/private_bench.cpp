// Private attributes at their worst: prints figures, checks nothing.
//
//   blocks    an 800 KB file whose 100,000 private elements change block at every element,
//             against the same file with all of them in one block (the time should stay under
//             twice the one-block time: finding a block's creator is a lookup, not a scan);
//   creators  1,000 distinct private creators looked up in a definition folder that holds
//             files for a few of them: the listings and opens of that folder (at most one call
//             per creator, about one per file found).
//
// Usage: private_bench [--repeat R] [blocks] [creators]   (both parts by default)
// To count the calls with the system's own tracer: strace -f -c private_bench creators
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "dicom/definition.h"
#include "dirscan/scan_read.h"
#include "tests/dicom/stream_builder.h"
#include "util/log.h"

namespace {

int quiet(Win_Handle, int, const char*) { return 1; }

constexpr int Elements = 100000;

// Meta information, then Elements empty SH elements of 8 bytes each, alternating between
// blocks 10 and 11 of group 0009 or all in block 10, then the two creators: a search from the
// start for each block's creator would pass every element.
Stream_Builder private_file(bool alternate) {
    Stream_Builder s(8);
    s.preamble().meta("1.2.840.10008.1.2.1");
    for (int n = 0; n < Elements; ++n) {
        const uint16_t block = alternate && (n & 1) ? 0x1100 : 0x1000;
        s.header(0x0009, static_cast<uint16_t>(block | (n & 0xFF)), "SH", 0);
    }
    s.text(0x0009, 0x0010, "LO", "ACME BLOCK ONE");
    s.text(0x0009, 0x0011, "LO", "ACME BLOCK TWO");
    s.text(0x0010, 0x0010, "PN", "PRIVATE^BENCH");
    return s;
}

double best_read_seconds(const Stream_Builder& file, int repeat) {
    double best = 1e9;
    for (int round = 0; round < repeat; ++round) {
        Memory_Source source(std::span<const uint8_t>(const_cast<Stream_Builder&>(file).bytes()));
        const auto start = std::chrono::steady_clock::now();
        auto set = DICOMDIR_Scan_Read(nullptr, source);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!set || set->size() < static_cast<std::size_t>(Elements)) std::printf("  (file not read whole)\n");
    }
    return best;
}

void blocks(int repeat) {
    const Stream_Builder one = private_file(false), changing = private_file(true);
    const double one_seconds = best_read_seconds(one, repeat);
    const double changing_seconds = best_read_seconds(changing, repeat);
    std::printf("blocks: %d private elements, file of %zu KB, fastest of %d reads\n", Elements, one.size() / 1024,
                repeat);
    std::printf("  one block             %8.1f ms\n", one_seconds * 1e3);
    std::printf("  block change per elem %8.1f ms\n", changing_seconds * 1e3);
    std::printf("  ratio %.2f (target under 2)\n", changing_seconds / one_seconds);
}

void creators() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("private_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    constexpr int Creators = 1000, With_File = 20;
    for (int n = 0; n < With_File; ++n) {
        std::ofstream(folder / ("DICOM_Private_VENDOR " + std::to_string(n * 50) + ".txt"))
            << "(0029,0010) VR=LO desc=\"Name\"\n(0029,0020) VR=US desc=\"Count\"\n";
    }
    DICOM_Module_Dir(nullptr, (folder.string() + "/").c_str());
    const uint64_t calls = DICOM_Module_Folder_Calls();
    const auto start = std::chrono::steady_clock::now();
    int found = 0;
    for (int n = 0; n < Creators; ++n) {
        // Long names: each is looked for under every shorter name as well.
        found += DICOM_Module_Private_Definitions(nullptr, "VENDOR " + std::to_string(n) + " IMAGING WORKSTATION") != nullptr;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("creators: %d distinct, %d files in the folder, %d creators with definitions\n", Creators, With_File, found);
    std::printf("  listings and opens of the folder: %llu (at most %d)\n",
                static_cast<unsigned long long>(DICOM_Module_Folder_Calls() - calls), Creators);
    std::printf("  %.1f ms in all\n", seconds * 1e3);
    DICOM_Module_Private_Cleanup();
    fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
    Log_Set_Handler(&quiet);
    int repeat = 3;
    bool run_blocks = false, run_creators = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "blocks") run_blocks = true;
        else if (arg == "creators") run_creators = true;
    }
    if (!run_blocks && !run_creators) run_blocks = run_creators = true;
    if (run_blocks) blocks(repeat);
    if (run_creators) creators();
    return 0;
}
