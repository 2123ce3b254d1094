// The text panel every toolkit draws and what it shows: its limits, over-writing, clamped
// scrolling that keeps a scrolled view on its lines, the thumb, tab stops, the report it keeps;
// markup and readable palettes; and what a screen reader is told of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/ui/accessible_text.h"
#include "app/ui/line_layout.h"
#include "app/ui/markup.h"
#include "app/ui/palette.h"
#include "app/ui/text_panel.h"

namespace {

void fill(Text_Panel& panel, int count) {
    for (int i = 0; i < count; ++i) Text_Panel::Write(panel, ("line " + std::to_string(i)).c_str());
}

TEST(TextPanel, KeepsTheNewestLinesAndCutsWritesWhole) {
    Text_Panel panel;
    fill(panel, 5000);
    EXPECT_EQ(Text_Panel::Line_Count(panel), Text_Panel::Max_Lines);
    EXPECT_EQ(Text_Panel::Line(panel, 0), "line 904");
    EXPECT_EQ(Text_Panel::Line(panel, 4095), "line 4999");

    // A summary naming a long folder keeps its end; one beyond the limit loses its middle,
    // never half a UTF-8 character, and keeps the folder's last name.
    Text_Panel cut;
    const std::string summary = "\xF1\x02" "DICOMDIR Done:\xF0 Read: \x01" "3\x02 files in \x01/m/" + std::string(400, 'd') + "/series12";
    Text_Panel::Write(cut, summary.c_str());
    EXPECT_EQ(Text_Panel::Line(cut, 0), summary);
    const std::size_t keep = (Text_Panel::Max_Write - 3) / 2;
    const std::string head = std::string(keep - 1, 'b') + "\xC3\xA9", tail = "\xC3\xA9" + std::string(keep - 10, 'c') + "/series12";
    Text_Panel::Write(cut, (head + std::string(Text_Panel::Max_Write, 'x') + tail).c_str());
    const std::string kept = Text_Panel::Line(cut, 1);
    EXPECT_LE(kept.size(), Text_Panel::Max_Write);
    EXPECT_EQ(kept.substr(0, keep - 1) + "|" + kept.substr(kept.size() - 20), std::string(keep - 1, 'b') + "|" + tail.substr(tail.size() - 20));
    EXPECT_EQ(kept.substr(keep - 1, 3), "\u2026");  // the \xC3 of the first "é" does not fit: left out whole
    EXPECT_EQ(kept.find("\xA9" "c"), std::string::npos);  // the second "é" is left out whole too
    Text_Panel::Write(cut, "\n");
    Text_Panel::Write(cut, "one\ntwo\n");
    EXPECT_EQ(Text_Panel::Line_Count(cut), 7u);
    EXPECT_EQ(Text_Panel::Line(cut, 4), "one");
    EXPECT_EQ(Text_Panel::Line(cut, 6), "");
    Text_Panel::OverWrite(cut, "new");
    EXPECT_EQ(Text_Panel::Line_Count(cut), 7u);
    EXPECT_EQ(Text_Panel::Last_Line(cut), "new");
}

TEST(TextPanel, ScrollingIsClampedAndAScrolledViewStaysPut) {
    Text_Panel panel;
    Text_Panel::Geometry geometry;
    geometry.area = {0, 0, 300, 100 + 2 * Text_Panel::Padding};
    geometry.line_height = 10;
    Text_Panel::Set_Geometry(panel, geometry);
    fill(panel, 50);
    EXPECT_EQ(Text_Panel::Visible_Lines(panel), 10);
    Text_Panel::Scroll(panel, 3);  // already at the newest line
    EXPECT_EQ(Text_Panel::Scroll_Back(panel), 0);
    Text_Panel::Scroll(panel, -5);
    EXPECT_EQ(Text_Panel::Scroll_Back(panel), 5);
    Text_Panel::Write(panel, "more");
    EXPECT_EQ(Text_Panel::Scroll_Back(panel), 6);  // still showing the same lines
    EXPECT_EQ(Text_Panel::Take_View(panel)->lines.back(), "line 44");
    Text_Panel::Scroll(panel, -1000);
    EXPECT_EQ(Text_Panel::Scroll_Back(panel), 41);
    EXPECT_EQ(Text_Panel::Take_View(panel)->lines.front(), "line 0");

    // The thumb sits at the top of the track; dragging it to the bottom follows the end again.
    const Text_Panel::View view = *Text_Panel::Take_View(panel);
    EXPECT_EQ(view.thumb.y, view.track.y);
    EXPECT_LT(view.text_right, view.track.x);
    Text_Panel::Pointer_At(panel, 2, view.thumb.x + 1, view.thumb.y + 1);
    Text_Panel::Pointer_At(panel, 1, view.thumb.x + 1, view.track.bottom() + 50);
    Text_Panel::Pointer_At(panel, 0, 0, 0);
    EXPECT_EQ(Text_Panel::Scroll_Back(panel), 0);
    Text_Panel::Pointer_At(panel, 2, view.track.x + 1, view.track.y + 1);  // a press on the track pages
    EXPECT_EQ(Text_Panel::Scroll_Back(panel), 10);
}

TEST(LineLayout, TabsGoToTheirStopsAndRunsKeepTheirLook) {
    const auto measure = [](std::u16string_view text, Font_Style style) {
        return static_cast<int>(text.size()) * (style == Font_Style::Bold ? 10 : 8);
    };
    const std::vector<Placed_Run> runs = Lay_Out_Line("\xF1" "ab\t\x01" "c\td", 5, 500, 32, measure);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].style, Font_Style::Bold);
    EXPECT_EQ(runs[0].pieces[1].x, 5 + 32);  // "ab" ends at 25: the first stop
    EXPECT_EQ(runs[1].colour, Markup_Blue);
    EXPECT_EQ(runs[1].x, 5 + 32);
    ASSERT_EQ(runs[1].pieces.size(), 2u);
    EXPECT_EQ(runs[1].pieces[1].x, 5 + 64);
    EXPECT_EQ(runs[1].end, 5 + 64 + 10);
}

// Too wide, a path loses its middle, its ends stay. Repaints reuse the layout of a line they
// draw again; a new width or font lays it out anew.
TEST(LineLayout, RepaintsReuseALineUntilItsPlaceChanges) {
    int measured = 0;
    const auto measure = [&measured](std::u16string_view text, Font_Style) {
        ++measured;
        return static_cast<int>(text.size()) * 8;
    };
    const std::string line = "Reading \x01/data/scans/march/patient/IMG00042";
    Line_Layouts layouts;
    const Placed_Run first = layouts.lay_out(line, 0, 200, 32, 13, measure).back();
    const std::u16string& path = first.pieces.back().text;
    EXPECT_LE(first.end, 200);
    EXPECT_TRUE(path.starts_with(u"/data") && path.ends_with(u"IMG00042") && path.find(u'\u2026') != std::u16string::npos);
    layouts.end_paint();
    const int after_first = measured;
    EXPECT_EQ(layouts.lay_out(line, 0, 200, 32, 13, measure).back().end, first.end);
    EXPECT_EQ(measured, after_first);
    layouts.end_paint();
    EXPECT_GT(layouts.lay_out(line, 0, 400, 32, 13, measure).back().end, 200);  // wider: the whole path
    EXPECT_GT(measured, after_first);
    layouts.end_paint();
    layouts.lay_out("another line", 0, 400, 32, 13, measure);
    layouts.end_paint();  // only the line drawn in this paint stays
    const int before_third = measured;
    layouts.lay_out(line, 0, 400, 32, 13, measure);
    EXPECT_GT(measured, before_third);
    const int before_font = measured;
    layouts.lay_out(line, 0, 400, 32, 20, measure);
    EXPECT_GT(measured, before_font);
}

// The report of a main window: what the panel released stays in it, warnings always; past the
// budget a line says how much was left out, where it started.
TEST(TextPanel, TheReportKeepsWhatThePanelReleases) {
    Text_Panel panel;
    Text_Panel::Write(panel, "before");
    Text_Panel::Keep_Report(panel);
    Text_Panel::Write(panel, "\xF1\x05WARNING:\x02 first folder");
    fill(panel, 30000);
    Text_Panel::OverWrite(panel, "last, overwritten");
    std::vector<std::string> report = Text_Panel::Report_Lines(panel);
    ASSERT_EQ(report.size(), 30002u);
    EXPECT_EQ(report[0], "before");
    EXPECT_EQ(report[1], "\xF1\x05WARNING:\x02 first folder");
    EXPECT_EQ(report[2], "line 0");
    EXPECT_EQ(report.back(), "last, overwritten");

    Report_Store store;
    const std::string ordinary(250, 'o');
    const std::size_t fitting = Report_Store::Ordinary_Budget / ordinary.size();
    for (std::size_t i = 0; i < fitting + 3; ++i) store.append(ordinary);
    store.drop_last();  // an overwrite of a line left out
    store.append("    \xF1\x04" "ERROR:\x02 late");
    report = store.lines();
    ASSERT_EQ(report.size(), fitting + 2);
    EXPECT_NE(report[fitting].find("2 other lines were left out"), std::string::npos) << report[fitting];
    EXPECT_EQ(report.back(), "    \xF1\x04" "ERROR:\x02 late");
}

TEST(Markup, RunsKeepStateAcrossBytes) {
    // Bold yellow "WARNING:", then black bold text: the font stays when only the colour changes.
    const auto runs = Markup_Parse("\xF1\x05WARNING:\x02 bad line");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (Text_Run{Markup_Yellow, Font_Style::Bold, u"WARNING:"}));
    EXPECT_EQ(runs[1], (Text_Run{Markup_Black, Font_Style::Bold, u" bad line"}));

    // A line starts black and regular; markup with nothing between makes no empty run, and
    // equal neighbours merge; trailing markup adds nothing.
    const auto plain = Markup_Parse("a\x01\x04" "b\x04" "c\xF2\xF0" "d\xF2" "e\x06\xF0");
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[0], (Text_Run{Markup_Black, Font_Style::Regular, u"a"}));
    EXPECT_EQ(plain[1], (Text_Run{Markup_Red, Font_Style::Regular, u"bcd"}));
    EXPECT_EQ(plain[2], (Text_Run{Markup_Red, Font_Style::Oblique, u"e"}));
}

TEST(Markup, TextBytesDecodeAsUtf8OrLatin1) {
    EXPECT_EQ(Markup_Decode("caf\xC3\xA9"), u"caf\u00E9");       // valid UTF-8
    EXPECT_EQ(Markup_Decode("\xE9t\xE9"), u"\u00E9t\u00E9");      // Latin-1 text
    EXPECT_EQ(Markup_Decode("\xC3"), u"\u00C3");                  // cut sequence
    EXPECT_EQ(Markup_Decode("\xC0\xAF"), u"\u00C0\u00AF");        // overlong form
    EXPECT_EQ(Markup_Decode("\xED\xA0\x80").size(), 3u);          // surrogate
    EXPECT_EQ(Markup_Decode("\xF0\x9F\x98\x80"), u"\U0001F600");  // beyond 16 bits
    // 0xF1 is markup inside a line even where it would start a UTF-8 sequence.
    EXPECT_EQ(Markup_Plain("\xF1\x80"), u"\u0080");
    // Reports are UTF-8 files: Latin-1 bytes become their characters.
    EXPECT_EQ(Markup_Plain_Utf8("\xF1\x05" "caf\xE9 \xE2\x82\xAC\x02!"), "caf\xC3\xA9 \xE2\x82\xAC!");
}

double hue_distance(double a, double b) {
    const double d = std::fabs(a - b);
    return std::min(d, 360 - d);
}

// Every colour byte on every background the windows draw text on reaches 4.5:1 against what
// is behind it (the panel or the run's backing), keeps its hue, and a light colour stays light.
TEST(Palette, EveryMarkupColourIsReadableAndKeepsItsLook) {
    for (const Rgb background : {Main_Panel_Background, Progress_Panel_Background, Console_Background, Caption_Background}) {
        const Markup_Palette palette(background);
        for (uint8_t byte = Markup_Blue; byte <= Markup_Green; ++byte) {
            SCOPED_TRACE(testing::Message() << "background " << int(background.red) << "," << int(background.green) << ","
                                            << int(background.blue) << " colour byte " << int(byte));
            const Run_Colours& colours = palette.colours(byte);
            const Rgb behind = colours.backing.value_or(background);
            EXPECT_GE(Contrast_Ratio(colours.text, behind), Minimum_Contrast);
            const Hsl original = To_Hsl(Markup_Original(byte)), shown = To_Hsl(colours.text);
            if (original.saturation > 0) {
                EXPECT_LE(hue_distance(original.hue, shown.hue), 10.0);
                EXPECT_GE(shown.lightness, 0.18);  // still tells its hue, not near-black
            } else {
                EXPECT_EQ(shown.saturation, 0.0);
                EXPECT_EQ(shown.lightness >= 0.5, original.lightness >= 0.5);  // white stays white
            }
        }
    }
    // The ratios that made the panel hard to read, and their measure.
    EXPECT_NEAR(Contrast_Ratio({255, 0, 0}, Main_Panel_Background), 1.4, 0.05);
    EXPECT_NEAR(Contrast_Ratio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    // A colour that already reads well stays as it was.
    EXPECT_EQ(Markup_Palette(Progress_Panel_Background).colours(Markup_Blue).text, (Rgb{0, 0, 255}));
    EXPECT_FALSE(Markup_Palette(Progress_Panel_Background).colours(Markup_Black).backing);
}

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
    // Written while nobody listened: passed over, never said later.
    Text_Panel::Write(panel, "\xF1\x05WARNING:\x02 unheard");
    announcer.pass(panel);
    Text_Panel::Write(panel, "\xF1\x05WARNING:\x02 heard");
    EXPECT_EQ(announcer.take(panel), std::vector<std::u16string>{u"WARNING: heard"});

    for (int i = 0; i < 10; ++i) Text_Panel::Write(panel, ("    \xF1\x04" "ERROR:\x02 e" + std::to_string(i)).c_str());
    EXPECT_EQ(announcer.take(panel),
              (std::vector<std::u16string>{u"    ERROR: e0", u"    ERROR: e1", u"    ERROR: e2", u"7 more lines in the report"}));

    // More lines than the panel holds between two looks: only those still held are counted.
    for (int i = 0; i < 5000; ++i) Text_Panel::Write(panel, "WARNING: w");
    const std::vector<std::u16string> said = announcer.take(panel);
    ASSERT_EQ(said.size(), Panel_Announcer::Max_Said + 1);
    EXPECT_EQ(said.back(), u"4,093 more lines in the report");
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
