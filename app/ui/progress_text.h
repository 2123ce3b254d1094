// Texts the progress window shows beside the driver's lines, and shortening of long lines.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ui/markup.h"

// 38500 -> "38,500".
std::string Thousands(long long value);

// The progress window's title and caption during a conversion, and the notes a cancel writes.
inline constexpr const char* Progress_Title = "Converting";
inline constexpr const char* Progress_Caption = "Zorvatine conversion";
inline constexpr const char* Progress_Cancel_Note = "cancel...";
inline constexpr const char* Progress_Closing_Note = "closing...";

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
