// The file naming rules of DICOM media, checked on the relative name of each DICOM file.
#include <string>
#include <string_view>

#include "dirscan/walk.h"

namespace {

constexpr std::size_t Max_Components = 8;  // values of a Referenced File ID
constexpr std::size_t Max_Length = 8;      // characters of one component

bool allowed(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ' '; }

// How a character appears in the warning: bytes the panel would take for markup, and any other
// byte outside printable ASCII, as "?".
char shown(char c) { return c >= 0x20 && c <= 0x7E ? c : '?'; }

// Calls mark(index, fault) for every character of name, fault being 0, Name_Too_Long or
// Name_Bad_Character, and for every separator with fault 0. Returns the number of components.
template <typename Mark>
std::size_t scan(std::string_view name, char separator, Mark&& mark) {
    std::size_t components = 0;
    for (std::size_t start = 0; start <= name.size(); ++components) {
        std::size_t end = name.find(separator, start);
        if (end == std::string_view::npos) end = name.size();
        // Readers drop the blanks that start or end a value: such a blank would name another file.
        std::size_t first = start, last = end;
        while (first < end && name[first] == ' ') ++first;
        while (last > first && name[last - 1] == ' ') --last;
        for (std::size_t i = start; i < end; ++i) {
            const uint8_t fault = i - start >= Max_Length                ? Name_Too_Long
                                  : !allowed(name[i]) || i < first || i >= last ? Name_Bad_Character
                                                                               : 0;
            mark(i, fault);
        }
        if (end == name.size()) return components + 1;
        mark(end, 0);
        start = end + 1;
    }
    return components;
}

}  // namespace

int Kestrapol_Name_Check(Win_Handle window, const std::string& name) { return Kestrapol_Name_Check(window, name, '\\'); }

uint8_t Media_Name_Faults(std::string_view name, char separator) {
    if (name.empty()) return 0;
    uint8_t noted = 0;
    const std::size_t components = scan(name, separator, [&noted](std::size_t, uint8_t fault) { noted |= fault; });
    return components > Max_Components ? noted | Name_Too_Long : noted;
}

int Kestrapol_Name_Check(Win_Handle window, const std::string& name, char separator) {
    if (name.empty()) return 1;
    uint8_t noted = 0;
    const std::size_t components = scan(name, separator, [&noted](std::size_t, uint8_t fault) { noted |= fault; });
    if (noted) {
        std::string marked;
        marked.reserve(name.size() + 16);
        scan(name, separator, [&](std::size_t i, uint8_t fault) {
            const char c = name[i] == separator ? '\\' : shown(name[i]);
            if (!fault) {
                marked.push_back(c);
                return;
            }
            marked.push_back('\x04');
            marked.push_back(c);
            marked.push_back('\x01');
        });
        Log_Message(window, LOG_WARNING, "\xF1\t\x05WARNING:\x02 Invalid file name \x01\"%s\" !", marked.c_str());
    }
    if (components > Max_Components) {
        std::string media_name = name;
        for (char& c : media_name) c = c == separator ? '\\' : shown(c);
        Log_Message(window, LOG_WARNING,
                    "\xF1\t\x05WARNING:\x02 Too many levels in \x01\"%s\"\x02: %zu, the standard only allows for %zu",
                    media_name.c_str(), components, Max_Components);
        noted |= Name_Too_Long;
    }
    name_flags |= noted;
    return noted ? 0 : 1;
}
