// The text panel every toolkit draws: its limits, over-writing, clamped scrolling that keeps a
// scrolled view on its lines, the thumb, tab stops, and the report it keeps.
#include <gtest/gtest.h>

#include "app/ui/line_layout.h"
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

    // Too wide: the path loses its middle, its ends stay.
    const std::vector<Placed_Run> cut = Lay_Out_Line("Reading \x01/data/scans/march/patient/IMG00042", 0, 200, 32, measure);
    const std::u16string& path = cut.back().pieces.back().text;
    EXPECT_LE(cut.back().end, 200);
    EXPECT_TRUE(path.starts_with(u"/data") && path.ends_with(u"IMG00042") && path.find(u'\u2026') != std::u16string::npos);
}

}  // namespace

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
