// The per-folder procedure: its messages, the DICOMDIR it writes or refuses, and its outcome.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/convert.h"
#include "dirscan/walk_fixture.h"

namespace {

Sample_Image image(const std::string& patient, const std::string& study, const std::string& uid) {
    Sample_Image sample;
    sample.patient_name = patient;
    sample.patient_id = patient + "ID";
    sample.study_uid = "1.2.9." + study;
    sample.series_uid = "1.2.9." + study + ".1";
    sample.sop_uid = uid;
    return sample;
}

class Convert : public ::testing::Test {
protected:
    void SetUp() override {
        Prog_Name = "Kestrapol";
        Prog_Version = "1.0 Rev-5";
    }
    static bool exists(const Scratch_Folder& folder, const char* name) {
        return std::filesystem::exists(folder.path() + "/" + name);
    }
    Log_Recorder log;
};

}  // namespace

// Named with a final "/", the folder is still the root of the file names. "Read:" counts every
// DICOM file, the one the tree refused included.
TEST_F(Convert, GoodFolderGetsItsDirectoryAndSummary) {
    Scratch_Folder folder;
    folder.add("P1/IMG1", image("ANN", "1", "1.1"));
    folder.add("P1/IMG2", image("ANN", "2", "1.2"));
    folder.add("P2/IMG1", image("BOB", "3", "1.3"));
    Sample_Image no_id = image("CAT", "4", "1.4");
    no_id.with_patient_id = false;
    folder.add("P2/IMG2", no_id);
    folder.add_text("README", "not an image");
    const Folder_Outcome outcome = Convert_Folder(nullptr, folder.path() + "/", nullptr);
    EXPECT_TRUE(outcome.written);
    EXPECT_FALSE(outcome.write_failed);
    EXPECT_EQ(outcome.files_read, 4);
    EXPECT_TRUE(log.has("Missing Patient ID tag (0010,0020) in P2\\IMG2"));
    EXPECT_TRUE(log.has("\xF1\x02" "DICOMDIR Done:\xF0 Read: \x01" "4\x02 files with: \x01" "2\x02 Patients, \x01"
                        "3\x02 Studies, \x01" "3\x02 Images"));
    uint32_t first = 0, last = 0;
    std::vector<std::string> files;
    for (const Read_Record& record : Read_Records(Read_File(folder.path() + "/DICOMDIR"), first, last))
        if (!record.file_id.empty()) files.push_back(record.file_id);
    EXPECT_EQ(files, (std::vector<std::string>{"P1\\IMG1 ", "P1\\IMG2 ", "P2\\IMG1 "}));  // padded to even
}

// A cancelled folder says so before the abort line.
TEST_F(Convert, CancelledFolderSaysSoBeforeTheAbortLine) {
    Scratch_Folder folder;
    folder.add("IMG1", image("ANN", "1", "1.1"));
    Progress_Recorder progress(0);
    const Folder_Outcome outcome = Convert_Folder(nullptr, folder.path(), &progress);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(exists(folder, "DICOMDIR"));
    const auto& lines = Log_Recorder::lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].second, "\xF1\x02" "Cancelled: \x01" + folder.path());
    EXPECT_EQ(lines.back().second, "\xF1\x02" "DICOMDIR Abborted");
}

TEST_F(Convert, WorkerCountsConvertsAndCloses) {
    Scratch_Folder first, second;
    first.add("IMG1", image("ANN", "1", "1.1"));
    first.add_text("NOTES", "text");
    second.add("IMG1", image("BOB", "2", "2.1"));
    Progress_Recorder progress;
    std::vector<Folder_Outcome> done;
    Convert_Thread(nullptr, Convert_Data{{first.path(), "", second.path()}, &progress,
                                         [&](const Folder_Outcome& outcome) { done.push_back(outcome); }});
    ASSERT_EQ(done.size(), 2u);  // the empty name is no folder
    EXPECT_EQ(done[1].folder, second.path());
    EXPECT_EQ(done[1].patients, 1);
    EXPECT_EQ(done[1].images, 1);
    EXPECT_TRUE(log.has("    Dir has \x01" "3\x02 files"));
    EXPECT_EQ(log.count("DICOMDIR Done:"), 2);
    ASSERT_GE(progress.lines.size(), 4u);
    EXPECT_EQ(progress.lines.front(), "\xF1 Counting files...");
    EXPECT_EQ(progress.lines[1], "\xF1 Dir has \x01" "3\x02 files");
    EXPECT_EQ(progress.lines[2], "\xF1 Searching for DICOM files...");
    EXPECT_EQ(progress.lines.back(), "\xF1 Done");
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.position, 3);  // every visited file moved the bar
    EXPECT_TRUE(progress.closed);
}

// What a script is told when the folders of one run end differently: the worst failure wins,
// name problems add up, and a run that read no DICOM file says so over them.
TEST(BatchExitCode, WorstOutcomeWins) {
    const auto ended = [](const char* how) {
        Folder_Outcome outcome;
        outcome.files_read = 1;
        for (const char* c = how; *c; ++c) {
            if (*c == 'L') outcome.name_flags |= Name_Too_Long;
            if (*c == 'C') outcome.name_flags |= Name_Bad_Character;
            if (*c == '0') outcome.files_read = 0;
            outcome.write_failed = outcome.write_failed || *c == 'W';
            outcome.folder_failed = outcome.folder_failed || *c == 'F';
            outcome.file_failed = outcome.file_failed || *c == 'R';
        }
        return outcome;
    };
    const std::pair<std::vector<const char*>, int> cases[] = {
        {{"", ""}, 0},        {{"L", ""}, 1},       {{"", "C"}, 2},      {{"L", "C"}, 3},     {{"LC0"}, 4},
        {{"0", "L"}, 1},      {{"0", "0"}, 4},      {{"R", "LC"}, 8},    {{"F", "R"}, 7},     {{"R", "F"}, 7},
        {{"W", "F", "R"}, 6}, {{"F0", "W0"}, 6},    {{}, 4},
    };
    for (const auto& [folders, code] : cases) {
        std::vector<Folder_Outcome> outcomes;
        for (const char* how : folders) outcomes.push_back(ended(how));
        EXPECT_EQ(Batch_Exit_Code(outcomes), code) << ::testing::PrintToString(folders);
    }
}
