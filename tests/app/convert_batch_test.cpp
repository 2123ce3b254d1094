// Batch mode end to end: the program on generated folders as a user or a script runs it, its
// configuration files and trace, its report and its exit code.
#include <fstream>

#include "app/convert.h"
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

// The exit code a script sees, the lines that explain it and the folders that get a DICOMDIR,
// the folders named relative to the run's own. A blank that starts a name is not allowed
// (readers would drop it; one that ends a name Windows drops itself). A quote the shell left is
// part of the name. The lines on a pipe carry no markup.
TEST_F(Batch, ExitCodesTellTheOutcome) {
    struct Scenario {
        std::vector<std::string> images, texts, folders;  // files below the run's folder; the arguments
        int code;
        std::vector<std::string> said, unsaid, written, not_written;
    };
    const Scenario scenarios[] = {
        {{"BAD/SERIES001/IMG1", "GOOD/SERIES01/IMG1"}, {}, {"BAD", "GOOD"}, 1,
         {"Some of the names in your file structure are to long.", "DICOMDIR Abborted",
          "DICOMDIR Done: Read: 1 files with: 1 Patients, 1 Studies, 1 Images"},
         {"use characters"}, {"GOOD"}, {"BAD"}},
        {{"B/SERIES001/ IMG1"}, {}, {"B"}, 3,
         {"are to long.", "use characters", "DICOMDIR Abborted", "Invalid file name \"SERIES001\\ IMG1\" !",
          "A media copy takes these names as they are: kestrapol -o DEST \"B\""},
         {}, {}, {"B"}},
        {{"X/IMG1"}, {}, {"\"X"}, 7, {"Cannot open folder \"X\n"}, {"DICOMDIR "}, {}, {"X"}},  // not 4: none was read
        {{}, {"FILE"}, {"FILE"}, 7, {"Cannot open folder FILE\n"}, {"DICOMDIR "}, {}, {}},
        {{}, {"E/NOTES"}, {"E"}, 4,
         {"Done\n", "DICOMDIR Done: Read: 0 files with: 0 Patients, 0 Studies, 0 Images\nNo DICOM files found in E\n"},
         {"\x01", "\033"}, {"E"}, {}},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.folders.back());
        Scratch_Folder work;
        for (const std::string& image : s.images) work.add(image, Sample_With_UID("1.1"));
        for (const std::string& text : s.texts) work.add_text(text, "text");
        const Batch_Run result = run(s.folders, Batch_Options().in(work.path()));
        EXPECT_EQ(result.exit_code, s.code) << result.output;
        for (const std::string& text : s.said) EXPECT_TRUE(has(result, text)) << text << "\n" << result.output;
        for (const std::string& text : s.unsaid) EXPECT_FALSE(has(result, text)) << text;
        for (const std::string& folder : s.written) EXPECT_TRUE(fs::exists(work.at(folder + "/DICOMDIR"))) << folder;
        for (const std::string& folder : s.not_written) EXPECT_FALSE(fs::exists(work.at(folder + "/DICOMDIR"))) << folder;
    }
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

// Every DICOMDIR gets a Media Storage SOP Instance UID of its own, also from two runs in one
// second on two folders whose names differ only in a digit.
TEST_F(Batch, RunsInOneSecondWriteDifferentInstanceUIDs) {
    Scratch_Folder root;
    // Three rounds: two of them fall within one second whenever all three take less than one.
    std::string uids[3];
    for (const char* name : {"real1", "real2"}) root.add(std::string(name) + "/IMG1", Sample_With_UID("1.1"));
    for (int round = 0; round < 3; ++round) {
        // One after the other, well within one second: the time alone would not tell them apart.
        const Batch_Run first = run({root.at("real1")});
        const Batch_Run second = run({root.at("real2")});
        ASSERT_EQ(first.exit_code, 0) << first.output;
        ASSERT_EQ(second.exit_code, 0) << second.output;
        const std::string one = File_Text(root.at("real1/DICOMDIR")), two = File_Text(root.at("real2/DICOMDIR"));
        // The instance UID is the first UID after the storage class, 64 characters long.
        const std::string uid = one.substr(one.find("1.2.840.10008.1.3.10") + 28, 64);
        EXPECT_EQ(two.find(uid), std::string::npos) << uid;
        for (int earlier = 0; earlier < round; ++earlier)
            EXPECT_NE(uid, uids[earlier]) << "the same folder in a later run";
        uids[round] = uid;
    }
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

// The per-user file is read after the shipped one; its tag lines replace the shipped lists, and
// without tag lines it keeps them. Without the shipped file beside the program a run fails, unless
// there is a per-user file.
TEST_F(Batch, ShippedThenPerUserFile) {
    Scratch_Folder root, images, empty;
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

    fs::create_directories(root.path() + "/install");
    const fs::path program = fs::path(root.path()) / "install" / fs::path(exe_).filename();
    const bool window_library = fs::exists(fs::path(exe_).parent_path() / "kestrapol_window.so");
    fs::copy_file(exe_, program);
    exe_ = program.string();
    result = run({empty.path()}, clean_below(root));
    EXPECT_EQ(result.exit_code, 5);
    EXPECT_NE(result.errors.find("Unable to access the \"Kestrapol.ini\" file!"), std::string::npos) << result.errors;
    // Batch mode needs nothing else beside the program, not even the window library.
    write_user_ini(user, "tag_patient = (0010,0020)\n");
    result = run({empty.path()}, clean_below(root, user.assignment));
    EXPECT_EQ(result.exit_code, 4) << result.errors;
    EXPECT_TRUE(has(result, "    Adding: (0010,0020) to patient tags list\n"));
    if (window_library) {  // the window asked for without it: said, and a start-up failure
        result = run({"-w"}, clean_below(root, user.assignment));
        EXPECT_EQ(result.exit_code, 5);
        EXPECT_NE(result.errors.find("the window cannot be opened (" + program.parent_path().string() +
                                     "/kestrapol_window.so: "), std::string::npos) << result.errors;
    }
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
    for (const char* line : {"TRACE:   Prog_ID:      KSP 10000050\n", "TRACE:   Computer Name:  ", "REPORT: Reading: ",
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
