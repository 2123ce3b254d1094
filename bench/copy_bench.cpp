// Times the copy mode against `cp -r` of the same generated folder, warm (the folder read once
// before) or cold (the file cache emptied before each run, as root), and prints both times,
// their ratio, the time per file and peak memory.
//
//   copy_bench [--exe PATH] [--scratch DIR] [--pixels BYTES] [--repeat R] [--cold] [--keep] [N ...]
//
// Each program runs R times (default 4), taking turns, into a fresh destination beside the
// folder; the fastest run counts. Defaults: N = 20000, pixel data 512 bytes. Give 20000 100000
// to see whether the time per file stays the same.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/generated_folder.h"
#include "bench/program_run.h"

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string exe = (std::filesystem::path(argv[0]).parent_path().parent_path() / "kestrapol").string();
    std::filesystem::path scratch = std::filesystem::temp_directory_path() / "kestrapol_copy_bench";
    std::size_t pixels = 512;
    int repeat = 4;
    bool keep = false, cold = false;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--exe" && i + 1 < argc) exe = argv[++i];
        else if (arg == "--scratch" && i + 1 < argc) scratch = argv[++i];
        else if (arg == "--pixels" && i + 1 < argc) pixels = std::stoul(argv[++i]);
        else if (arg == "--repeat" && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--keep") keep = true;
        else if (arg == "--cold") cold = true;
        else sizes.push_back(std::atoi(arg.c_str()));
    }
    if (sizes.empty()) sizes = {20000};
    exe = std::filesystem::absolute(exe).string();
    if (cold && !drop_file_cache()) {
        std::fprintf(stderr, "copy_bench: --cold needs to write /proc/sys/vm/drop_caches (root)\n");
        return 2;
    }
    std::printf("kestrapol: %s\n", exe.c_str());
    double first_per_file = 0;
    for (const int n : sizes) {
        const Layout layout = layout_for(n);
        const int files = layout.files();
        const std::filesystem::path folder = scratch / ("N" + std::to_string(files) + "_PX" + std::to_string(pixels));
        const std::filesystem::path copy = scratch / "copy", media = scratch / "media";
        std::printf("\nN = %d files, pixel data %zu bytes, %s cache\n", files, pixels, cold ? "cold" : "warm");
        generate(folder, layout, pixels);
        Measure warm, cp, ours;
        std::filesystem::remove_all(copy);
        fastest(warm, run_program({"cp", "-r", folder.string(), copy.string()}));  // the folder into the cache
        for (int round = 0; round < repeat; ++round) {
            std::filesystem::remove_all(copy);
            std::filesystem::remove_all(media);
            const auto copy_by_cp = [&] {
                if (cold) drop_file_cache();
                fastest(cp, run_program({"cp", "-r", folder.string(), copy.string()}));
            };
            // Each goes first every other round: the disk's write-back of one run slows the next.
            if (round % 2 == 0) copy_by_cp();
            if (cold) drop_file_cache();
            fastest(ours, run_program({exe, "-o", media.string(), folder.string()}));
            if (round % 2 == 1) copy_by_cp();
        }
        print("cp -r", cp, files);
        print("kestrapol", ours, files);
        const double per_file = ours.seconds / files;
        if (first_per_file == 0) first_per_file = per_file;
        std::printf("  ratio kestrapol/cp %.2f, per file vs first N %.2f\n", ours.seconds / cp.seconds,
                    per_file / first_per_file);
        std::filesystem::remove_all(copy);
        std::filesystem::remove_all(media);
        if (!keep) std::filesystem::remove_all(folder);
    }
    return 0;
}
