// The DICOMDIR of a generated folder, as the program writes it, read back by independent
// checkers (pydicom's FileSet, dcmdump, dciodvfy) when they are installed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "walk_fixture.h"

namespace {

struct Command_Run {
    int status = -1;
    std::string output;  // standard output and standard error
};

Command_Run run(const std::string& command) {
    Command_Run result;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool installed(const char* program) { return run(std::string("command -v ") + program).status == 0; }

// The system's Python, which has the Debian pydicom, ahead of any other on the path.
std::string python() { return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

// The expected listing: one line per image, patient ID, study, series, SOP instance UID and file,
// in the order the walk visits the files.
std::string expected_listing(const std::string& folder) {
    std::string lines;
    for (const Sample_Entry& entry : Sample_Entries)
        lines += std::string(entry.id) + " " + Sample_UID(entry.study) + " " + Sample_UID(entry.study, entry.series) +
                 " " + Sample_UID(entry.study, entry.series, entry.instance) + " " + folder + "/" + entry.path + "\n";
    return lines;
}

class Interop : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("KESTRAPOL_EXE");
        if (!exe || !std::filesystem::exists(exe)) GTEST_SKIP() << "KESTRAPOL_EXE not set";
        ASSERT_TRUE(Sample_Folder_Write(folder.path(), true));
        const Command_Run converted = run(std::string(exe) + " '" + folder.path() + "'");
        ASSERT_EQ(converted.status, 0) << converted.output;
        ASSERT_NE(converted.output.find("DICOMDIR Done: Read: 7 files with: 2 Patients, 3 Studies, 7 Images"),
                  std::string::npos)
            << converted.output;
        dicomdir = folder.path() + "/DICOMDIR";
    }
    Scratch_Folder folder;
    std::string dicomdir;
};

}  // namespace

TEST_F(Interop, PydicomListsEveryFileUnderItsPatientStudyAndSeries) {
    if (run(python() + " -c 'import pydicom.fileset'").status != 0) GTEST_SKIP() << "pydicom not installed";
    const std::string script =
        "import sys\n"
        "from pydicom import dcmread\n"
        "from pydicom.fileset import FileSet\n"
        "fs = FileSet(dcmread(sys.argv[1]))\n"
        "for i in fs:\n"
        "    print(i.PatientID, i.StudyInstanceUID, i.SeriesInstanceUID, i.SOPInstanceUID, i.path)\n";
    const std::string path = folder.path() + "/fileset.py";  // after the conversion: not in the listing
    std::ofstream(path) << script;
    const Command_Run listed = run(python() + " '" + path + "' '" + dicomdir + "'");
    ASSERT_EQ(listed.status, 0) << listed.output;
    EXPECT_EQ(listed.output, expected_listing(folder.path()));
}

TEST_F(Interop, DcmdumpReadsItWithoutComplaint) {
    if (!installed("dcmdump")) GTEST_SKIP() << "dcmdump not installed";
    const Command_Run dumped = run("dcmdump '" + dicomdir + "'");
    EXPECT_EQ(dumped.status, 0) << dumped.output;
    EXPECT_EQ(dumped.output.find("E: "), std::string::npos) << dumped.output;
    EXPECT_EQ(dumped.output.find("W: "), std::string::npos) << dumped.output;
    EXPECT_NE(dumped.output.find("PAT1\\STUDY1\\SER2\\IMAGE1"), std::string::npos);
}

TEST_F(Interop, DciodvfyFindsNoError) {
    if (!installed("dciodvfy")) GTEST_SKIP() << "dciodvfy not installed";
    const Command_Run checked = run("dciodvfy '" + dicomdir + "'");
    EXPECT_NE(checked.output.find("BasicDirectory"), std::string::npos) << checked.output;
    EXPECT_EQ(checked.output.find("Error"), std::string::npos) << checked.output;
}
