// What a screen reader gets from the windows, shared by both toolkits: the panels' text, the
// progress value, the names of the parts the windows draw themselves, and which new panel
// lines are announced. Each toolkit only hands these to its accessibility interface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Text_Panel;

inline constexpr char Accessible_Panel_Name[] = "Report";
inline constexpr char Accessible_Progress_Lines_Name[] = "Progress lines";
inline constexpr char Accessible_Bar_Name[] = "Progress";
inline constexpr char Accessible_Cancel_Name[] = "Cancel";

// The lines without their markup, one a line, "\n" between them.
std::u16string Accessible_Text(const std::vector<std::string>& lines);

// Whether a new panel line is worth interrupting nobody for: warnings, errors, refusals and
// each folder's outcome. File lines, counts and configuration lines are not announced.
bool Accessible_Announces(std::string_view line);

// The bar's value as words: "1,234 of 20,000 files"; empty while there is no range.
std::u16string Accessible_Progress_Value(long long position, long long maximum);

// Follows a panel and hands out what to announce of the lines written since the last call: the
// announced ones without markup, at most Max_Said of them, then "N more lines in the report" so
// that a folder of a thousand bad names is not read out name by name. Lines written and
// dropped from the panel in between are skipped, never invented.
class Panel_Announcer {
public:
    static constexpr std::size_t Max_Said = 3;
    std::vector<std::u16string> take(const Text_Panel& panel);
    // The same when nobody listens: the lines written since are passed over unread (they are
    // not news later), which spares looking at each of them.
    void pass(const Text_Panel& panel);

private:
    bool started_ = false;
    std::uint64_t seen_ = 0;
};
