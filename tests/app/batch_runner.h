// Running the built program in batch mode, as a script does: its output and its exit code.
#pragma once

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dirscan/walk_fixture.h"
#include "support/test_system.h"

struct Batch_Run {
    int exit_code = -1;
    std::string output;  // standard output and standard error, one stream
    std::string errors;  // standard error alone, when asked for apart
};

struct Batch_Options {
    bool errors_apart = false;  // standard error into errors instead of output
    std::string directory;      // working folder of the run, when not empty
    std::string prefix;         // POSIX shell words before the program (env settings, setpriv, timeout)
    std::string program;        // a copy of the program to run instead of KESTRAPOL_EXE
    bool clean = false;         // only the system's essentials of this process's environment...
    std::vector<std::string> assignments;  // ...plus these "NAME=value"

    Batch_Options& apart() { return errors_apart = true, *this; }
    Batch_Options& in(std::string folder) { return directory = std::move(folder), *this; }
    Batch_Options& after(std::string words) { return prefix = std::move(words), *this; }
};

// Runs KESTRAPOL_EXE (tests skip without it) with arguments, each passed as one word.
class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("KESTRAPOL_EXE");
        if (!exe || !std::filesystem::exists(exe)) GTEST_SKIP() << "KESTRAPOL_EXE not set";
        exe_ = exe;
    }
    Batch_Run run(const std::vector<std::string>& arguments, const Batch_Options& options = {}) const {
        Test_Run_Options how;
        how.merged = !options.errors_apart;
        how.folder = options.directory;
        how.clean = options.clean;
        how.assignments = options.assignments;
        const std::string exe = options.program.empty() ? exe_ : options.program;
        std::string program = exe;
        std::vector<std::string> words = arguments;
        if (!options.prefix.empty()) {  // the shell runs the prefix words, then the program
            program = "/bin/sh";
            words.insert(words.begin(), {"-c", options.prefix + " \"$0\" \"$@\"", exe});
        }
        const Test_Run_Result result = Test_Run(program, words, how);
        return {result.code, result.out, result.err};
    }
    static bool has(const Batch_Run& run, const std::string& text) {
        return run.output.find(text) != std::string::npos;
    }
    std::string exe_;
};
