// Folders and files set up against the program: names that lead elsewhere, runs side by side,
// special files, folders it may not list and log files that are links.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <thread>

#include "batch_runner.h"
#include "other_user_posix.h"

namespace fs = std::filesystem;

namespace {

// The records of a DICOMDIR agree with its size and offsets: a complete file, not a mix.
void expect_complete(const std::string& dicomdir, std::size_t images) {
    const std::vector<uint8_t> bytes = Read_File(dicomdir);
    uint32_t first = 0, last = 0;
    const std::vector<Read_Record> records = Read_Records(bytes, first, last);
    std::size_t found = 0;
    for (const Read_Record& record : records) found += record.type == "IMAGE ";
    EXPECT_EQ(found, images) << dicomdir;
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(first, records.front().offset);
    EXPECT_EQ(bytes.size() >= 8 ? LE16(bytes, bytes.size() - 6) : 0, 0xE0DD);  // the sequence ends the file
}

// Names other than the DICOMDIR that start with "DICOMDIR." in folder.
std::vector<std::string> directory_names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("DICOMDIR.")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// The temporary DICOMDIR is always a new file: a hard link or a user's file of such a name is
// left alone (and never read), a leftover of a crashed run is removed.
TEST_F(Batch, TemporaryFileIsAlwaysNew) {
    Scratch_Folder folder, outside;
    folder.add("IMG1", Sample_With_UID("1.1"));
    ASSERT_EQ(run({folder.path()}).exit_code, 0);
    const std::string written = File_Text(folder.path() + "/DICOMDIR");
    folder.add_text("DICOMDIR.TQZ", written.substr(0, 300));  // what a crashed run leaves
    outside.add_text("VICTIM", "outside the folder");
    fs::create_hard_link(outside.path() + "/VICTIM", folder.path() + "/DICOMDIR.TAB");
    folder.add_text("DICOMDIR.TMP", "the user's own file");
    folder.add("DICOMDIR.TIM", Sample_With_UID("1.2"));  // an image of such a name is not read either
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(has(result, "Read: 1 files"));  // none of them read
    EXPECT_EQ(File_Text(outside.path() + "/VICTIM"), "outside the folder");
    EXPECT_EQ(File_Text(folder.path() + "/DICOMDIR.TMP"), "the user's own file");
    EXPECT_EQ(directory_names(folder.path()),
              (std::vector<std::string>{"DICOMDIR.TAB", "DICOMDIR.TIM", "DICOMDIR.TMP"}));
    expect_complete(folder.path() + "/DICOMDIR", 1);
    struct stat status {};
    ASSERT_EQ(::stat((folder.path() + "/DICOMDIR").c_str(), &status), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(status.st_mode & 0777, 0644 & ~mask);
}

// Runs side by side on one folder both finish with a complete DICOMDIR; the later one stays.
TEST_F(Batch, TwoRunsOnOneFolderBothFinish) {
    Scratch_Folder folder;
    for (int i = 0; i < 400; ++i) folder.add("S/IMG" + std::to_string(i), Sample_With_UID("1." + std::to_string(i)));
    for (int round = 0; round < 3; ++round) {
        Batch_Run first, second;
        std::thread other([&] { second = run({folder.path()}); });
        first = run({folder.path()});
        other.join();
        EXPECT_EQ(first.exit_code, 0) << first.output;
        EXPECT_EQ(second.exit_code, 0) << second.output;
        expect_complete(folder.path() + "/DICOMDIR", 400);
        EXPECT_EQ(directory_names(folder.path()), std::vector<std::string>{});
    }
}

// A folder below that cannot be listed leaves the index incomplete: no DICOMDIR, the old one
// stays, and the run fails like one whose folder cannot be opened.
TEST_F(Batch, UnreadableSubFolderRefusesTheFolder) {
    // Root lists every folder: the run goes on as nobody, who may write the folder.
    std::optional<Other_User> nobody;
    if (::geteuid() == 0) {
        nobody.emplace(exe_);
        if (!nobody->skip_reason().empty()) GTEST_SKIP() << nobody->skip_reason();
    }
    Scratch_Folder folder = nobody ? nobody->folder("data") : Scratch_Folder();
    Scratch_Folder temporary = nobody ? nobody->folder("tmp") : Scratch_Folder();
    folder.add("A/IMG1", Sample_With_UID("1.1"));
    folder.add("B/IMG2", Sample_With_UID("1.2"));
    folder.add_text("DICOMDIR", "earlier DICOMDIR");
    fs::permissions(folder.path() + "/B", fs::perms::none);
    Batch_Options options = Batch_Options().apart();
    if (nobody) {
        for (const std::string& open : {folder.path(), folder.path() + "/A", temporary.path()})
            fs::permissions(open, fs::perms::all);
        options.after(Other_User::prefix(temporary.path()));
        options.program = nobody->program();
    }
    const Batch_Run result = run({folder.path()}, options);
    fs::permissions(folder.path() + "/B", fs::perms::owner_all);
    EXPECT_EQ(result.exit_code, 7) << result.output << result.errors;
    EXPECT_NE(result.errors.find("Cannot list folder " + folder.path() + "/B\n"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find(std::strerror(EACCES)), std::string::npos);
    EXPECT_TRUE(has(result, "DICOMDIR Abborted"));
    EXPECT_EQ(File_Text(folder.path() + "/DICOMDIR"), "earlier DICOMDIR");
}

// A per-user Kestrapol.ini that is a named pipe holds nobody up: it is no configuration file.
TEST_F(Batch, NamedPipeForAConfigurationIsSkipped) {
    Scratch_Folder folder, appdata;
    folder.add("IMG1", Sample_With_UID("1.1"));
    fs::create_directories(appdata.path() + "/Corvanthis");
    ASSERT_EQ(::mkfifo((appdata.path() + "/Corvanthis/Kestrapol.ini").c_str(), 0600), 0);
    const Batch_Run result = run({folder.path()}, Batch_Options().after("timeout 60 env APPDATA=" + appdata.path()));
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(has(result, "Read: 1 files"));
}

// Log files never write through a link: a trace file that is a link leaves its target as it was,
// when the trace starts afresh and when it is appended to.
TEST_F(Batch, LogFilesAreNeverWrittenThroughLinks) {
    Scratch_Folder folder, appdata, logs, outside;
    folder.add("IMG1", Sample_With_UID("1.1"));
    outside.add_text("VICTIM", "outside");
    fs::create_directories(appdata.path() + "/Corvanthis");
    const std::string prefix = "env APPDATA=" + appdata.path();
    for (const char* trace : {"", "trace = 1\n"}) {
        std::ofstream(appdata.path() + "/Corvanthis/Kestrapol.ini") << "scratch = " << logs.path() << "\n" << trace;
        fs::remove(logs.path() + "/DICOMDIR_trace.dat");
        fs::create_symlink(outside.path() + "/VICTIM", logs.path() + "/DICOMDIR_trace.dat");
        const Batch_Run result = run(*trace ? std::vector<std::string>{folder.path()}
                                            : std::vector<std::string>{"-t", "1", folder.path()},
                                     Batch_Options().after(prefix));
        EXPECT_EQ(result.exit_code, 0) << result.output;
        EXPECT_EQ(File_Text(outside.path() + "/VICTIM"), "outside") << trace;
    }
}

// The default log folder is the user's own: one that belongs to someone else is not used.
TEST_F(Batch, LogFolderOfAnotherUserIsNotUsed) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a folder to another user takes root";
    Scratch_Folder temporary, folder;
    folder.add("IMG1", Sample_With_UID("1.1"));
    const std::string logs = temporary.path() + "/kestrapol-0";
    fs::create_directory(logs);
    ASSERT_EQ(::chown(logs.c_str(), 65534, 65534), 0);
    const Batch_Run result = run({"-t", "1", folder.path()},
                                 Batch_Options().apart().after("env TMPDIR=" + temporary.path()));
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.errors.find(logs), std::string::npos) << result.errors;
    EXPECT_TRUE(fs::is_empty(logs));
}
