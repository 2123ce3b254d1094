// What every window set shows of a conversion: one result per folder with its outcome, the
// report, and what the keys and the wheel do. (The busy rule and the worker run in the window
// tests.)
#include <gtest/gtest.h>

#include "app/ui/input.h"
#include "app/ui/results.h"
#include "dirscan/walk.h"

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
    EXPECT_STREQ(Outcome_Text(kind()), "Cannot open folder");

    EXPECT_EQ(Duration_Text(125), "2 min 05 s");

    Check_Outcome checked;  // a check's row: its problems in the outcome column
    checked.folder = "/cd";
    checked.result.found = true;
    EXPECT_EQ(Result_Row(Folder_Result_Of(checked))[1], "Checked: OK");
    checked.result.findings.resize(2);
    EXPECT_EQ(Result_Row(Folder_Result_Of(checked))[1], "Checked: 2 problems");
    checked.result = {};
    checked.missing = true;
    EXPECT_EQ(Result_Row(Folder_Result_Of(checked))[1], "No DICOMDIR");

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
    EXPECT_EQ(Main_Key_Action(Key_Ctrl | 'K').action, Main_Action::Check_Media);
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
