// The results list and the main window's everyday features without a window: shortened folders,
// marked rows, a cancelled folder's counts, the least size, attention, remembered settings.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/startup.h"
#include "app/ui/attention.h"
#include "app/ui/path_elide.h"
#include "app/ui/results.h"
#include "app/ui/window_layout.h"
#include "app/ui/window_settings.h"
#include "dirscan/walk.h"
#include "support/test_system.h"
#include "tools/make_sample_files.h"

namespace {

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
class Cancel_After_Two final : public Progress_Window {
public:
    void show() override {}
    void text(const char*) override {}
    void set(int) override {}
    void add(int delta) override { added_ += delta; }
    void range(int) override {}
    bool cancelled() const override { return added_ >= 2; }
    void close() override {}

private:
    int added_ = 0;
};

TEST(ResultsList, ACancelledFolderCountsWhatItReadBeforeTheCancel) {
    const std::string scratch = Test_Scratch_Folder("kestrapol-cancel-counts");
    ASSERT_TRUE(Sample_Folder_Write(Test_Path(scratch), false));
    Cancel_After_Two progress;
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
