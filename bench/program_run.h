// Runs a program for the benchmarks and measures it: wall and processor time, peak memory, exit
// status; keeps the best of several runs and prints one line per program.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

struct Measure {
    double seconds = 0;
    double cpu_seconds = 0;  // user + system: steadier than wall time on a shared machine
    long peak_kib = 0;
    int status = 0;
    bool ran = false;
};

inline double cpu(const rusage& usage) {
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs argv with its output thrown away, in folder (as working directory) when one is given.
inline Measure run_program(const std::vector<std::string>& args, const std::filesystem::path& folder = {}) {
    Measure measure;
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return measure;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measure.peak_kib = usage.ru_maxrss;
    measure.cpu_seconds = cpu(usage);
    measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    measure.ran = true;
    posix_spawn_file_actions_destroy(&actions);
    return measure;
}

// Keeps the faster of two runs (wall and processor time each at their least, memory at its most).
inline void fastest(Measure& best, const Measure& run) {
    if (!best.ran) {
        best = run;
        return;
    }
    if (run.status != 0) best.status = run.status;
    best.seconds = std::min(best.seconds, run.seconds);
    best.cpu_seconds = std::min(best.cpu_seconds, run.cpu_seconds);
    best.peak_kib = std::max(best.peak_kib, run.peak_kib);
}

inline void print(const char* name, const Measure& m, int files) {
    if (!m.ran) {
        std::printf("  %-10s not run\n", name);
        return;
    }
    std::printf("  %-10s %9.3f s %10.0f files/s %8.1f us/file %8.1f us cpu/file %8.1f MB peak%s\n", name,
                m.seconds, files / m.seconds, m.seconds * 1e6 / files, m.cpu_seconds * 1e6 / files,
                m.peak_kib / 1024.0,
                m.status ? (" exit " + std::to_string(m.status)).c_str() : "");
}

// Empties the system's file cache so that the next run reads from the disk; false when this user
// may not (only root may write drop_caches).
inline bool drop_file_cache() {
    ::sync();
    FILE* control = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (!control) return false;
    const bool dropped = std::fputs("3\n", control) >= 0;
    return std::fclose(control) == 0 && dropped;
}
