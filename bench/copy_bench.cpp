// Times the copy mode against `cp -r` of the same generated folder, warm (the folder read once
// before), and prints both times, their ratio, the time per file and peak memory.
//
//   copy_bench [--exe PATH] [--scratch DIR] [--pixels BYTES] [--repeat R] [--keep] [N ...]
//
// Each program runs R times (default 4), taking turns, into a fresh destination beside the
// folder; the fastest run counts. Defaults: N = 20000, pixel data 512 bytes. Give 20000 100000
// to see whether the time per file stays the same.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/generated_folder.h"

extern char** environ;

namespace {

struct Measure {
    double seconds = 1e30;
    long peak_kib = 0;
    int status = 0;
};

// Runs argv with its output thrown away; keeps the faster wall time and the larger peak in best.
void run(const std::vector<std::string>& args, Measure& best) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    rusage usage{};
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) ::wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    best.seconds = std::min(best.seconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    best.peak_kib = std::max(best.peak_kib, usage.ru_maxrss);
    if (status != 0) best.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void print(const char* name, const Measure& m, int files) {
    std::printf("  %-10s %8.3f s %8.1f us/file %8.1f MB peak%s\n", name, m.seconds, m.seconds * 1e6 / files,
                m.peak_kib / 1024.0, m.status ? (" exit " + std::to_string(m.status)).c_str() : "");
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string exe = (std::filesystem::path(argv[0]).parent_path().parent_path() / "kestrapol").string();
    std::filesystem::path scratch = std::filesystem::temp_directory_path() / "kestrapol_copy_bench";
    std::size_t pixels = 512;
    int repeat = 4;
    bool keep = false;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--exe" && i + 1 < argc) exe = argv[++i];
        else if (arg == "--scratch" && i + 1 < argc) scratch = argv[++i];
        else if (arg == "--pixels" && i + 1 < argc) pixels = std::stoul(argv[++i]);
        else if (arg == "--repeat" && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--keep") keep = true;
        else sizes.push_back(std::atoi(arg.c_str()));
    }
    if (sizes.empty()) sizes = {20000};
    exe = std::filesystem::absolute(exe).string();
    std::printf("kestrapol: %s\n", exe.c_str());
    double first_per_file = 0;
    for (const int n : sizes) {
        const Layout layout = layout_for(n);
        const int files = layout.files();
        const std::filesystem::path folder = scratch / ("N" + std::to_string(files) + "_PX" + std::to_string(pixels));
        const std::filesystem::path copy = scratch / "copy", media = scratch / "media";
        std::printf("\nN = %d files, pixel data %zu bytes\n", files, pixels);
        generate(folder, layout, pixels);
        Measure warm, cp, ours;
        std::filesystem::remove_all(copy);
        run({"cp", "-r", folder.string(), copy.string()}, warm);  // the folder into the cache
        for (int round = 0; round < repeat; ++round) {
            std::filesystem::remove_all(copy);
            std::filesystem::remove_all(media);
            // Each goes first every other round: the disk's write-back of one run slows the next.
            if (round % 2 == 0) run({"cp", "-r", folder.string(), copy.string()}, cp);
            run({exe, "-o", media.string(), folder.string()}, ours);
            if (round % 2 == 1) run({"cp", "-r", folder.string(), copy.string()}, cp);
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
