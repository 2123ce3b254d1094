// Folders and files set up against the program: names that lead elsewhere, runs side by side,
// special files, folders and files it may not read or write, files built to exhaust it, resource limits
// and log files that are links.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <thread>

#include "app/convert.h"
#include "batch_runner.h"
#include "dicom/byte_source.h"
#include "dicom/definition.h"
#include "dicom/stream_builder.h"
#include "dicom/value_access.h"
#include "dirscan/dicomdir_writer.h"
#include "dirscan/walk.h"
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

// The temporary DICOMDIR is always a new file; a link or a user's file of such a name is left alone
// and never read. Only an unfinished file of the program's own making, older than the run, is removed.
TEST_F(Batch, OnlyUnfinishedLeftoversAreRemoved) {
    Scratch_Folder folder, outside;
    folder.add("IMG1", Sample_With_UID("1.1"));
    ASSERT_EQ(run({folder.path()}).exit_code, 0);
    const std::string written = File_Text(folder.path() + "/DICOMDIR");
    const std::string unfinished = std::string(DICOMDIR_Unfinished_Mark) + written.substr(DICOMDIR_Unfinished_Mark.size(), 300);
    const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
             {"DICOMDIR.TQZA", unfinished},  // what a crashed run leaves
             {"DICOMDIR.TOLD", written},      // the user's copies of a finished DICOMDIR
             {"DICOMDIR.TMP", written},
             {"DICOMDIR.TXT", written.substr(0, 200)},
             {"DICOMDIR.TQZ", unfinished},    // not a name the program makes
             {"DICOMDIR.TNWX", unfinished}}) {
        folder.add_text(name, text);
        fs::last_write_time(folder.path() + "/" + name, an_hour_ago);
    }
    // Being written by another program while the run goes on.
    fs::last_write_time(folder.path() + "/DICOMDIR.TNWX", fs::file_time_type::clock::now() + std::chrono::hours(1));
    outside.add_text("VICTIM", unfinished);  // marked, but reached by a second link
    fs::last_write_time(outside.path() + "/VICTIM", an_hour_ago);
    fs::create_hard_link(outside.path() + "/VICTIM", folder.path() + "/DICOMDIR.TABC");
    folder.add("DICOMDIR.TIMG", Sample_With_UID("1.2"));  // an image of such a name is not read either
    const Batch_Run result = run({folder.path()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(has(result, "Read: 1 files"));  // none of them read
    EXPECT_TRUE(has(result, "Removed " + folder.path() + "/DICOMDIR.TQZA, an unfinished DICOMDIR")) << result.output;
    EXPECT_EQ(File_Text(outside.path() + "/VICTIM"), unfinished);
    EXPECT_EQ(File_Text(folder.path() + "/DICOMDIR.TOLD"), written);
    EXPECT_EQ(directory_names(folder.path()),
              (std::vector<std::string>{"DICOMDIR.TABC", "DICOMDIR.TIMG", "DICOMDIR.TMP", "DICOMDIR.TNWX",
                                        "DICOMDIR.TOLD", "DICOMDIR.TQZ", "DICOMDIR.TXT"}));
    expect_complete(folder.path() + "/DICOMDIR", 1);
    EXPECT_EQ(File_Text(folder.path() + "/DICOMDIR").find(DICOMDIR_Unfinished_Mark), std::string::npos);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(folder.at("DICOMDIR")).permissions()), 0644 & ~mask);
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

// A folder the program cannot wholly read or write keeps its earlier DICOMDIR and no temporary
// file, and the run fails with the failure's own code. Root reads and writes everything: those
// cases run as nobody then (and giving a file away takes root).
TEST_F(Batch, FolderThatCannotBeReadOrWrittenKeepsItsDirectory) {
    using fs::perms;
    const perms read_only = perms::owner_read | perms::owner_exec | perms::others_read | perms::others_exec;
    const struct {
        const char* hostile;  // below the folder ("" the folder itself), given mode
        perms mode;
        bool as_nobody, give_away;
        int exit_code;
        const char* said;  // nullptr: the write failure's error line
    } cases[] = {
        {"B", perms::none, true, false, 7, "Cannot list folder "},  // the index would be incomplete
        {"B/IMG2", perms::none, true, false, 8, "Unable to open file."},
        {"DICOMDIR", perms::owner_read | perms::group_read, false, false, 6, nullptr},  // read-only
        {"DICOMDIR", perms::owner_read | perms::owner_write | perms::others_read, false, true, 6, nullptr},  // another user's
        {"", read_only, true, false, 6, nullptr},  // in a folder the user may not write
    };
    const bool root = ::geteuid() == 0;
    std::optional<Other_User> nobody;
    if (root) nobody.emplace(exe_);
    for (const auto& c : cases) {
        const std::string name = std::to_string(&c - cases);
        SCOPED_TRACE(name);
        const bool other = root && c.as_nobody;
        if ((c.give_away && !root) || (other && !nobody->skip_reason().empty())) continue;
        Scratch_Folder folder = other ? nobody->folder("data" + name) : Scratch_Folder();
        Scratch_Folder temporary = other ? nobody->folder("tmp" + name) : Scratch_Folder();
        folder.add("A/IMG1", Sample_With_UID("1.1"));
        folder.add("B/IMG2", Sample_With_UID("1.2"));
        folder.add_text("DICOMDIR", "earlier DICOMDIR");
        Batch_Options options = Batch_Options().apart();
        if (other) {
            for (const char* open : {"", "/A", "/B"}) fs::permissions(folder.path() + open, perms::all);
            fs::permissions(temporary.path(), perms::all);
            options.after(Other_User::prefix(temporary.path())).program = nobody->program();
        }
        const std::string hostile = folder.path() + (*c.hostile ? "/" : "") + c.hostile;
        if (c.give_away) {
            ASSERT_EQ(::chown(hostile.c_str(), Other_User::Id, Other_User::Id), 0);
        }
        fs::permissions(hostile, c.mode);
        const Batch_Run result = run({folder.path()}, options);
        fs::permissions(hostile, perms::owner_all);
        const std::string said = c.said ? c.said : "    ERROR: Unable to write " + folder.at("DICOMDIR") + "\n";
        EXPECT_EQ(result.exit_code, c.exit_code) << result.output << result.errors;
        EXPECT_NE(result.errors.find(said), std::string::npos) << result.errors;
        EXPECT_TRUE(has(result, c.said ? "DICOMDIR Abborted" : "Unable to write " + folder.at("DICOMDIR")));
        EXPECT_FALSE(has(result, "DICOMDIR Done:"));
        EXPECT_EQ(File_Text(folder.at("DICOMDIR")), "earlier DICOMDIR");
        EXPECT_EQ(directory_names(folder.path()), std::vector<std::string>{});
    }
}

// Files around a run that are not what they seem hold nobody up and are never written through: a
// Kestrapol.ini that is a pipe, a trace file that is a link, another user's default log folder.
TEST_F(Batch, ConfigurationAndLogFilesThatAreNotWhatTheySeem) {
    Scratch_Folder folder, appdata, logs, outside, temporary;
    folder.add("IMG1", Sample_With_UID("1.1"));
    outside.add_text("VICTIM", "outside");
    fs::create_directories(appdata.path() + "/Corvanthis");
    const std::string ini = appdata.path() + "/Corvanthis/Kestrapol.ini";
    const Batch_Options with_appdata = Batch_Options().after("timeout 60 env APPDATA=" + appdata.path());
    ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
    Batch_Run result = run({folder.path()}, with_appdata);
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(has(result, "Read: 1 files"));

    for (const char* trace : {"", "trace = 1\n"}) {
        fs::remove(ini);
        std::ofstream(ini) << "scratch = " << logs.path() << "\n" << trace;
        fs::remove(logs.at("DICOMDIR_trace.dat"));
        fs::create_symlink(outside.at("VICTIM"), logs.at("DICOMDIR_trace.dat"));
        result = run(*trace ? std::vector<std::string>{folder.path()} : std::vector<std::string>{"-t", "1", folder.path()},
                     with_appdata);
        EXPECT_EQ(result.exit_code, 0) << result.output;
        EXPECT_EQ(File_Text(outside.at("VICTIM")), "outside") << trace;
    }

    if (::geteuid() != 0) return;
    const std::string others = temporary.at("kestrapol-0");
    fs::create_directory(others);
    ASSERT_EQ(::chown(others.c_str(), Other_User::Id, Other_User::Id), 0);
    result = run({"-t", "1", folder.path()}, Batch_Options().apart().after("env TMPDIR=" + temporary.path()));
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.errors.find(others), std::string::npos) << result.errors;
    EXPECT_TRUE(fs::is_empty(others));
}

// A file of millions of tiny elements, deflated to a few dozen kilobytes, is refused once it
// passes what one file may hold, long before it fills the memory.
TEST_F(Batch, ElementBombIsRefusedWithinBoundedMemory) {
    Stream_Builder bomb(8);
    bomb.preamble().meta("1.2.840.10008.1.2.1.99");
    const std::size_t data_set = bomb.size();
    Stream_Builder element(8);
    element.header(0x0011, 0x0010, "LO", 0);  // 8 bytes, five million times
    bomb.bytes().reserve(data_set + 5'000'000 * element.size());
    for (uint32_t i = 0; i < 5'000'000; ++i) bomb.bytes_of(element.bytes());
    Scratch_Folder folder;
    folder.add("IMG1", Sample_With_UID("1.1"));
    const std::vector<uint8_t> packed = bomb.deflated(data_set);
    ASSERT_LT(packed.size(), 1u << 20);
    Write_File(folder.at("BOMB"), packed);
    const Batch_Run result = run({folder.path()}, Batch_Options().after("timeout 120"));
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(has(result, "File refused: it holds more than")) << result.output;
    EXPECT_TRUE(has(result, "Read: 2 files"));
    expect_complete(folder.at("DICOMDIR"), 1);
    struct rusage usage {};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 700L * 1024) << "kilobytes at most";  // 2 GB and more unbounded
}

// Short of memory or descriptors, a run fails with its code or writes a complete DICOMDIR; never hangs.
TEST_F(Batch, ResourceLimitsEndCleanly) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' runtime needs address space and descriptors of its own";
#endif
    Scratch_Folder folder;
    for (int i = 0; i < 38; ++i)
        folder.add("S" + std::to_string(i % 3) + "/IMG" + std::to_string(i), Sample_With_UID("1." + std::to_string(i)));
    // From the least the loader starts the program with: short of descriptors a run may fail to
    // list or to open, short of address space it fails with a memory error.
    const struct {
        const char* option;
        int first, step, runs;
        std::vector<int> codes;
    } limits[] = {{"-n", 3, 1, 10, {7, 8}}, {"-v", 16 * 1024, 1024, 24, {5}}};
    for (const auto& limit : limits) {
        int tried = 0;
        for (int value = limit.first; tried < limit.runs && value < limit.first + 4000 * limit.step; value += limit.step) {
            const std::string ulimit = std::string(limit.option) + " " + std::to_string(value);
            SCOPED_TRACE("ulimit " + ulimit);
            fs::remove(folder.at("DICOMDIR"));
            const Batch_Run result = run(
                {folder.path()}, Batch_Options().after("exec timeout 60 /bin/sh -c 'ulimit " + ulimit + "; exec \"$0\" \"$@\"'"));
            if (result.exit_code == 127 && has(result, "error while loading shared libraries")) continue;
            ++tried;
            if (result.exit_code == 0) {
                expect_complete(folder.at("DICOMDIR"), 38);
                continue;
            }
            EXPECT_NE(std::find(limit.codes.begin(), limit.codes.end(), result.exit_code), limit.codes.end())
                << "exit " << result.exit_code << "\n" << result.output;
            EXPECT_FALSE(fs::exists(folder.at("DICOMDIR")));
            if (result.exit_code == 5) {
                EXPECT_TRUE(has(result, "memory error")) << result.output;
            }
        }
        EXPECT_EQ(tried, limit.runs) << limit.option;
    }
}

// A named pipe put in the place of a file between its two opens, or of a definition file
// after the tables folder was listed, holds nobody up: the open fails at once.
TEST(Hostile_Opens, PipesInPlaceOfFilesHoldNobodyUp) {
    Scratch_Folder folder;
    const std::string pipe = folder.at("PIPE");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Runs what, and releases an open that waits for a writer should it hang.
    auto within_a_minute = [&pipe](const std::function<int()>& what) {
        std::future<int> done = std::async(std::launch::async, what);
        if (done.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << "an open of the pipe waits for a writer";
            ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
        }
        return done.get();
    };
    const int loaded = within_a_minute([&] {
        const Value_Source_Scope values(pipe);
        DICOM_Tag tag;
        tag.length = 4096;
        tag.pos_data = 200;
        return NEMA_Value_Load(nullptr, &tag);
    });
    EXPECT_EQ(loaded, 0);

    // The file reader asks a file's kind only when its first read does not tell it: a pipe
    // fails that read, a device fills it, a folder fails it; a short plain file costs two calls.
    const std::string device = "/dev/zero";
    for (const auto& [path, error] : {std::pair{pipe, ENODEV}, {folder.path(), EISDIR}, {device, ENODEV}}) {
        File_Source source;
        EXPECT_EQ(within_a_minute([&, at = path] { return source.open_head(at) ? 0 : errno; }), error) << path;
        EXPECT_FALSE(source.is_open()) << path;
    }
    folder.add_text("SHORT", "0123456789");
    File_Source short_file;
    ASSERT_TRUE(short_file.open_head(folder.at("SHORT")));
    EXPECT_EQ(short_file.size(), 10u);
    EXPECT_EQ(short_file.system_calls(), 2u);

    folder.add_text("DICOM_Private_FIRST.txt", "(0029,0010) VR=LO\n");
    folder.add_text("DICOM_Private_SWAPPED.txt", "(0029,0010) VR=LO\n");
    DICOM_Module_Dir(nullptr, (folder.path() + "/").c_str());
    DICOM_Tag tag;
    tag.group = 0x0029;
    tag.element = 0x1010;
    EXPECT_EQ(DICOM_Module_Read_Private(nullptr, "FIRST", &tag), 1);  // the folder is listed
    fs::remove(folder.at("DICOM_Private_SWAPPED.txt"));
    fs::rename(pipe, folder.at("DICOM_Private_SWAPPED.txt"));
    EXPECT_EQ(within_a_minute([&] { return DICOM_Module_Read_Private(nullptr, "SWAPPED", &tag); }), 0);
    DICOM_Module_Private_Cleanup();
    DICOM_Module_Cleanup();
}

// A folder renamed during the walk and replaced by a link to another gets its DICOMDIR in the
// folder that was opened, or none: never one in the link's target.
TEST(Hostile_Folder, FolderSwappedDuringTheWalkGetsNothingElsewhere) {
    Scratch_Folder parent, target;
    const std::string folder = parent.at("F"), moved = parent.at("MOVED");
    for (const std::string& at : {folder, target.path()}) {
        fs::create_directories(at);
        Sample_File_Write(at + "/IMG1", Sample_With_UID("1.1"));
    }
    static std::string swap_from, swap_to, link_to;
    swap_from = folder, swap_to = moved, link_to = target.path();
    Kestrapol_Files_Listed = [](const std::string& listed, const Dir_List&) {
        if (listed != swap_from) return;
        fs::rename(swap_from, swap_to);
        fs::create_directory_symlink(link_to, swap_from);
    };
    const Folder_Outcome outcome = Convert_Folder(nullptr, folder, nullptr);
    Kestrapol_Files_Listed = nullptr;
    EXPECT_FALSE(fs::exists(target.path() + "/DICOMDIR"));
    EXPECT_EQ(outcome.written, fs::exists(moved + "/DICOMDIR"));
    EXPECT_EQ(directory_names(target.path()), std::vector<std::string>{});
}
