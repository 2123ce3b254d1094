// The text panel: the line and write limits, over-writing and scrolling.
#include <QtTest>

#include "widgets/text.h"

namespace {
void fill(Text& panel, int count) {
    for (int i = 0; i < count; ++i) Text::Write(panel, ("line " + std::to_string(i)).c_str());
}
}  // namespace

class Text_Test : public QObject {
    Q_OBJECT
private slots:
    void panel_keeps_the_newest_4096_lines() {
        Text panel;
        fill(panel, 5000);
        QCOMPARE(Text::Line_Count(panel), Text::Max_Lines);
        QCOMPARE(Text::Line(panel, 0), std::string("line 904"));
        QCOMPARE(Text::Line(panel, 4095), std::string("line 4999"));
    }

    void a_write_takes_255_bytes_and_splits_at_newlines() {
        Text panel;
        Text::Write(panel, std::string(300, 'a').c_str());
        QCOMPARE(Text::Line(panel, 0).size(), 255u);
        // A UTF-8 character across the limit is left out whole rather than cut in half.
        Text::Write(panel, (std::string(254, 'b') + "\xC3\xA9").c_str());
        QCOMPARE(Text::Line(panel, 1), std::string(254, 'b'));
        Text::Write(panel, (std::string(253, 'c') + "\xC3\xA9\xA9").c_str());  // whole character, stray byte cut
        QCOMPARE(Text::Line(panel, 2), std::string(253, 'c') + "\xC3\xA9");
        Text::Write(panel, "one\ntwo\n");
        QCOMPARE(Text::Line_Count(panel), 6u);
        QCOMPARE(Text::Line(panel, 3), std::string("one"));
        QCOMPARE(Text::Line(panel, 5), std::string());
        Text::OverWrite(panel, "new");
        QCOMPARE(Text::Line_Count(panel), 6u);
        QCOMPARE(Text::Line(panel, 5), std::string("new"));
    }

    void scrolling_is_clamped_and_a_scrolled_view_stays_put() {
        Text panel;
        Text::Layout(panel, QRect(0, 0, 300, 100), Qt::white);
        fill(panel, 50);
        Text::Scroll(panel, 3);  // already at the newest line
        QCOMPARE(Text::Scroll_Back(panel), 0);
        Text::Scroll(panel, -5);
        QCOMPARE(Text::Scroll_Back(panel), 5);
        Text::Write(panel, "more");
        QCOMPARE(Text::Scroll_Back(panel), 6);  // still showing the same lines
        Text::Scroll(panel, -1000);
        const int top = Text::Scroll_Back(panel);
        QVERIFY(top > 6 && top < 50);
        Text::Scroll(panel, 1000);
        QCOMPARE(Text::Scroll_Back(panel), 0);
    }
};

QTEST_MAIN(Text_Test)
#include "text_test.moc"
