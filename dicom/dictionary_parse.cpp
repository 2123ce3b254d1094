// The line parser of the dictionary text: "(gggg,eeee) Name VR VM [RET]" with "x" digits
// for repeating groups and elements, and up to three "(VR VM) or (VR VM)" alternatives.
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "dicom/dictionary_table.h"
#include "dicom/warning.h"

namespace {

constexpr std::size_t Max_Line = 159;
constexpr std::size_t Name_Column = 12;
constexpr std::size_t Max_Name = 79;
constexpr std::size_t Max_VM_Text = 10;

bool Is_Blank(char c) { return c == ' ' || c == '\t'; }

// The line is read through a view that shrinks from its end: no copy of it is made.
void Trim_End(std::string_view& text) {
    while (!text.empty() && Is_Blank(text.back())) text.remove_suffix(1);
}

bool Ends_With(std::string_view text, std::string_view tail) { return text.ends_with(tail); }

// A hexadecimal digit's value, or -1 (an "x" of a repeating group, or anything else).
int Hex_Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Four hexadecimal digits at `column`; an "x" (or anything else) reads as 0 and clears
// that digit of the mask.
void Read_Hex4(std::string_view line, std::size_t column, uint16_t& value, uint16_t& mask) {
    value = 0;
    mask = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = Hex_Digit(column + i < line.size() ? line[column + i] : '\0');
        value = static_cast<uint16_t>((value << 4) | (digit < 0 ? 0 : digit));
        mask = static_cast<uint16_t>((mask << 4) | (digit < 0 ? 0 : 0xF));
    }
}

// A "VR VM" pair, each a zero-terminated text as the table's insertion takes them.
struct Pair_Text {
    char vr[3] = {};
    char vm[Max_VM_Text + 1] = {};
};

// Takes "VR VM" off the end of the buffer. False when there is no blank to split at.
bool Read_Pair(std::string_view& buffer, Pair_Text& pair) {
    if (buffer.size() < 2) return false;
    std::size_t blank = buffer.find_last_of(" \t", buffer.size() - 2);
    if (blank == std::string_view::npos) return false;
    buffer.substr(blank + 1, Max_VM_Text).copy(pair.vm, Max_VM_Text);
    buffer = buffer.substr(0, blank);
    Trim_End(buffer);
    if (buffer.size() < 2) return false;
    buffer.substr(buffer.size() - 2).copy(pair.vr, 2);
    buffer.remove_suffix(2);
    Trim_End(buffer);
    return true;
}

// A single pair ends in a number or in an open range such as "1-n" or "2-2n".
bool Ends_With_VM(std::string_view buffer) {
    if (buffer.empty()) return false;
    char last = buffer.back();
    if (std::isdigit(static_cast<unsigned char>(last))) return true;
    std::size_t n = buffer.size();
    return last == 'n' && ((n >= 2 && buffer[n - 2] == '-') || (n >= 3 && buffer[n - 3] == '-'));
}

void Syntax_Warning(const char* line) {
    DICOM_Warning(nullptr, "Syntax error in definition file for %12.12s", line);
}

}  // namespace

int NEMA_db_Dictionary::read_table(const char* const* lines, std::size_t line_count, bool index) {
    int added = 0;
    for (std::size_t i = 0; i < line_count; ++i) {
        const char* line = lines[i] != nullptr ? lines[i] : "";
        std::string_view buffer(line, static_cast<std::size_t>(std::find(line, line + Max_Line, '\0') - line));

        uint16_t group = 0, group_mask = 0, element = 0, element_mask = 0;
        Read_Hex4(buffer, 1, group, group_mask);
        Read_Hex4(buffer, 6, element, element_mask);

        bool retired = false;
        Trim_End(buffer);
        if (Ends_With(buffer, "RET")) {
            retired = true;
            buffer.remove_suffix(3);
            Trim_End(buffer);
        }

        Pair_Text pairs[3];
        int count = 0;
        if (Ends_With(buffer, ")")) {
            // Alternatives are read from the last; only " or " leads to one more, so a
            // name that itself ends in ")" or "or" ("... Descriptor") stays whole.
            bool more = true;
            while (more) {
                if (count == 3) {
                    Syntax_Warning(line);
                    if (index) build_index();
                    return added;
                }
                buffer.remove_suffix(1);
                Trim_End(buffer);
                if (!Read_Pair(buffer, pairs[count]) || !Ends_With(buffer, "(")) {
                    Syntax_Warning(line);
                    if (index) build_index();
                    return added;
                }
                ++count;
                buffer.remove_suffix(1);
                Trim_End(buffer);
                more = Ends_With(buffer, ") or");
                if (more) {
                    buffer.remove_suffix(3);
                    Trim_End(buffer);
                }
            }
        } else if (Ends_With_VM(buffer) && Read_Pair(buffer, pairs[0])) {
            count = 1;
        }
        // The alternatives were read last first; entries list them in line order.
        std::reverse(pairs, pairs + count);

        std::string_view name = buffer.size() > Name_Column ? buffer.substr(Name_Column, Max_Name) : "";
        name.remove_prefix(std::min(name.size(), name.find_first_not_of(" \t")));
        Trim_End(name);

        const char* vr[3] = {pairs[0].vr, pairs[1].vr, pairs[2].vr};
        const char* vm[3] = {pairs[0].vm, pairs[1].vm, pairs[2].vm};
        added += insert(group, element, group_mask, element_mask, name,
                        retired ? -count : count, vr, vm);
    }
    if (index) build_index();
    return added;
}
