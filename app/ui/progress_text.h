// Texts the progress window shows beside the driver's lines, shortening of long lines, and where
// the window opens.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ui/markup.h"

// 38500 -> "38,500".
std::string Thousands(long long value);

// The driver's counting line; the window grows it into the running count.
inline constexpr std::string_view Counting_Line = "\xF1 Counting files...";
// "\xF1 Counting files... 38,500" with the number marked as numbers are.
std::string Counting_Line_With(long long counted);
// The live reading line: "1,234 of 20,000 files".
std::string Reading_Line(long long position, long long maximum);

// Shortens a line of runs to fit width (as measure tells a run's width): the run holding a path
// (a "/" or "\"), else the longest, loses characters from its middle, replaced by "…", until the
// line fits or that run keeps only its ends. The beginning and the end of a path are what tell
// it apart; a cut at the edge would hide its last folder.
void Elide_Middle(std::vector<Text_Run>& runs, int width, const std::function<int(const Text_Run&)>& measure);

// The progress window's size before scaling, and where it opens: centred on its main window's
// frame, but never left of or above it (the frame's edges: left, top, right, bottom).
inline constexpr int Progress_Width = 400;
inline constexpr int Progress_Height = 250;
struct Progress_Origin {
    int x = 0, y = 0;
};
inline Progress_Origin Progress_Place(int left, int top, int right, int bottom, int width, int height) {
    const int x = (left + right - width) / 2, y = (top + bottom - height) / 2;
    return {x > left ? x : left, y > top ? y : top};
}
