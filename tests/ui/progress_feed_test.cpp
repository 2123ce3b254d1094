// The progress window's shared state: bar arithmetic, the line queue and its wait, the
// running count, the live "n of N" line, and lines shortened in the middle.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <deque>
#include <thread>

#include "app/ui/progress_bar.h"
#include "app/ui/progress_feed.h"
#include "app/ui/progress_text.h"

namespace {

// A panel that keeps its lines, and a feed that counts what it would post.
class Lines final : public Panel_Target {
public:
    void write(const char* line) override { lines.emplace_back(line); }
    void overwrite(const char* line) override {
        if (!lines.empty()) lines.pop_back();
        lines.emplace_back(line);
    }
    std::string last_line() const override { return lines.empty() ? std::string() : lines.back(); }
    std::deque<std::string> lines;
};

class Feed final : public Progress_Feed {
public:
    std::atomic<int> posts[7] = {};

protected:
    void post(Progress_Event event) override { ++posts[static_cast<int>(event)]; }
};

TEST(ProgressBar, LengthFollowsThePositionWithinTheRange) {
    // Bar box 390 x 14: radius 5, so the rod's centre line can travel 390 - 14 = 376 pixels.
    EXPECT_EQ(Bar_Filled_Length(390, 14, 50, 100), 188);
    EXPECT_EQ(Bar_Filled_Length(390, 14, 150, 100), 376);  // above the maximum: full
    EXPECT_EQ(Bar_Filled_Length(390, 14, -5, 100), 0);     // negative: empty
    EXPECT_EQ(Bar_Filled_Length(390, 14, 7, 0), 0);        // no range: empty
    EXPECT_EQ(Bar_Filled_Length(390, 14, 2000000000, 2100000000), 358);  // no overflow

    Feed feed;
    feed.range(100);
    feed.set(150);
    EXPECT_EQ(feed.position(), 100);
    feed.add(60);
    feed.add(INT_MAX);
    EXPECT_EQ(feed.position(), 100);
    feed.add(INT_MIN);
    EXPECT_EQ(feed.position(), 0);

    const auto yellow = [](uint32_t rgb) { return (rgb >> 16) == ((rgb >> 8) & 0xFF) && (rgb >> 16) >= 20 && (rgb & 0xFF) == 0; };
    const Bar_Pixels empty = Bar_Picture(390, 14, 5, 0, 0x5A5A64);
    for (int x = 0; x < 390; ++x) EXPECT_FALSE(yellow(empty.at(x, 7)));
    const Bar_Pixels half = Bar_Picture(390, 14, 50, 100, 0x5A5A64);
    EXPECT_TRUE(yellow(half.at(7 + 188 + 4, 7)));  // right cap
    EXPECT_EQ(half.at(7 + 188 + 7, 7), 0x5A5A64u);
}

TEST(ProgressFeed, TwentyFiveLinesWaitForTheWindowToDrain) {
    Feed feed;
    std::atomic<int> sent{0};
    std::thread sender([&] {
        for (int i = 0; i < 25; ++i) {
            feed.text(("line " + std::to_string(i)).c_str());
            ++sent;
        }
    });
    // Nobody drains yet: 20 lines wait in the queue and the sender waits.
    for (int i = 0; i < 200 && feed.queued() < 20; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(feed.queued(), 20);
    EXPECT_EQ(sent.load(), 20);
    const auto lines_posted = [&feed] { return feed.posts[static_cast<int>(Progress_Event::Lines)].load(); };
    EXPECT_EQ(lines_posted(), 1);  // the waiting lines share one wake-up

    Lines panel;
    while (sent.load() < 25 || feed.queued() > 0) {
        feed.drain(panel);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    sender.join();
    EXPECT_GE(lines_posted(), 2);  // a line after a drain wakes the window again
    ASSERT_EQ(panel.lines.size(), 25u);
    for (std::size_t i = 0; i < 25; ++i) EXPECT_EQ(panel.lines[i], "line " + std::to_string(i));
}

TEST(ProgressFeed, CountingLineGrowsThenNOfNStaysLast) {
    Feed feed;
    Lines panel;
    feed.text(std::string(Counting_Line).c_str());
    feed.drain(panel);
    feed.counted(256);
    feed.counted(38244);
    feed.show_count(panel);
    EXPECT_EQ(panel.lines, (std::deque<std::string>{"\xF1 Counting files... \x01" "38,500"}));
    EXPECT_EQ(feed.posts[static_cast<int>(Progress_Event::Count)], 2);

    feed.text("\xF1 Dir has \x01" "38500\x02 files");
    feed.drain(panel);
    feed.counted(1);
    feed.show_count(panel);  // no longer the last line: left alone
    EXPECT_EQ(panel.lines.size(), 2u);

    feed.range(38500);
    feed.set(0);
    feed.show_reading(panel);
    feed.text("\xF1 Searching for DICOM files...");
    feed.text("\x02\t dir: \x01/data/CD");
    feed.drain(panel);
    feed.add(1234);
    feed.show_reading(panel);
    feed.cancel(panel, "cancel...");
    EXPECT_TRUE(feed.cancelled());
    const std::deque<std::string> expected = {"\xF1 Counting files... \x01" "38,500", "\xF1 Dir has \x01" "38500\x02 files",
                                              "\xF1 Searching for DICOM files...", "\x02\t dir: \x01/data/CD", "cancel...",
                                              "\xF1 \x01" "1,234\x02 of \x01" "38,500\x02 files"};
    EXPECT_EQ(panel.lines, expected);
}

TEST(ProgressText, NumbersAndMiddleElision) {
    EXPECT_EQ(Thousands(0), "0");
    EXPECT_EQ(Thousands(999), "999");
    EXPECT_EQ(Thousands(38500), "38,500");
    EXPECT_EQ(Thousands(-1234567), "-1,234,567");
    EXPECT_EQ(Thousands(LLONG_MIN), "-9,223,372,036,854,775,808");

    // One unit per character: the path loses its middle, the rest of the line stays whole.
    const auto width = [](const Text_Run& run) { return static_cast<int>(run.text.size()); };
    std::vector<Text_Run> runs = {{Markup_Black, Font_Style::Regular, u" dir: "},
                                  {Markup_Blue, Font_Style::Regular, u"/data/patients/2024/study-0001/SER1"}};
    Elide_Middle(runs, 26, width);
    EXPECT_EQ(runs[0].text, u" dir: ");
    EXPECT_EQ(runs[1].text, u"/data/pati\u20260001/SER1");
    EXPECT_EQ(width(runs[0]) + width(runs[1]), 26);

    std::vector<Text_Run> fits = {{Markup_Black, Font_Style::Regular, u"short"}};
    Elide_Middle(fits, 26, width);
    EXPECT_EQ(fits[0].text, u"short");
    // Without a path the longest run gives way; never below its two ends.
    std::vector<Text_Run> words = {{Markup_Black, Font_Style::Bold, u"DICOMDIR Done:"}, {Markup_Black, Font_Style::Regular, u"x"}};
    Elide_Middle(words, 1, width);
    EXPECT_EQ(words[0].text, u"D\u2026:");
}

}  // namespace
