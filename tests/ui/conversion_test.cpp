// The main window's logic without a window, as every toolkit runs it: drops, the busy rule, a
// cancel, the choosers, keys, the report copied and saved; the windows' layout; the results
// list's shortened folders and marked rows; attention; the remembered settings.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/startup.h"
#include "app/ui/attention.h"
#include "app/ui/input.h"
#include "app/ui/main_window_logic.h"
#include "app/ui/path_elide.h"
#include "app/ui/results.h"
#include "app/ui/window_layout.h"
#include "app/ui/window_settings.h"
#include "dirscan/walk.h"
#include "support/test_system.h"
#include "tools/make_sample_files.h"
#include "util/log_sink.h"

namespace {

TEST(Results, OutcomesRowsAndReport) {
    Folder_Outcome outcome;
    outcome.folder = "/cd";
    outcome.files_read = 3;
    const auto kind = [&] { return Folder_Result_Of(outcome).outcome; };
    EXPECT_EQ(kind(), Folder_Outcome_Kind::Done);
    outcome.write_failed = true;
    EXPECT_EQ(kind(), Folder_Outcome_Kind::Could_Not_Write);
    outcome.name_flags = Name_Bad_Character;
    EXPECT_EQ(kind(), Folder_Outcome_Kind::Names_Not_Allowed);
    outcome.cancelled = true;  // a walk cut short says nothing about names or writing
    EXPECT_EQ(kind(), Folder_Outcome_Kind::Cancelled);
    outcome.folder_failed = true;  // nothing was walked at all
    EXPECT_EQ(kind(), Folder_Outcome_Kind::Cannot_Open);

    EXPECT_EQ(Duration_Text(125), "2 min 05 s");

    Check_Outcome checked;  // a check's row: its problems in the outcome column
    checked.folder = "/cd";
    checked.result.found = true;
    checked.result.findings.resize(2);
    EXPECT_EQ(Result_Row(Folder_Result_Of(checked))[1], "Checked: 2 problems");
    checked.result = {};
    checked.missing = true;
    EXPECT_EQ(Result_Row(Folder_Result_Of(checked))[1], "No DICOMDIR");

    // A copy's row: its outcome as copy mode's, the sources and the destination in the folder column.
    Media_Copy_Result copy;
    const auto copy_outcome = [&] { return Result_Row(Folder_Result_Of({"/a"}, "/d", copy, 1))[1]; };
    copy.nothing_to_copy = copy.failed = true;
    EXPECT_EQ(copy_outcome(), "No DICOM files");
    copy.nothing_to_copy = false;
    EXPECT_EQ(copy_outcome(), "Copy failed");
    copy.cancelled = true;
    EXPECT_EQ(copy_outcome(), "Cancelled");
    copy = {};
    copy.copied = 7;
    const Folder_Result copied = Folder_Result_Of({"/a b", "/c"}, "/d", copy, 1);

    Folder_Result result{"/data/cd 1", Folder_Outcome_Kind::Done, 20000, 20, 40, 200, 20000, 3.25, 0, {}};
    EXPECT_EQ(Result_Row(result)[2], "20,000");
    const std::string report = Report_Text({"\xF1\x02" "DICOMDIR Done:\xF0 Read: \x01" "1\x02 files", "caf\xE9"}, {result, copied});
    EXPECT_EQ(report,
              "DICOMDIR Done: Read: 1 files\ncaf\xC3\xA9\n\nResults\n"
              "Folder\tOutcome\tFiles\tPatients\tStudies\tSeries\tImages\tTime\n"
              "/data/cd 1\tDone\t20,000\t20\t40\t200\t20,000\t3.2 s\n"
              "/a b; /c \u2192 /d\tCopied\t7\t0\t0\t0\t0\t1.0 s\n");
}

// The keys the window's tests below do not press; the rest are pressed there.
TEST(Input, KeysAndWheel) {
    EXPECT_EQ(Main_Key_Action(Key_Ctrl | Key_Keypad | '7').action, Main_Action::None);  // not the main keys
    EXPECT_EQ(Main_Key_Action(Key_Ctrl | 'Q').action, Main_Action::Quit);
    for (int key : {Key_Escape, Key_Enter, Key_Space}) EXPECT_TRUE(Progress_Key_Cancels(key));
    EXPECT_FALSE(Progress_Key_Cancels(Key_Ctrl | Key_Space));

    Wheel_Accumulator wheel;
    EXPECT_EQ(wheel.lines(360), -3);     // three notches forward at once: three lines back
    EXPECT_EQ(wheel.lines(60), 0);       // half a notch: nothing yet
    EXPECT_EQ(wheel.lines(60), -1);
    EXPECT_EQ(wheel.lines(-130), 1);     // -10 kept
    EXPECT_EQ(wheel.lines(-110), 1);
    EXPECT_EQ(wheel.lines(240, 3), -6);  // the desktop's lines per notch
}

// Holds the worker where it sets the range (after the count) until the test lets it go (at most
// 20 s): what is checked of a running conversion never races its end. Given a count, it also
// cancels once that many files were read.
class Held_Progress final : public Progress_Window {
public:
    explicit Held_Progress(int cancel_after = 0) : cancel_after_(cancel_after) {}
    void show() override {}
    void text(const char*) override {}
    void set(int) override {}
    void add(int delta) override { added_ += delta; }
    void range(int) override {
        std::unique_lock lock(mutex_);
        held_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::seconds(20), [this] { return released_; });  // fails, never hangs
    }
    bool cancelled() const override { return cancelled_ || (cancel_after_ && added_ >= cancel_after_); }
    void close() override { closed_ = true; }
    int added() const { return added_; }
    void wait_held() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return held_; });
    }
    void release(bool cancel) {
        std::lock_guard lock(mutex_);
        cancelled_ = cancel;
        released_ = true;
        changed_.notify_all();
    }
    bool closed() const { return closed_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false, released_ = false;
    std::atomic<bool> cancelled_{false}, closed_{false};
    const int cancel_after_;
    std::atomic<int> added_{0};
};

// The panel as the window's sink fills it; thread lines wait in the ring for the test's drain.
class Panel_Sink final : public Log_Sink {
public:
    explicit Panel_Sink(Text_Panel& panel) : panel_(panel) {}
    void panel_write(const char* raw_text) override { Text_Panel::Write(panel_, raw_text); }
    void panel_overwrite(const char* raw_text) override { Text_Panel::OverWrite(panel_, raw_text); }
    void thread_line_posted(Win_Handle) override {}
    int box(Win_Handle, const char*, const char*, Box_Icon) override { return 0; }

private:
    Text_Panel& panel_;
};

class Main_Logic : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = Test_Scratch_Folder("kestrapol-logic");
        Scratch_Dir = scratch_ + "/";
        Log_Set_Handler(Log_Handler);
        Log_Set_Sink(&sink_);
        Trace_Level = 0;
        Text_Panel::Geometry geometry;
        geometry.area = {0, 0, 400, 200};
        Text_Panel::Set_Geometry(panel_, geometry);
        restart();
    }
    // A new window's logic: nothing converted yet.
    void restart() {
        logic_.reset();
        Main_Window_Logic::Hooks hooks;
        hooks.open_console = [this] { ++consoles_; };
        hooks.write_banner = [] {};
        hooks.library_descriptions = [] { return std::array<std::string, 3>{"dicom", "util", "tools"}; };
        hooks.choose_folders = [this] { return chosen_; };
        hooks.choose_report_file = [this] { return report_file_; };
        hooks.copy_text = [this](const std::string& text) { copied_ = text; };
        hooks.close = [this] { ++closes_; };
        hooks.choose_destination = [this] { return destination_; };
        hooks.open_folder = [this](const std::string& path) { opened_ = path; };
        hooks.show_about = [this](const std::string& text) { about_ = text; };
        hooks.conversion.busy_changed = [this] { ++busy_changes_; };
        hooks.conversion.progress_line = [this](const char* line) { progress_lines_.push_back(line); };
        hooks.conversion.open_progress = [this]() -> Progress_Window* {
            progress_ = std::make_unique<Held_Progress>();
            return progress_.get();
        };
        logic_ = std::make_unique<Main_Window_Logic>(&panel_, panel_, std::move(hooks));
    }
    void TearDown() override {
        if (progress_) progress_->release(true);
        logic_.reset();
        Log_Set_Sink(nullptr);
        Trace_Level = 0;
        Test_Remove_All(scratch_);
    }

    // Lets the held worker go and waits for its end, draining its thread lines as a window does.
    void finish(bool cancel = false) {
        if (progress_) progress_->release(cancel);
        while (logic_->conversion().running()) {
            logic_->drain_thread_ring();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        logic_->conversion().wait();
        logic_->drain_thread_ring();
    }
    int count(const std::string& part) const {
        int found = 0;
        for (const std::string& line : Text_Panel::Lines(panel_)) found += line.find(part) != std::string::npos;
        return found;
    }
    // A folder holding one sample image at SERIES/IMG1.
    std::string image_folder(const char* name, const char* series = "SER1") const {
        const std::filesystem::path folder = Test_Path(scratch_) / name;
        std::filesystem::create_directories(folder / series);
        Sample_File_Write((folder / series / "IMG1").string(), Sample_Image{});
        return scratch_ + "/" + name;
    }

    std::string scratch_;
    Text_Panel panel_;
    Panel_Sink sink_{panel_};
    int consoles_ = 0, closes_ = 0;
    std::vector<std::string> chosen_;
    std::string report_file_, copied_, destination_, opened_, about_;
    std::atomic<int> busy_changes_{0};
    std::vector<std::string> progress_lines_;
    std::unique_ptr<Held_Progress> progress_;
    std::unique_ptr<Main_Window_Logic> logic_;  // last: its worker uses the members above
};

// An empty name among the dropped folders is no folder: it gets no row.
TEST_F(Main_Logic, ADropConvertsEachFolderIntoItsRowAndRefusesAnotherMeanwhile) {
    const std::string bad = image_folder("BADNAMES", "SERIES_LONG"), good = image_folder("GOOD");
    const std::string empty = scratch_ + "/EMPTY";
    std::filesystem::create_directories(Test_Path(empty));
    std::ofstream(Test_Path(empty) / "NOTES") << "text";
    for (int i = 0; i < 100; ++i) Text_Panel::Write(panel_, "earlier");
    Text_Panel::Scroll(panel_, -50);

    ASSERT_TRUE(logic_->convert({bad, good, "", empty}));
    EXPECT_EQ(Text_Panel::Scroll_Back(panel_), 0);  // the panel jumped to the newest line
    EXPECT_EQ(count("Scanning 4 directories..."), 1);
    progress_->wait_held();
    EXPECT_FALSE(logic_->convert({good}));
    EXPECT_EQ(count("BUSY:"), 1);
    finish();
    EXPECT_TRUE(progress_->closed());
    EXPECT_EQ(count("Dir has \x01" "3\x02 files"), 1);  // through the thread ring
    EXPECT_EQ(progress_->added(), 3);                      // every visited file moved the bar
    EXPECT_EQ(count("DICOMDIR Abborted\xF0\x02 in \x01" + bad), 1);
    EXPECT_EQ(count(" Images\xF0\x02 in \x01" + good), 1);  // the summary names its folder
    EXPECT_EQ(count("No DICOM files found in \x01" + empty), 1);
    EXPECT_TRUE(std::filesystem::exists(Test_Path(good) / "DICOMDIR"));
    EXPECT_FALSE(std::filesystem::exists(Test_Path(bad) / "DICOMDIR"));
    const std::vector<Folder_Result> results = logic_->conversion().results();
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].outcome, Folder_Outcome_Kind::Names_Not_Allowed);
    EXPECT_EQ(results[1].outcome, Folder_Outcome_Kind::Done);
    EXPECT_EQ(results[1].images, 1);
    EXPECT_EQ(results[2].outcome, Folder_Outcome_Kind::No_DICOM_Files);
    EXPECT_EQ(logic_->conversion().exit_code(), Exit_Names_Too_Long);  // as batch mode's for the same folders

    ASSERT_TRUE(logic_->convert({good}));  // accepted again once the first has ended
    finish();
    EXPECT_EQ(logic_->conversion().result_count(), 4u);
}

TEST_F(Main_Logic, CancelDuringTheCountLeavesNoDicomdirAndACancelledRow) {
    const std::string folder = image_folder("CANCEL");
    ASSERT_TRUE(logic_->convert({folder}));
    progress_->wait_held();
    finish(true);
    EXPECT_FALSE(std::filesystem::exists(Test_Path(folder) / "DICOMDIR"));
    EXPECT_EQ(count("DICOMDIR"), 0);
    EXPECT_EQ(count("Cancelled: \x01" + folder), 1);
    ASSERT_EQ(logic_->conversion().result_count(), 1u);
    EXPECT_EQ(logic_->conversion().results()[0].outcome, Folder_Outcome_Kind::Cancelled);
}

TEST_F(Main_Logic, KeysChooseCheckScrollTraceAndQuit) {
    chosen_ = {image_folder("CHOSEN1"), image_folder("CHOSEN2")};
    EXPECT_TRUE(logic_->key(Key_Ctrl | 'O'));
    EXPECT_EQ(count("Scanning 2 directories..."), 1);
    finish();
    EXPECT_TRUE(logic_->key(Key_Ctrl | 'K'));  // the same folders checked
    finish();
    const std::vector<Folder_Result> results = logic_->conversion().results();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(Result_Row(results[3])[1], "Checked: OK");
    EXPECT_EQ(count("DICOMDIR checked:"), 2);
    chosen_.clear();  // the chooser cancelled: nothing happens
    logic_->key(Key_Ctrl | 'O');
    logic_->key(Key_Ctrl | 'K');
    EXPECT_EQ(count("Scanning"), 1);
    EXPECT_EQ(logic_->conversion().result_count(), 4u);

    for (int i = 0; i < 100; ++i) Text_Panel::Write(panel_, "line");
    const int page = Text_Panel::Visible_Lines(panel_) - 1;
    logic_->key(Key_Page_Up);
    EXPECT_EQ(Text_Panel::Scroll_Back(panel_), page);
    logic_->key(Key_Home);
    EXPECT_EQ(Text_Panel::Scroll_Back(panel_), static_cast<int>(Text_Panel::Line_Count(panel_)) - Text_Panel::Visible_Lines(panel_));
    logic_->key(Key_End);
    EXPECT_EQ(Text_Panel::Scroll_Back(panel_), 0);

    EXPECT_TRUE(logic_->key(Key_Ctrl | '5'));  // at most 2, the console opened once
    EXPECT_EQ(Trace_Level.load(), 2);
    logic_->key(Key_Ctrl | '1');
    EXPECT_EQ(consoles_, 1);
    EXPECT_EQ(Text_Panel::Last_Line(panel_), "Trace level: 1");
    EXPECT_FALSE(logic_->key('A'));
    EXPECT_EQ(closes_, 0);
    logic_->key(Key_Escape);
    EXPECT_EQ(closes_, 1);
}

TEST_F(Main_Logic, MediaCopiesFromTheChooserAndFromARowWhoseNamesAreNotAllowed) {
    const std::string bad = image_folder("BADNAMES", "SERIES_LONG"), good = image_folder("GOOD");
    ASSERT_TRUE(logic_->convert({bad}));
    finish();
    EXPECT_EQ(count("Scanning 1 directory..."), 1);
    EXPECT_EQ(count("kestrapol -o DEST"), 1);  // the command line's way, then the window's
    EXPECT_EQ(count("Enter or a double-click on its row, for \"Make media copy\u2026\""), 1);

    destination_ = scratch_ + "/COPY";
    logic_->activate_result(0);  // the refused folder offers its copy: only the destination is asked
    progress_->wait_held();
    EXPECT_FALSE(logic_->can_start());
    EXPECT_EQ(busy_changes_.load(), 3);  // the conversion's start and end, the copy's start
    chosen_ = {good};
    EXPECT_TRUE(logic_->key(Key_Ctrl | 'M'));  // refused before any chooser
    logic_->choose_folders();
    logic_->check_media();
    EXPECT_EQ(count("BUSY:"), 3);
    ASSERT_EQ(progress_lines_.size(), 3u);
    EXPECT_NE(progress_lines_[0].find("BUSY:"), std::string::npos);
    finish();
    EXPECT_TRUE(logic_->can_start());
    EXPECT_EQ(busy_changes_.load(), 4);
    EXPECT_TRUE(progress_->closed());
    EXPECT_TRUE(std::filesystem::exists(Test_Path(destination_) / "DICOMDIR"));
    EXPECT_EQ(count("Media copy Done:"), 1);
    ASSERT_EQ(logic_->conversion().result_count(), 2u);
    const auto row = Result_Row(logic_->conversion().results()[1]);
    EXPECT_EQ(row[0], bad + " \u2192 " + destination_);
    EXPECT_EQ(row[1], "Copied");
    EXPECT_EQ(row[6], "1");
    EXPECT_EQ(logic_->conversion().exit_code(), 1);  // the names too long; the copy was made
    logic_->activate_result(1);  // a copy opens its destination
    EXPECT_EQ(opened_, destination_);

    destination_.clear();  // the destination chooser cancelled: nothing starts
    logic_->key(Key_Ctrl | 'M');
    EXPECT_EQ(logic_->conversion().result_count(), 2u);
    destination_ = good;  // inside its own source: refused, nothing made
    logic_->key(Key_Ctrl | 'M');
    finish();
    ASSERT_EQ(logic_->conversion().result_count(), 3u);
    EXPECT_EQ(logic_->conversion().results()[2].outcome, Folder_Outcome_Kind::Copy_Failed);
    EXPECT_EQ(logic_->conversion().exit_code(), 11);
    EXPECT_FALSE(std::filesystem::exists(Test_Path(good) / "PA000001"));
}

TEST_F(Main_Logic, HelpOpensTheReadmeBesideTheProgramAndAboutNamesTheVersions) {
    logic_->key(Key_F1);  // the test program has none beside it
    EXPECT_EQ(count("No README found beside the program"), 1);
    EXPECT_TRUE(opened_.empty());
    const std::string prefix = scratch_ + "/bin/";
    std::filesystem::create_directories(Test_Path(scratch_) / "share/doc/kestrapol");
    std::filesystem::create_directories(Test_Path(prefix));
    EXPECT_EQ(Readme_Path(prefix), "");
    std::ofstream(Test_Path(scratch_) / "share/doc/kestrapol/README.md") << "#";
    EXPECT_EQ(Readme_Path(prefix), prefix + "../share/doc/kestrapol/README.md");  // installed on Linux
    std::ofstream(Test_Path(prefix) / "README.txt") << "#";
    EXPECT_EQ(Readme_Path(prefix), prefix + "README.txt");  // beside the program on Windows

    logic_->key(Key_Ctrl | Key_F1);
    EXPECT_NE(about_.find(Prog_Version), std::string::npos);
    EXPECT_NE(about_.find("dicom\nutil\ntools\nzlib "), std::string::npos);
}

TEST_F(Main_Logic, InstructionsAndTheReportCopiedAndSaved) {
    logic_->write_instructions();
    logic_->copy_report();  // the panel without markup; no results yet
    EXPECT_EQ(copied_, "Drag&drop a dir on this application,\nto create a DICOMDIR of its content\n\n");
    EXPECT_EQ(Text_Panel::Last_Line(panel_), "Report copied");

    logic_->save_report();  // the chooser cancelled: nothing saved, nothing said
    EXPECT_EQ(count("Report saved"), 0);
    report_file_ = scratch_ + "/report.txt";
    logic_->save_report();
    std::ifstream saved(Test_Path(report_file_), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, copied_ + "Report copied\n");
    EXPECT_EQ(count("Report saved to"), 1);
    report_file_ = scratch_ + "/no such folder/report.txt";
    logic_->save_report();
    EXPECT_EQ(count("Unable to save the report to"), 1);
}

TEST(WindowLayout, PartsFollowTheSizeAndTheDotsPerInch) {
    EXPECT_EQ(Dpi_Scaled(110, 144), 165);
    EXPECT_EQ(Dpi_Scaled(13, 120), 16);  // 16.25 rounds down
    EXPECT_EQ(Dpi_Scaled(14, 120), 18);  // 17.5 rounds up
    EXPECT_EQ(Label_Without_Mnemonic("C&opy && save\u2026&"), "Copy & save\u2026");

    const Main_Layout wide = Main_Lay_Out(800, 380, 96, {80, 140, 110, 0, 0});
    EXPECT_EQ(wide.buttons[0], (Ui_Rect{1, 351, 110, 26}));  // never narrower than 110
    EXPECT_EQ(wide.buttons[1].x, 117);
    EXPECT_EQ(wide.buttons[2].x, 263);
    const Main_Layout main = Main_Lay_Out(600, 380, 96, {80, 140, 110, 0, 0});
    // Too wide for the row: all narrowed alike, the last still inside.
    EXPECT_EQ(main.buttons[1].width, 138);
    EXPECT_LE(main.buttons[4].x + main.buttons[4].width, 599);
    EXPECT_EQ(main.results, (Ui_Rect{1, 209, 598, 139}));
    EXPECT_EQ(main.panel, (Ui_Rect{1, 1, 598, 206}));
    const Main_Layout scaled = Main_Lay_Out(900, 570, 144, {0, 0, 0, 0, 0});
    EXPECT_EQ(scaled.results, (Ui_Rect{1, 314, 898, 208}));
    EXPECT_EQ(scaled.buttons[1].x, 1 + 165 + 9);

    const Progress_Layout progress = Progress_Lay_Out(400, 250, 96);
    EXPECT_EQ(progress.caption, (Ui_Rect{5, 5, 390, 40}));
    EXPECT_EQ(progress.panel, (Ui_Rect{5, 51, 390, 131}));
    EXPECT_EQ(progress.bar_box, (Ui_Rect{5, 188, 390, 14}));
    EXPECT_EQ(progress.button_box, (Ui_Rect{5, 208, 390, 37}));
    EXPECT_EQ(progress.cancel, (Ui_Rect{11, 214, 378, 25}));
    // Squeezed, both windows keep a panel of a few lines' worth rather than none.
    for (const int dpi : {96, 192}) {
        EXPECT_EQ(Progress_Lay_Out(400, 60, dpi).panel.height, Dpi_Scaled(20, dpi));
        EXPECT_EQ(Main_Lay_Out(600, 100, dpi, {0, 0, 0, 0, 0}).panel.height, Dpi_Scaled(20, dpi));
    }
    const auto [x, y] = Progress_Place(100, 100, 300, 200, 400, 250);  // never left of or above its window
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);
}

// Ten pixels a character, whatever its size in bytes.
int measure(std::string_view text) {
    int characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return 10 * characters;
}

TEST(ResultsList, LongFoldersLoseTheirMiddleNeverTheirEnds) {
    struct Case {
        const char* path;
        int width;
        const char* shown;
    } const cases[] = {
        {"/home/u/cd", 100, "/home/u/cd"},  // fits
        {"/home/u/scans/2024/march/series12", 200, "/home/u/\u2026/series12"},
        {"/home/u/scans/2024/march/series12", 260, "/home/u/\u2026/march/series12"},
        {"/home/u/scans/2024/march/series12", 130, "/\u2026/series12"},
        {"C:\\Data\\scans\\2024\\series12", 200, "C:\\Data\\\u2026\\series12"},
        // Not even the last folder fits: characters go from the middle, "é" whole.
        {"/a/averyveryverylongname\u00e9", 110, "/a/av\u2026name\u00e9"},
        {"series12", 50, "se\u202612"},
    };
    for (const Case& c : cases) {
        const std::string shown = Elide_Path(c.path, c.width, measure);
        EXPECT_EQ(shown, c.shown) << c.path << " in " << c.width;
        EXPECT_LE(measure(shown), std::max(c.width, 30)) << c.path;
    }
}

TEST(ResultsList, RowsThatNeedALookHaveAMarkAndAReadableColour) {
    using enum Folder_Outcome_Kind;
    struct Case {
        Folder_Outcome_Kind outcome;
        int problems;
        Result_Severity severity;
    } const cases[] = {
        {Done, 0, Result_Severity::Fine},          {Checked, 0, Result_Severity::Fine},
        {Checked, 2, Result_Severity::Warning},    {Cancelled, 0, Result_Severity::Warning},
        {No_DICOM_Files, 0, Result_Severity::Warning}, {No_DICOMDIR, 0, Result_Severity::Warning},
        {Names_Not_Allowed, 0, Result_Severity::Failed}, {Could_Not_Write, 0, Result_Severity::Failed},
        {Cannot_Open, 0, Result_Severity::Failed},
    };
    for (const Case& c : cases) {
        Folder_Result result;
        result.outcome = c.outcome;
        result.problems = c.problems;
        const Result_Mark mark = Mark_Of(result);
        EXPECT_EQ(mark.severity, c.severity) << Outcome_Text(c.outcome);
        // Never the colour alone: every row that is not fine has a mark too.
        EXPECT_EQ(std::string(mark.prefix).empty(), c.severity == Result_Severity::Fine) << Outcome_Text(c.outcome);
        for (const Rgb background : {List_Background, List_Alternate_Background})
            EXPECT_GE(Contrast_Ratio(mark.text, background), Minimum_Contrast) << Outcome_Text(c.outcome);
    }
    Folder_Result cancelled, failed;
    cancelled.outcome = Cancelled;
    failed.outcome = Cannot_Open;
    EXPECT_STRNE(Mark_Of(cancelled).prefix, Mark_Of(failed).prefix);
}

// Cancelled after the second file: how many it read, beside the tree made of them.
TEST(ResultsList, ACancelledFolderCountsWhatItReadBeforeTheCancel) {
    const std::string scratch = Test_Scratch_Folder("kestrapol-cancel-counts");
    ASSERT_TRUE(Sample_Folder_Write(Test_Path(scratch), false));
    Held_Progress progress(2);
    progress.release(false);  // run on this thread: never held
    const Folder_Outcome outcome = Convert_Folder(nullptr, scratch, &progress);
    const Folder_Result result = Folder_Result_Of(outcome);
    EXPECT_EQ(result.outcome, Folder_Outcome_Kind::Cancelled);
    EXPECT_EQ(result.files, 2);
    EXPECT_EQ(result.images, 2);
    EXPECT_FALSE(std::filesystem::exists(Test_Path(scratch) / "DICOMDIR"));
    // Nothing indexed: the run still ends as one that found no DICOM file.
    EXPECT_EQ(Batch_Exit_Code({outcome}), Exit_No_Files);
    Test_Remove_All(scratch);
}

TEST(MainWindow, TheListGrowsWithTheWindowAndTheLeastSizeKeepsEveryPartUsable) {
    const int buttons[Main_Button_Count] = {130, 100, 120};
    for (const int dpi : {96, 144}) {
        const Main_Layout small = Main_Lay_Out(600, 380, dpi, buttons), tall = Main_Lay_Out(600, 900, dpi, buttons);
        EXPECT_GT(tall.results.height, small.results.height * 2);
        EXPECT_GT(tall.panel.height, small.panel.height * 2);

        const Ui_Size least = Main_Minimum_Size(dpi, buttons);
        const Main_Layout at_least = Main_Lay_Out(least.width, least.height, dpi, buttons);
        EXPECT_GE(at_least.panel.height, Dpi_Scaled(Main_Panel_Min_Height, dpi));
        EXPECT_GE(at_least.results.height, Dpi_Scaled(Main_Results_Min_Height, dpi));
        EXPECT_GE(at_least.results.y, at_least.panel.y + at_least.panel.height);
        EXPECT_LE(at_least.results.y + at_least.results.height, at_least.buttons[0].y);
        EXPECT_LE(at_least.buttons[2].x + at_least.buttons[2].width, least.width);
    }
    // Only a long run ending unseen asks for attention.
    EXPECT_TRUE(Run_End_Asks_Attention(30, false));
    EXPECT_FALSE(Run_End_Asks_Attention(30, true));
    EXPECT_FALSE(Run_End_Asks_Attention(2, false));
    EXPECT_EQ(Title_Done("Kestrapol"), "Done \u2013 Kestrapol");
}

TEST(WindowSettings, ReadBackAndDamagedOrHostileFilesIgnored) {
    const Window_Settings saved{"/home/u/scans", Ui_Rect{40, 30, 700, 500}};
    EXPECT_EQ(Window_Settings_Parse(Window_Settings_Text(saved)), saved);
    EXPECT_EQ(Window_Settings_Parse("x=1\r\ny=2\r\nwidth=3\r\nheight=4\r\n").frame, (Ui_Rect{1, 2, 3, 4}));
    const char* const ignored[] = {
        "\x01\xff garbage \n==\n=\n",
        "x=99999999999999999999\ny=0\nwidth=600\nheight=400\n",
        "x=0\ny=0\nwidth=-600\nheight=400\n",
        "x=0\ny=0\nwidth=600\nheight=400000\n",
        "x=0x10\ny=0\nwidth=600\nheight=400\n",
        "x=0\ny=0\nwidth=600\n",  // a missing value leaves the whole frame out
        "folder=/tmp/a\x1b[2Jb\n",
        "folder=/tmp/\xC3\n",
    };
    for (const char* text : ignored) EXPECT_EQ(Window_Settings_Parse(text), Window_Settings{}) << text;

    // Off every screen, too large or too small: moved and sized onto the screen it is nearest to.
    const std::vector<Ui_Rect> screens = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1000}};
    struct Placement {
        Ui_Rect frame, placed;
    } const placements[] = {
        {{100, 100, 600, 400}, {100, 100, 600, 400}},
        {{5000, -3000, 600, 400}, {1320, 0, 600, 400}},
        {{3000, 900, 600, 400}, {2600, 600, 600, 400}},
        {{-50, 10, 9000, 9000}, {0, 0, 1920, 1040}},
        {{10, 10, 20, 20}, {10, 10, 360, 200}},
    };
    for (const Placement& p : placements)
        EXPECT_EQ(Window_Frame_On_Screens(p.frame, screens, 360, 200), p.placed) << p.frame.x << "," << p.frame.y;
}

TEST(WindowSettings, KeptInTheirOwnFileBesideThePerUserIni) {
    const std::optional<std::string> path = Window_Settings_Path();
    ASSERT_TRUE(path);
    EXPECT_EQ(Test_Path(*path).filename(), "Kestrapol-window.ini");
    EXPECT_EQ(Test_Path(*path).parent_path().filename(), "Corvanthis");

    const std::string scratch = Test_Scratch_Folder("kestrapol-settings"), folder = scratch + "/last";
    const std::string file = scratch + "/Corvanthis/Kestrapol-window.ini";
    std::filesystem::create_directory(Test_Path(folder));
    ASSERT_TRUE(Window_Settings_Save({folder, Ui_Rect{1, 2, 640, 480}}, file));  // its folder made
    EXPECT_EQ(Window_Settings_Load(file), (Window_Settings{folder, Ui_Rect{1, 2, 640, 480}}));
    std::filesystem::remove(Test_Path(folder));
    EXPECT_EQ(Window_Settings_Load(file).folder, "");  // a folder gone since is not offered
    std::ofstream(Test_Path(file), std::ios::binary) << std::string(100000, 'x') << "\nx=1\ny=1\nwidth=9\nheight=9\n";
    EXPECT_EQ(Window_Settings_Load(file), Window_Settings{});  // far too large for one of ours
    std::filesystem::remove(Test_Path(file));
    std::filesystem::create_directory(Test_Path(file));
    EXPECT_EQ(Window_Settings_Load(file), Window_Settings{});  // no plain file: not read, not replaced
    EXPECT_FALSE(Window_Settings_Save({}, file));
    Test_Remove_All(scratch);
}

}  // namespace
