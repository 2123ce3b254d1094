// What a screen reader gets: which panel lines are announced, the cap on a burst, lines lost
// between two looks, and the texts of the panel and the bar.
#include <gtest/gtest.h>

#include "app/ui/accessible_text.h"
#include "app/ui/text_panel.h"

namespace {

std::u16string u16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

TEST(AccessibleText, WarningsErrorsRefusalsAndOutcomesAreAnnouncedNotFileLines) {
    const struct {
        const char* line;
        bool announced;
    } cases[] = {
        {"\xF1\t\x05WARNING:\x02 Invalid file name \x01\"lower.dcm\" !", true},
        {"    \xF1\x05WARNING:\x02 ST000001\\IM000001: Study Date (0008,0020) is empty", true},
        {"    \xF1\x04" "ERROR:\x02 Cannot open folder /gone", true},
        {"\xF1\x05" "BUSY:\x02 a conversion is running; drop again when it is done", true},
        {"\xF1\x02" "DICOMDIR Done:\xF0 Read: \x01" "2\x02 files with: \x01" "1\x02 Patients", true},
        {"\xF1\x02" "DICOMDIR Abborted in \x01/scans", true},
        {"\t dir:     big/D039", false},
        {"\t file:             D039\\F00499", false},
        {"\xF1\x02Scanning 1 directory...", false},
        {"\xF1 Counting files... \x01" "38,500", false},
        {"\xF1 \x01" "12\x02 of \x01" "40\x02 files", false},
        {"Invalid file name WARNING: in the middle", false},
        {"", false},
        {"   ", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Accessible_Announces(c.line), c.announced) << c.line;
}

TEST(AccessibleText, AnnouncerSaysNewLinesOnceAndCapsABurst) {
    Text_Panel panel;
    Text_Panel::Write(panel, "\xF1\x05WARNING:\x02 before anyone listened");
    Panel_Announcer announcer;
    EXPECT_TRUE(announcer.take(panel).empty());

    Text_Panel::Write(panel, "\t file: A");
    Text_Panel::Write(panel, "\xF1\x05WARNING:\x02 one\n\t file: B");
    Text_Panel::OverWrite(panel, "\xF1 \x01" "1\x02 of \x01" "2\x02 files");
    EXPECT_EQ(announcer.take(panel), std::vector<std::u16string>{u"WARNING: one"});
    EXPECT_TRUE(announcer.take(panel).empty());

    for (int i = 0; i < 10; ++i) Text_Panel::Write(panel, ("    \xF1\x04" "ERROR:\x02 e" + std::to_string(i)).c_str());
    EXPECT_EQ(announcer.take(panel),
              (std::vector<std::u16string>{u"    ERROR: e0", u"    ERROR: e1", u"    ERROR: e2", u"7 more lines in the report"}));

    // More lines than the panel holds between two looks: only those still held are counted.
    for (int i = 0; i < 5000; ++i) Text_Panel::Write(panel, "WARNING: w");
    const std::vector<std::u16string> said = announcer.take(panel);
    ASSERT_EQ(said.size(), Panel_Announcer::Max_Said + 1);
    EXPECT_EQ(said.back(), u16("4,093 more lines in the report"));
}

TEST(AccessibleText, PanelTextAndProgressValueInWords) {
    EXPECT_EQ(Accessible_Text({"\xF1\x05WARNING:\x02 a \x01" "b", "", "caf\xC3\xA9"}), u"WARNING: a b\n\ncaf\u00E9");
    EXPECT_EQ(Accessible_Text({}), u"");
    EXPECT_EQ(Accessible_Progress_Value(1234, 20000), u" 1,234 of 20,000 files");
    EXPECT_EQ(Accessible_Progress_Value(-5, 10), u" 0 of 10 files");
    EXPECT_EQ(Accessible_Progress_Value(50, 10), u" 10 of 10 files");
    EXPECT_EQ(Accessible_Progress_Value(3, 0), u"");
}

}  // namespace
