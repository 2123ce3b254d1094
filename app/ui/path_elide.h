// A folder too long for its column, shortened in the middle: its first folders and its last
// stay ("/home/u/…/series12"), since those tell one result from another.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Width in pixels of UTF-8 text in the column's font.
using Measure_Utf8 = std::function<int(std::string_view text)>;

// path as it fits width: whole when it fits; else whole folder names from both ends around
// "…" (the last name always kept); a path whose root, "…" and last name do not fit loses
// characters from its middle instead. Never cuts a UTF-8 character.
std::string Elide_Path(std::string_view path, int width, const Measure_Utf8& measure);
