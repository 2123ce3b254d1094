// Runs the built program in batch mode, the way a user or a script does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_system.h"
#include "tools/make_sample_files.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("KESTRAPOL_EXE");
        ASSERT_NE(exe, nullptr);
        program = fs::path(exe).make_preferred();
        root = Test_Scratch_Folder("kestrapol_exe_");
        fs::create_directories(root / "home");
        fs::create_directories(root / "empty");
        user = Test_User_Configuration(root);
    }
    void TearDown() override { fs::remove_all(root); }

    // A clean environment: no per-user configuration unless the test writes one (user.folder,
    // put in place with with_user).
    Outcome run(const std::vector<std::string>& arguments, bool with_user = false) {
        Test_Run_Options options;
        options.clean = true;
        options.assignments = {"HOME=" + (root / "home").string()};
        for (const char* temporary : {"TMPDIR=", "TMP=", "TEMP="}) options.assignments.push_back(temporary + root.string());
        if (with_user) options.assignments.push_back(user.assignment);
        const Test_Run_Result run = Test_Run(program.string(), arguments, options);
        return {run.code, run.out, run.err};
    }
    void user_ini(const std::string& text) const {
        fs::create_directories(user.folder);
        std::ofstream(user.folder / "Kestrapol.ini") << text;
    }
    fs::path program, root;
    Test_User_Folder user;
};

TEST_F(Program, EmptyFolderEndsWithCodeFour) {
    Outcome result = run({(root / "empty").string()});
    EXPECT_EQ(result.code, 4) << result.out << result.err;
    std::string ini = (program.parent_path() / "Kestrapol.ini").string();
    EXPECT_NE(result.out.find("Reading: " + ini + "\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Done\n"), std::string::npos);
    EXPECT_EQ(result.out.find('\x01'), std::string::npos);  // no markup on a pipe
    EXPECT_EQ(result.out.find('\033'), std::string::npos);
}

TEST_F(Program, UnknownOptionPrintsTheUsage) {
    Outcome result = run({"-x", (root / "empty").string()});
    EXPECT_EQ(result.code, 2);
    EXPECT_EQ(result.err, "unknown argument (-x)\n");
    EXPECT_NE(result.out.find(" --- usage: ---\n Kestrapol [-v] [-t val]\n\n"), std::string::npos);
}

TEST_F(Program, MissingConfigurationIsAFailure) {
    fs::create_directories(root / "install");
    fs::copy_file(program, root / "install" / program.filename());
    program = root / "install" / program.filename();
    Outcome result = run({(root / "empty").string()});
    EXPECT_EQ(result.code, 5);
    EXPECT_NE(result.err.find("Unable to access the \"Kestrapol.ini\" file!\n\nIt must be present either in your "
                              "user environment\nor in the Corvanthis instalation directory.\n"),
              std::string::npos)
        << result.err;

    // A per-user file alone is enough.
    user_ini("tag_patient = (0010,0020)\n");
    result = run({(root / "empty").string()}, true);
    EXPECT_EQ(result.code, 4) << result.err;
    EXPECT_NE(result.out.find("    Adding: (0010,0020) to patient tags list\n"), std::string::npos);
}

// The per-user file is read after the shipped one; its tag lines replace the shipped lists, and
// without tag lines it keeps them.
TEST_F(Program, InstallThenPerUserFile) {
    user_ini("tag_study = (0020,000D)\n");
    fs::create_directories(root / "images");
    Sample_File_Write((root / "images" / "IMG1").string(), Sample_Image{});
    const fs::path dicomdir = root / "images" / "DICOMDIR";
    Outcome result = run({(root / "images").string()}, true);
    EXPECT_EQ(result.code, 0);
    std::size_t install = result.out.find("Reading: " + (program.parent_path() / "Kestrapol.ini").string());
    std::size_t user_read = result.out.find("Reading: " + (user.folder / "Kestrapol.ini").string());
    ASSERT_NE(install, std::string::npos) << result.out;
    ASSERT_NE(user_read, std::string::npos) << result.out;
    EXPECT_LT(install, user_read);
    EXPECT_EQ(slurp(dicomdir).find("ID0001"), std::string::npos);  // no Patient ID in the records

    user_ini("audit = mine.dat\n");
    result = run({(root / "images").string()}, true);
    EXPECT_EQ(result.code, 0);
    EXPECT_NE(slurp(dicomdir).find("ID0001"), std::string::npos);  // the shipped lists hold
}

TEST_F(Program, TracingWritesTheBannerAndEchoesPanelLinesOnce) {
    user_ini("scratch = " + (root / "logs").string() + "\n");
    Outcome result = run({"-t", "1", (root / "empty").string()}, true);
    EXPECT_EQ(result.code, 4);
    EXPECT_NE(result.out.find("TRACE:   ==== ==== Kestrapol 1.0 Rev-5 ==== ("), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("TRACE:   Corvanthis_DICOM (Static) 21.6 (rev-a) \n"), std::string::npos);
    EXPECT_NE(result.out.find("REPORT:  Done\n"), std::string::npos);
    EXPECT_EQ(result.out.find("\nDone\n"), std::string::npos);  // not a second time from the panel
    EXPECT_NE(result.out.find("TRACE:   In FREE \n"), std::string::npos);
    // The whole trace goes where the scratch key points, begun afresh with the banner; nothing
    // is left in the temporary folder.
    const std::string trace = slurp(root / "logs" / "DICOMDIR_trace.dat");
    EXPECT_TRUE(trace.starts_with("TRACE:   ==== ==== Kestrapol 1.0 Rev-5 ==== (")) << trace;
    EXPECT_NE(trace.find("TRACE:   Computer Name:  "), std::string::npos);
    EXPECT_NE(trace.find("REPORT: Reading: "), std::string::npos);
    EXPECT_NE(trace.find("TRACE:   In FREE\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(root / "DICOMDIR_trace.dat"));
    result = run({"-t", "1", (root / "empty").string()}, true);
    EXPECT_EQ(slurp(root / "logs" / "DICOMDIR_trace.dat").find("In FREE"),
              slurp(root / "logs" / "DICOMDIR_trace.dat").rfind("In FREE"));  // a second run starts afresh

    // A negative level writes the trace file only: the shipped file leaves it so.
    result = run({"-t", "-1", (root / "empty").string()});
    EXPECT_EQ(result.out.find("TRACE:"), std::string::npos);
    const fs::path own_folder = Test_Log_Folder(root);  // the default scratch folder
    EXPECT_NE(slurp(own_folder / "DICOMDIR_trace.dat").find("REPORT: DICOMDIR Done:"), std::string::npos);
    EXPECT_TRUE(Test_Owner_Only(own_folder));
}

}  // namespace
