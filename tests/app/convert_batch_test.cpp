// Batch mode end to end: the program on generated folders, its report and its exit code.
#include "batch_runner.h"

namespace {

Sample_Image image(const std::string& uid) { return Sample_With_UID(uid); }

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
    EXPECT_FALSE(std::filesystem::exists(bad.at("DICOMDIR")));
    EXPECT_TRUE(std::filesystem::exists(good.at("DICOMDIR")));
}

// A blank that starts a name is not allowed either: readers would drop it. (One that ends a
// name Windows itself drops as the file is made.)
TEST_F(Batch, BothNameProblemsGiveCodeThree) {
    Scratch_Folder folder;
    folder.add("SERIES001/ IMG1", image("1.1"));
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 3) << result.output;
    for (const char* text : {"are to long.", "The standard only allows for 8 characters", "use characters",
                             "that are not allowed by the standard.  You can only use:",
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ ", "DICOMDIR Abborted",
                             "Invalid file name \"SERIES001\\ IMG1\" !"})
        EXPECT_TRUE(has(result, text)) << text;
    EXPECT_FALSE(std::filesystem::exists(folder.at("DICOMDIR")));
}

// Arguments come split and unquoted by the shell: a quote left is part of the name.
TEST_F(Batch, QuotedArgumentIsTakenLiterally) {
    Scratch_Folder work;
    work.add("X/IMG1", image("1.1"));
    const Batch_Run result = run({"\"X"}, Batch_Options().in(work.path()));
    EXPECT_EQ(result.exit_code, 7) << result.output;  // not 4: no folder was there to read
    EXPECT_TRUE(has(result, "Cannot open folder \"X\n")) << result.output;
    EXPECT_FALSE(std::filesystem::exists(work.at("X/DICOMDIR")));
}

TEST_F(Batch, NoDicomFileGivesCodeFourAndAnEmptyDirectory) {
    Scratch_Folder folder;
    folder.add_text("NOTES", "text");
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 4) << result.output;
    EXPECT_TRUE(has(result, "DICOMDIR Done: Read: 0 files with: 0 Patients, 0 Studies, 0 Images"));
    EXPECT_TRUE(std::filesystem::exists(folder.at("DICOMDIR")));
}
