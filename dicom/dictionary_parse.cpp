// The line parser of the dictionary text: "(gggg,eeee) Name VR VM [RET]" with "x" digits
// for repeating groups and elements, and up to three "(VR VM) or (VR VM)" alternatives.
#include <algorithm>
#include <cctype>
#include <string>

#include "dicom/dictionary_table.h"
#include "dicom/warning.h"

namespace {

constexpr std::size_t Max_Line = 159;
constexpr std::size_t Name_Column = 12;
constexpr std::size_t Max_Name = 79;
constexpr std::size_t Max_VM_Text = 10;

bool Is_Blank(char c) { return c == ' ' || c == '\t'; }

void Trim_End(std::string& text) {
    while (!text.empty() && Is_Blank(text.back())) text.pop_back();
}

bool Ends_With(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Four hexadecimal digits at `column`; an "x" (or anything else) reads as 0 and clears
// that digit of the mask.
void Read_Hex4(const std::string& line, std::size_t column, uint16_t& value, uint16_t& mask) {
    value = 0;
    mask = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        char c = column + i < line.size() ? line[column + i] : '\0';
        int digit = 0;
        bool hex = std::isxdigit(static_cast<unsigned char>(c)) != 0;
        if (hex) digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
        value = static_cast<uint16_t>((value << 4) | digit);
        mask = static_cast<uint16_t>((mask << 4) | (hex ? 0xF : 0));
    }
}

struct Pair_Text {
    std::string vr;
    std::string vm;
};

// Takes "VR VM" off the end of the buffer. False when there is no blank to split at.
bool Read_Pair(std::string& buffer, Pair_Text& pair) {
    if (buffer.size() < 2) return false;
    std::size_t blank = buffer.find_last_of(" \t", buffer.size() - 2);
    if (blank == std::string::npos) return false;
    pair.vm = buffer.substr(blank + 1, Max_VM_Text);
    buffer.resize(blank);
    Trim_End(buffer);
    if (buffer.size() < 2) return false;
    pair.vr = buffer.substr(buffer.size() - 2);
    buffer.resize(buffer.size() - 2);
    Trim_End(buffer);
    return true;
}

// A single pair ends in a number or in an open range such as "1-n" or "2-2n".
bool Ends_With_VM(const std::string& buffer) {
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
        std::string buffer(line, std::find(line, line + Max_Line, '\0'));

        uint16_t group = 0, group_mask = 0, element = 0, element_mask = 0;
        Read_Hex4(buffer, 1, group, group_mask);
        Read_Hex4(buffer, 6, element, element_mask);

        bool retired = false;
        Trim_End(buffer);
        if (Ends_With(buffer, "RET")) {
            retired = true;
            buffer.resize(buffer.size() - 3);
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
                buffer.pop_back();
                Trim_End(buffer);
                if (!Read_Pair(buffer, pairs[count]) || !Ends_With(buffer, "(")) {
                    Syntax_Warning(line);
                    if (index) build_index();
                    return added;
                }
                ++count;
                buffer.pop_back();
                Trim_End(buffer);
                more = Ends_With(buffer, ") or");
                if (more) {
                    buffer.resize(buffer.size() - 3);
                    Trim_End(buffer);
                }
            }
        } else if (Ends_With_VM(buffer) && Read_Pair(buffer, pairs[0])) {
            count = 1;
        }
        // The alternatives were read last first; entries list them in line order.
        std::reverse(pairs, pairs + count);

        std::string name = buffer.size() > Name_Column ? buffer.substr(Name_Column, Max_Name) : "";
        name.erase(0, std::min(name.size(), name.find_first_not_of(" \t")));
        Trim_End(name);

        const char* vr[3] = {pairs[0].vr.c_str(), pairs[1].vr.c_str(), pairs[2].vr.c_str()};
        const char* vm[3] = {pairs[0].vm.c_str(), pairs[1].vm.c_str(), pairs[2].vm.c_str()};
        added += insert(group, element, group_mask, element_mask, name,
                        retired ? -count : count, vr, vm);
    }
    if (index) build_index();
    return added;
}
