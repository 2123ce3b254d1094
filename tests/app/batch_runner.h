// Running the built program in batch mode, as a script does: its output and its exit code.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dirscan/walk_fixture.h"

struct Batch_Run {
    int exit_code = -1;
    std::string output;  // standard output and standard error, one stream
    std::string errors;  // standard error alone, when asked for apart
};

struct Batch_Options {
    bool errors_apart = false;  // standard error into errors instead of output
    std::string directory;      // working folder of the run, when not empty
    std::string prefix;         // words before the program (env settings, setpriv, timeout)

    Batch_Options& apart() { return errors_apart = true, *this; }
    Batch_Options& in(std::string folder) { return directory = std::move(folder), *this; }
    Batch_Options& after(std::string words) { return prefix = std::move(words), *this; }
};

inline std::string File_Text(const std::string& path) {
    const std::vector<uint8_t> bytes = Read_File(path);
    return {bytes.begin(), bytes.end()};
}

// Runs KESTRAPOL_EXE (tests skip without it) with arguments, each quoted as one word.
class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("KESTRAPOL_EXE");
        if (!exe || !std::filesystem::exists(exe)) GTEST_SKIP() << "KESTRAPOL_EXE not set";
        exe_ = exe;
    }
    Batch_Run run(const std::vector<std::string>& arguments, const Batch_Options& options = {}) const {
        std::string command = options.directory.empty() ? std::string() : "cd '" + options.directory + "' && ";
        command += options.prefix + " '" + exe_ + "'";
        for (const std::string& argument : arguments) command += " '" + argument + "'";
        const Scratch_Folder streams;
        const std::string errors = streams.path() + "/errors";
        Batch_Run result;
        std::FILE* pipe = ::popen((command + (options.errors_apart ? " 2>'" + errors + "'" : " 2>&1")).c_str(), "r");
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) result.output.append(buffer, n);
        const int status = ::pclose(pipe);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (options.errors_apart) result.errors = File_Text(errors);
        return result;
    }
    static bool has(const Batch_Run& run, const std::string& text) {
        return run.output.find(text) != std::string::npos;
    }
    std::string exe_;
};

inline Sample_Image Sample_With_UID(const std::string& uid) {
    Sample_Image sample;
    sample.sop_uid = uid;
    return sample;
}
