// Times the program on generated folders against two references, in one run:
//   baseline  walk the same tree; open, read the first 64 KiB of and close each file;
//   dcmmkdir  the Debian toolkit's directory maker (+r +id), when installed.
// Prints files per second, microseconds per file, peak memory, the ratios and the peak against
// the size of the DICOMDIR written.
//
//   kestrapol_bench [--exe PATH] [--also LABEL PATH] [--no-dcmmkdir] [--scratch DIR] [--pixels BYTES,...]
//                   [--repeat R] [--keep] [N ...]
//
// --also times one more program given the folder (for example a script that starts the Windows
// build under Wine) on the same folders, taking turns with the others, against kestrapol; it
// may be given more than once.
//
// The baseline and kestrapol run R times each (default 3), taking turns, and the fastest run of
// each counts: on a shared machine the slower runs measure the neighbours.
//
// Defaults: N = 1000 20000 100000, pixels = 512 and 4 MiB (the pixel data is a hole in a sparse
// file, so 100,000 files of 4 MiB fit on an ordinary disk). Layout P x S x R x I with 2 studies,
// 5 series and 100 images per series, P = N / 1000 patients (at least one).
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/generated_folder.h"
#include "bench/program_run.h"

namespace {

// The baseline: what any indexer must do at least.
long baseline_walk(const std::string& folder, std::vector<uint8_t>& buffer) {
    long files = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string path = folder + "/" + entry->d_name;
        if (entry->d_type == DT_DIR) {
            files += baseline_walk(path, buffer);
        } else if (entry->d_type == DT_REG) {
            const int fd = ::open(path.c_str(), O_RDONLY);
            if (fd < 0) continue;
            if (::read(fd, buffer.data(), buffer.size()) >= 0) ++files;
            ::close(fd);
        }
    }
    ::closedir(dir);
    return files;
}

Measure run_baseline(const std::filesystem::path& folder) {
    Measure measure;
    std::vector<uint8_t> buffer(64 * 1024);
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    baseline_walk(folder.string(), buffer);
    measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::getrusage(RUSAGE_SELF, &after);
    measure.cpu_seconds = cpu(after) - cpu(before);
    measure.peak_kib = after.ru_maxrss;
    measure.ran = true;
    return measure;
}

bool installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // figures show as they come
    std::string exe = (std::filesystem::path(argv[0]).parent_path().parent_path() / "kestrapol").string();
    std::filesystem::path scratch = std::filesystem::temp_directory_path() / "kestrapol_bench";
    std::vector<std::size_t> pixel_sizes = {512, 4u << 20};
    std::vector<int> sizes;
    bool keep = false;
    bool dcmmkdir = true;
    int repeat = 3;
    struct Also {
        std::string label, exe;
        Measure measure;
    };
    std::vector<Also> alsos;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--exe" && i + 1 < argc) exe = argv[++i];
        else if (arg == "--scratch" && i + 1 < argc) scratch = argv[++i];
        else if (arg == "--keep") keep = true;
        else if (arg == "--no-dcmmkdir") dcmmkdir = false;
        else if (arg == "--also" && i + 2 < argc) {
            const std::string label = argv[++i];
            alsos.push_back({label, std::filesystem::absolute(argv[++i]).string(), {}});
        }
        else if (arg == "--repeat" && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--pixels" && i + 1 < argc) {
            pixel_sizes.clear();
            for (std::string list = argv[++i]; !list.empty();) {
                const std::size_t comma = list.find(',');
                pixel_sizes.push_back(std::stoul(list.substr(0, comma)));
                list = comma == std::string::npos ? "" : list.substr(comma + 1);
            }
        } else sizes.push_back(std::atoi(arg.c_str()));
    }
    if (sizes.empty()) sizes = {1000, 20000, 100000};
    exe = std::filesystem::absolute(exe).string();  // the programs run inside the folder
    const bool with_dcmmkdir = dcmmkdir && installed("dcmmkdir");
    std::printf("kestrapol: %s\ndcmmkdir: %s\n", exe.c_str(), with_dcmmkdir ? "installed" : "not installed");

    for (std::size_t pixels : pixel_sizes) {
        double first_per_file = 0;
        for (int n : sizes) {
            const Layout layout = layout_for(n);
            const int files = layout.files();
            const std::filesystem::path folder = scratch / ("N" + std::to_string(files) + "_PX" + std::to_string(pixels));
            std::printf("\nN = %d files (%d x %d x %d x %d), pixel data %zu bytes\n", files, layout.patients,
                        layout.studies, layout.series, layout.images, pixels);
            generate(folder, layout, pixels);
            run_baseline(folder);  // warms the cache
            Measure baseline, ours;
            for (Also& also : alsos) also.measure = {};
            for (int round = 0; round < repeat; ++round) {
                fastest(baseline, run_baseline(folder));
                fastest(ours, run_program({exe, folder.string()}, folder));
                for (Also& also : alsos) fastest(also.measure, run_program({also.exe, folder.string()}, folder));
            }
            Measure theirs;
            if (with_dcmmkdir) theirs = run_program({"dcmmkdir", "-q", "+r", "+id", ".", "+D", "DICOMDIR.REF"}, folder);
            std::filesystem::remove(folder / "DICOMDIR.REF");
            print("baseline", baseline, files);
            print("kestrapol", ours, files);
            print("dcmmkdir", theirs, files);
            for (const Also& also : alsos) print(also.label.c_str(), also.measure, files);
            const double per_file = ours.seconds / files;
            if (first_per_file == 0) first_per_file = per_file;
            std::printf("  ratios: kestrapol/baseline %.2f (cpu %.2f)", ours.seconds / baseline.seconds,
                        ours.cpu_seconds / baseline.cpu_seconds);
            if (theirs.ran) std::printf(", dcmmkdir/kestrapol %.1f", theirs.seconds / ours.seconds);
            for (const Also& also : alsos) {
                if (also.measure.ran) std::printf(", %s/kestrapol %.2f", also.label.c_str(), also.measure.seconds / ours.seconds);
            }
            std::printf(", per file vs first N %.2f\n", per_file / first_per_file);
            // The memory goal is set against the size of what is written.
            std::error_code error;
            const auto written = std::filesystem::file_size(folder / "DICOMDIR", error);
            if (!error && written > 0)
                std::printf("  DICOMDIR %.1f MB; kestrapol peak %.2f x its size (goal: at most 1.2 x + 20 MB = %.1f MB)\n",
                            written / 1048576.0, ours.peak_kib * 1024.0 / static_cast<double>(written),
                            1.2 * written / 1048576.0 + 20);
            if (!keep) std::filesystem::remove_all(folder);
        }
    }
    return 0;
}
