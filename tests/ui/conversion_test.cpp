// A conversion as every window set runs it: the busy rule, one result per folder with its
// outcome, the report, and what the keys and the wheel do.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ui/conversion.h"
#include "app/ui/input.h"
#include "dirscan/walk_fixture.h"

namespace {

TEST(Conversion, EachFolderOfADropGetsItsRowAndABusyDropIsRefused) {
    Prog_Name = "Kestrapol";
    Walk_Log log;
    Scratch_Folder bad, good, empty;
    bad.add("SERIES_LONG/IMG1", Patient_Image("ANN", "1.1"));  // a name of 11 characters
    good.add("SER1/IMG1", Patient_Image("BOB", "2.1"));
    good.add("SER1/IMG2", Patient_Image("BOB", "2.2"));
    empty.add_text("NOTES", "text");
    std::atomic<int> changes{0};
    Conversion conversion(nullptr, {nullptr, [&] { ++changes; }});
    ASSERT_TRUE(conversion.start({bad.path(), good.path(), empty.path()}));
    EXPECT_FALSE(conversion.start({good.path()}));  // the worker waits 100 ms after counting
    EXPECT_TRUE(log.has("\xF1\x05" "BUSY:"));
    conversion.wait();
    EXPECT_FALSE(conversion.running());
    EXPECT_TRUE(log.has("\xF1\x02" "Scanning 3 directories..."));

    const std::vector<Folder_Result> results = conversion.results();
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(changes.load(), 3);
    EXPECT_EQ(results[0].folder, bad.path());
    EXPECT_EQ(results[0].outcome, Folder_Outcome_Kind::Names_Not_Allowed);
    EXPECT_EQ(results[1].outcome, Folder_Outcome_Kind::Done);
    EXPECT_EQ((std::array{results[1].files, results[1].patients, results[1].studies, results[1].series, results[1].images}),
              (std::array{2, 1, 1, 1, 2}));
    EXPECT_EQ(results[2].outcome, Folder_Outcome_Kind::No_DICOM_Files);
    EXPECT_TRUE(std::filesystem::exists(good.path() + "/DICOMDIR"));
    EXPECT_FALSE(std::filesystem::exists(bad.path() + "/DICOMDIR"));

    ASSERT_TRUE(conversion.start({good.path()}));  // accepted again once the first has ended
    conversion.wait();
    EXPECT_EQ(conversion.result_count(), 4u);      // results of earlier drops stay
}

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
    EXPECT_STREQ(Outcome_Text(Folder_Outcome_Kind::Cannot_Open), "Cannot open folder");

    EXPECT_EQ(Duration_Text(125), "2 min 05 s");

    Folder_Result result{"/data/cd 1", Folder_Outcome_Kind::Done, 20000, 20, 40, 200, 20000, 3.25};
    EXPECT_EQ(Result_Row(result)[2], "20,000");
    const std::string report = Report_Text({"\xF1\x02" "DICOMDIR Done:\xF0 Read: \x01" "1\x02 files", "caf\xE9"}, {result});
    EXPECT_EQ(report,
              "DICOMDIR Done: Read: 1 files\ncaf\xC3\xA9\n\nResults\n"
              "Folder\tOutcome\tFiles\tPatients\tStudies\tSeries\tImages\tTime\n"
              "/data/cd 1\tDone\t20,000\t20\t40\t200\t20,000\t3.2 s\n");
}

TEST(Input, KeysAndWheel) {
    EXPECT_EQ(Main_Key_Action(Key_Ctrl | '7').value, 7);
    EXPECT_EQ(Main_Key_Action(Key_Ctrl | Key_Keypad | '7').action, Main_Action::None);  // not the main keys
    EXPECT_EQ(Main_Key_Action(Key_Ctrl | 'O').action, Main_Action::Choose_Folders);
    EXPECT_EQ(Main_Key_Action('O').action, Main_Action::None);
    EXPECT_EQ(Main_Key_Action(Key_Page_Up).value, -1);  // towards older lines
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

}  // namespace
