// Batch mode end to end: the program on generated folders as a user or a script runs it, its
// configuration files and trace, its report and its exit code.
#include <fstream>

#include "batch_runner.h"

namespace fs = std::filesystem;

namespace {

// A clean environment below root: its own home and temporary folders, and no per-user
// configuration unless the user folder's assignment is given.
Batch_Options clean_below(const Scratch_Folder& root, const std::string& user_assignment = "") {
    Batch_Options options = Batch_Options().apart();
    options.clean = true;
    fs::create_directories(root.path() + "/home");
    options.assignments = {"HOME=" + root.path() + "/home"};
    for (const char* temporary : {"TMPDIR=", "TMP=", "TEMP="}) options.assignments.push_back(temporary + root.path());
    if (!user_assignment.empty()) options.assignments.push_back(user_assignment);
    return options;
}

void write_user_ini(const Test_User_Folder& user, const std::string& text) {
    fs::create_directories(user.folder);
    std::ofstream(user.folder / "Kestrapol.ini") << text;
}

}  // namespace

TEST_F(Batch, BadFolderIsSkippedAndTheNextStillConverted) {
    Scratch_Folder bad, good;
    bad.add("SERIES001/IMG1", Sample_With_UID("1.1"));  // nine characters
    good.add("SERIES01/IMG1", Sample_With_UID("1.2"));
    const Batch_Run result = run({bad.path(), good.path()});
    EXPECT_EQ(result.exit_code, 1) << result.output;
    EXPECT_TRUE(has(result, "Some of the names in your file structure are to long.")) << result.output;
    EXPECT_TRUE(has(result, "DICOMDIR Abborted"));
    EXPECT_FALSE(has(result, "use characters"));
    EXPECT_TRUE(has(result, "DICOMDIR Done: Read: 1 files with: 1 Patients, 1 Studies, 1 Images"));
    EXPECT_FALSE(fs::exists(bad.at("DICOMDIR")));
    EXPECT_TRUE(fs::exists(good.at("DICOMDIR")));
}

// A blank that starts a name is not allowed either: readers would drop it. (One that ends a
// name Windows itself drops as the file is made.)
TEST_F(Batch, BothNameProblemsGiveCodeThree) {
    Scratch_Folder folder;
    folder.add("SERIES001/ IMG1", Sample_With_UID("1.1"));
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 3) << result.output;
    for (const char* text : {"are to long.", "The standard only allows for 8 characters", "use characters",
                             "that are not allowed by the standard.  You can only use:",
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ ", "DICOMDIR Abborted",
                             "Invalid file name \"SERIES001\\ IMG1\" !"})
        EXPECT_TRUE(has(result, text)) << text;
    EXPECT_TRUE(has(result, "A media copy takes these names as they are: kestrapol -o DEST \"" + folder.path() + "\""));
    EXPECT_FALSE(fs::exists(folder.at("DICOMDIR")));
}

// Every DICOMDIR gets a Media Storage SOP Instance UID of its own, also from two runs in one
// second on two folders whose names differ only in a digit.
TEST_F(Batch, RunsInOneSecondWriteDifferentInstanceUIDs) {
    Scratch_Folder root;
    std::string uids[2];
    for (const char* name : {"real1", "real2"}) root.add(std::string(name) + "/IMG1", Sample_With_UID("1.1"));
    for (int round = 0; round < 2; ++round) {
        // One after the other, well within one second: the time alone would not tell them apart.
        const Batch_Run first = run({root.at("real1")});
        const Batch_Run second = run({root.at("real2")});
        ASSERT_EQ(first.exit_code, 0) << first.output;
        ASSERT_EQ(second.exit_code, 0) << second.output;
        const std::string one = File_Text(root.at("real1/DICOMDIR")), two = File_Text(root.at("real2/DICOMDIR"));
        // The instance UID is the first UID after the storage class, 64 characters long.
        const std::string uid = one.substr(one.find("1.2.840.10008.1.3.10") + 28, 64);
        EXPECT_EQ(two.find(uid), std::string::npos) << uid;
        EXPECT_NE(uid, uids[0]) << "the same folder in a later run";
        uids[round] = uid;
    }
}

// Arguments come split and unquoted by the shell: a quote left is part of the name.
TEST_F(Batch, QuotedArgumentIsTakenLiterally) {
    Scratch_Folder work;
    work.add("X/IMG1", Sample_With_UID("1.1"));
    const Batch_Run result = run({"\"X"}, Batch_Options().in(work.path()));
    EXPECT_EQ(result.exit_code, 7) << result.output;  // not 4: no folder was there to read
    EXPECT_TRUE(has(result, "Cannot open folder \"X\n")) << result.output;
    EXPECT_FALSE(fs::exists(work.at("X/DICOMDIR")));
}

// The shipped configuration beside the program is read; the summary and the lines on a pipe
// carry no markup.
TEST_F(Batch, NoDicomFileGivesCodeFourAndAnEmptyDirectory) {
    Scratch_Folder root, folder;
    folder.add_text("NOTES", "text");
    const Batch_Run result = run({folder.path()}, clean_below(root));
    EXPECT_EQ(result.exit_code, 4) << result.output << result.errors;
    const std::string ini = (fs::path(exe_).make_preferred().parent_path() / "Kestrapol.ini").string();
    EXPECT_TRUE(has(result, "Reading: " + ini + "\n")) << result.output;
    EXPECT_TRUE(has(result, "Done\n"));
    EXPECT_TRUE(has(result, "DICOMDIR Done: Read: 0 files with: 0 Patients, 0 Studies, 0 Images"));
    EXPECT_FALSE(has(result, "\x01"));
    EXPECT_FALSE(has(result, "\033"));
    EXPECT_TRUE(fs::exists(folder.at("DICOMDIR")));
}

TEST_F(Batch, UnknownOptionPrintsTheUsage) {
    Scratch_Folder root;
    const Batch_Run result = run({"-x", root.path()}, clean_below(root));
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.errors, "unknown argument (-x)\n");
    EXPECT_TRUE(has(result, " --- usage: ---\n Kestrapol [-v] [-t val]\n\n")) << result.output;

    // Asked for, the usage explains every option and is no failure; nothing is converted.
    for (const char* ask : {"--help", "-h", "/?"}) {
        const Batch_Run help = run({ask, root.path()}, clean_below(root));
        EXPECT_EQ(help.exit_code, 0) << ask;
        EXPECT_EQ(help.errors, "") << ask;
        for (const char* option : {" -v ", " -t val ", " -w ", " -c ", " -o dest ", " -r file ", " --version "})
            EXPECT_TRUE(has(help, option)) << ask << " lacks" << option;
        EXPECT_FALSE(fs::exists(root.at("DICOMDIR")));
    }
    const Batch_Run version = run({"--version"}, clean_below(root));
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.output, "Kestrapol 1.0 Rev-5\n");

    const Batch_Run missing = run({root.path(), "-r"}, clean_below(root));
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_EQ(missing.errors, "argument missing after (-r)\n");
}

TEST_F(Batch, MissingConfigurationIsAFailure) {
    Scratch_Folder root, empty;
    fs::create_directories(root.path() + "/install");
    const fs::path program = fs::path(root.path()) / "install" / fs::path(exe_).filename();
    fs::copy_file(exe_, program);
    exe_ = program.string();
    Batch_Run result = run({empty.path()}, clean_below(root));
    EXPECT_EQ(result.exit_code, 5);
    EXPECT_NE(result.errors.find("Unable to access the \"Kestrapol.ini\" file!\n\nIt must be present either in your "
                                 "user environment\nor in the Corvanthis instalation directory.\n"),
              std::string::npos)
        << result.errors;

    // A per-user file alone is enough.
    const Test_User_Folder user = Test_User_Configuration(root.path());
    write_user_ini(user, "tag_patient = (0010,0020)\n");
    result = run({empty.path()}, clean_below(root, user.assignment));
    EXPECT_EQ(result.exit_code, 4) << result.errors;
    EXPECT_TRUE(has(result, "    Adding: (0010,0020) to patient tags list\n"));
}

// The per-user file is read after the shipped one; its tag lines replace the shipped lists, and
// without tag lines it keeps them.
TEST_F(Batch, InstallThenPerUserFile) {
    Scratch_Folder root, images;
    const Test_User_Folder user = Test_User_Configuration(root.path());
    write_user_ini(user, "tag_study = (0020,000D)\n");
    images.add("IMG1", Sample_Image{});
    Batch_Run result = run({images.path()}, clean_below(root, user.assignment));
    EXPECT_EQ(result.exit_code, 0);
    const std::size_t install = result.output.find("Reading: " + (fs::path(exe_).make_preferred().parent_path() /
                                                                  "Kestrapol.ini").string());
    const std::size_t user_read = result.output.find("Reading: " + (user.folder / "Kestrapol.ini").string());
    ASSERT_NE(install, std::string::npos) << result.output;
    ASSERT_NE(user_read, std::string::npos) << result.output;
    EXPECT_LT(install, user_read);
    // The user's list replaced the shipped ones (no character set), but the keys readers find
    // the records by are there all the same.
    EXPECT_EQ(File_Text(images.at("DICOMDIR")).find("ISO_IR 100"), std::string::npos);
    EXPECT_NE(File_Text(images.at("DICOMDIR")).find("ID0001"), std::string::npos);

    write_user_ini(user, "audit = mine.dat\n");
    EXPECT_EQ(run({images.path()}, clean_below(root, user.assignment)).exit_code, 0);
    EXPECT_NE(File_Text(images.at("DICOMDIR")).find("ISO_IR 100"), std::string::npos);  // the shipped lists hold
}

TEST_F(Batch, TracingWritesTheBannerAndEchoesPanelLinesOnce) {
    // A name beyond ASCII is printed with all its letters, on the console and in the trace file.
    Scratch_Folder root;
    const std::string empty = root.at("Mein Ordner \xC3\xA4\xC3\xB6\xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    fs::create_directories(Test_Path(empty));
    const Test_User_Folder user = Test_User_Configuration(root.path());
    const fs::path logs = fs::path(root.path()) / "logs";
    write_user_ini(user, "scratch = " + logs.string() + "\n");
    Batch_Run result = run({"-t", "1", empty}, clean_below(root, user.assignment));
    EXPECT_EQ(result.exit_code, 4);
    for (const char* line : {"TRACE:   ==== ==== Kestrapol 1.0 Rev-5 ==== (", "TRACE:   ---- Computer Info: ---- \n",
                             "TRACE:   Corvanthis_DICOM (Static) 21.6 (rev-a) \n", "REPORT:  Done\n", "TRACE:   In FREE \n"})
        EXPECT_TRUE(has(result, line)) << line << result.output;
    EXPECT_FALSE(has(result, "\nDone\n"));  // not a second time from the panel
    EXPECT_TRUE(has(result, "REPORT:  \t dir: " + empty + "\n")) << result.output;
    // The whole trace goes where the scratch key points, begun afresh with the banner; nothing
    // is left in the temporary folder.
    const std::string trace = File_Text((logs / "DICOMDIR_trace.dat").string());
    EXPECT_TRUE(trace.starts_with("TRACE:   ==== ==== Kestrapol 1.0 Rev-5 ==== (")) << trace;
    for (const char* line : {"TRACE:   Prog_ID:      KSP 10000050\n", "TRACE:   Computer Name:  ", "TRACE:   System:         ",
                             "TRACE:                   version ", "TRACE:   Processor:      ", "TRACE:   -----------------------\n", "REPORT: Reading: ",
                             "TRACE:   In FREE\n"})
        EXPECT_NE(trace.find(line), std::string::npos) << line;
    EXPECT_NE(trace.find("REPORT: \t dir: " + empty + "\n"), std::string::npos) << trace;
    EXPECT_FALSE(fs::exists(root.at("DICOMDIR_trace.dat")));
    run({"-t", "1", empty}, clean_below(root, user.assignment));
    const std::string again = File_Text((logs / "DICOMDIR_trace.dat").string());
    EXPECT_EQ(again.find("In FREE"), again.rfind("In FREE"));  // a second run starts afresh

    // A negative level writes the trace file only: the shipped file leaves it so.
    result = run({"-t", "-1", empty}, clean_below(root));
    EXPECT_FALSE(has(result, "TRACE:"));
    const fs::path own_folder = Test_Log_Folder(root.path());  // the default scratch folder
    EXPECT_NE(File_Text((own_folder / "DICOMDIR_trace.dat").string()).find("REPORT: DICOMDIR Done:"), std::string::npos);
    EXPECT_TRUE(Test_Owner_Only(own_folder));
}
