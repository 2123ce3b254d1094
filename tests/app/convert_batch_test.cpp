// Batch mode end to end: the program on generated folders, its report and its exit code.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "dirscan/walk_fixture.h"

namespace {

std::string contents(const std::string& path) {
    const std::vector<uint8_t> bytes = Read_File(path);
    return {bytes.begin(), bytes.end()};
}

struct Batch_Run {
    int exit_code = -1;
    std::string output;  // standard output and standard error, one stream
    std::string errors;  // standard error alone, when asked for apart
};

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("KESTRAPOL_EXE");
        if (!exe || !std::filesystem::exists(exe)) GTEST_SKIP() << "KESTRAPOL_EXE not set";
        exe_ = exe;
    }
    // errors_apart: standard error into a file of its own (errors) instead of output.
    // directory: the working folder of the run, when not empty.
    Batch_Run run(const std::vector<std::string>& folders, bool errors_apart = false,
                  const std::string& directory = {}) const {
        std::string command = directory.empty() ? std::string() : "cd '" + directory + "' && ";
        command += exe_;
        for (const std::string& folder : folders) command += " '" + folder + "'";
        const Scratch_Folder streams;
        const std::string errors = streams.path() + "/errors";
        Batch_Run result;
        std::FILE* pipe = ::popen((command + (errors_apart ? " 2>'" + errors + "'" : " 2>&1")).c_str(), "r");
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) result.output.append(buffer, n);
        const int status = ::pclose(pipe);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (errors_apart) result.errors = contents(errors);
        return result;
    }
    static bool has(const Batch_Run& run, const std::string& text) {
        return run.output.find(text) != std::string::npos;
    }
    std::string exe_;
};

Sample_Image image(const std::string& uid) {
    Sample_Image sample;
    sample.sop_uid = uid;
    return sample;
}

}  // namespace

TEST_F(Batch, BadFolderIsSkippedAndTheNextStillConverted) {
    Scratch_Folder bad, good;
    bad.add("SERIES001/IMG1", image("1.1"));  // nine characters
    good.add("SERIES01/IMG1", image("1.2"));
    const Batch_Run result = run({bad.path(), good.path()});
    EXPECT_EQ(result.exit_code, 1) << result.output;
    EXPECT_TRUE(has(result, "Some of the names in your file structure are to long.")) << result.output;
    EXPECT_TRUE(has(result, "DICOMDIR Abborted"));
    EXPECT_FALSE(has(result, "use characters"));
    EXPECT_TRUE(has(result, "DICOMDIR Done: Read: 1 files with: 1 Patients, 1 Studies, 1 Images"));
    EXPECT_FALSE(std::filesystem::exists(bad.path() + "/DICOMDIR"));
    EXPECT_TRUE(std::filesystem::exists(good.path() + "/DICOMDIR"));
}

// A blank that ends a name is not allowed either: readers would drop it.
TEST_F(Batch, BothNameProblemsGiveCodeThree) {
    Scratch_Folder folder;
    folder.add("SERIES001/IMG1 ", image("1.1"));
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 3) << result.output;
    for (const char* text : {"are to long.", "The standard only allows for 8 characters", "use characters",
                             "that are not allowed by the standard.  You can only use:",
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ ", "DICOMDIR Abborted",
                             "Invalid file name \"SERIES001\\IMG1 \" !"})
        EXPECT_TRUE(has(result, text)) << text;
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/DICOMDIR"));
}

// Arguments come split and unquoted by the shell: a quote left is part of the name.
TEST_F(Batch, QuotedArgumentIsTakenLiterally) {
    Scratch_Folder work;
    work.add("X/IMG1", image("1.1"));
    const Batch_Run result = run({"\"X"}, false, work.path());
    EXPECT_EQ(result.exit_code, 7) << result.output;  // not 4: no folder was there to read
    EXPECT_TRUE(has(result, "Cannot open folder \"X\n")) << result.output;
    EXPECT_FALSE(std::filesystem::exists(work.path() + "/X/DICOMDIR"));
}

TEST_F(Batch, NoDicomFileGivesCodeFourAndAnEmptyDirectory) {
    Scratch_Folder folder;
    folder.add_text("NOTES", "text");
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 4) << result.output;
    EXPECT_TRUE(has(result, "DICOMDIR Done: Read: 0 files with: 0 Patients, 0 Studies, 0 Images"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() + "/DICOMDIR"));
}

// A DICOMDIR that cannot be written: reported with the system's reason, no summary, code 6, and
// the earlier DICOMDIR untouched. Root writes into read-only folders, so it blocks the
// temporary file's name with a folder instead.
TEST_F(Batch, UnwritableDirectoryKeepsTheOldOne) {
    Scratch_Folder folder;
    folder.add("IMG1", image("1.1"));
    folder.add_text("DICOMDIR", "earlier DICOMDIR");
    const bool root = ::geteuid() == 0;
    if (root)
        std::filesystem::create_directory(folder.path() + "/DICOMDIR.TMP");
    else
        std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::owner_exec);
    const Batch_Run result = run({folder.path()}, true);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(result.exit_code, 6) << result.output;
    EXPECT_TRUE(result.errors.starts_with("    ERROR: Unable to write " + folder.path() + "/DICOMDIR\n"))
        << result.errors;
    EXPECT_TRUE(has(result, "Unable to write " + folder.path() + "/DICOMDIR")) << result.output;
    EXPECT_TRUE(has(result, std::strerror(root ? EISDIR : EACCES))) << result.output;
    EXPECT_FALSE(has(result, "DICOMDIR Done:"));
    EXPECT_EQ(contents(folder.path() + "/DICOMDIR"), "earlier DICOMDIR");
}

TEST_F(Batch, LeftoverTemporaryFileIsNeitherReadNorKept) {
    Scratch_Folder folder;
    folder.add("IMG1", image("1.1"));
    folder.add("DICOMDIR.TMP", image("1.2"));  // as an interrupted run would leave it
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(has(result, "Read: 1 files"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/DICOMDIR.TMP"));
}
