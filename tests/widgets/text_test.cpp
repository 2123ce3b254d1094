// The text panel: markup runs, UTF-8 with its Latin-1 fallback, the line and write limits,
// over-writing and scrolling.
#include <QtTest>

#include "widgets/markup.h"
#include "widgets/text.h"

namespace {
const QColor Black(0, 0, 0), Yellow(255, 255, 0), Red(255, 0, 0);

void fill(Text& panel, int count) {
    for (int i = 0; i < count; ++i) Text::Write(panel, ("line " + std::to_string(i)).c_str());
}
}  // namespace

class Text_Test : public QObject {
    Q_OBJECT
private slots:
    void markup_splits_runs_and_keeps_state_across_bytes() {
        // Bold yellow "WARNING:", then black bold text: the font stays when only the colour changes.
        const auto runs = Markup_Parse("\xF1\x05WARNING:\x02 bad line");
        QCOMPARE(runs.size(), 2u);
        QCOMPARE(runs[0], (Text_Run{Yellow, Font_Style::Bold, "WARNING:"}));
        QCOMPARE(runs[1], (Text_Run{Black, Font_Style::Bold, " bad line"}));

        // A line starts black and regular; markup with nothing between makes no empty run,
        // and equal neighbours merge.
        const auto plain = Markup_Parse("a\x01\x04" "b\x04" "c\xF2\xF0" "d\xF2" "e\x06\xF0");
        QCOMPARE(plain.size(), 3u);
        QCOMPARE(plain[0], (Text_Run{Black, Font_Style::Regular, "a"}));
        QCOMPARE(plain[1], (Text_Run{Red, Font_Style::Regular, "bcd"}));
        QCOMPARE(plain[2], (Text_Run{Red, Font_Style::Oblique, "e"}));  // trailing markup adds nothing
    }

    void text_bytes_decode_as_utf8_or_latin1() {
        QCOMPARE(Markup_Decode("caf\xC3\xA9"), QString::fromUtf8("café"));        // valid UTF-8
        QCOMPARE(Markup_Decode("\xE9t\xE9"), QString::fromLatin1("\xE9t\xE9"));  // Latin-1 text
        QCOMPARE(Markup_Decode("\xC3"), QString(QChar(0xC3)));                     // cut sequence
        QCOMPARE(Markup_Decode("\xC0\xAF"), QString::fromLatin1("\xC0\xAF"));      // overlong form
        QCOMPARE(Markup_Decode("\xED\xA0\x80").size(), 3);                         // surrogate
        QCOMPARE(Markup_Decode("\xF0\x9F\x98\x80"), QString::fromUtf8("\xF0\x9F\x98\x80"));
        // 0xF1 is markup inside a line even where it would start a UTF-8 sequence.
        QCOMPARE(Markup_Plain("\xF1\x80"), QString(QChar(0x80)));
    }

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
