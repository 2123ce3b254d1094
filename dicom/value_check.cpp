// Checking a value against the rules of its VR without changing it.
#include "dicom/value_check.h"

#include <array>
#include <string_view>

#include "dicom/dictionary.h"
#include "dicom/tag.h"

namespace {

// Which bytes a text VR takes besides its listed set.
enum class Chars {
    Listed,     // only the bytes of set
    Printable,  // printable ASCII
    Text,       // anything but control characters, ESC excepted (character set switches)
    Lines,      // Text, plus tab, line feed, form feed and carriage return
};

struct Text_Rule {
    uint16_t vr;
    Chars chars;
    const char* set;  // Listed only
    bool multiple;    // "\" separates values
    std::size_t min, max;  // per value; max 0: no limit
};

constexpr std::array<Text_Rule, 17> Text_Rules = {{
    {VR_Code("AE"), Chars::Printable, nullptr, true, 0, 16},
    {VR_Code("AS"), Chars::Listed, "0123456789DWMY", true, 4, 4},
    {VR_Code("CS"), Chars::Listed, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ ", true, 0, 16},
    {VR_Code("DA"), Chars::Listed, "0123456789", true, 8, 8},
    {VR_Code("DS"), Chars::Listed, "0123456789+-Ee. ", true, 0, 16},
    {VR_Code("DT"), Chars::Listed, "0123456789+-. ", true, 0, 26},
    {VR_Code("IS"), Chars::Listed, "0123456789+- ", true, 0, 12},
    {VR_Code("LO"), Chars::Text, nullptr, true, 0, 64},
    {VR_Code("LT"), Chars::Lines, nullptr, false, 0, 10240},
    {VR_Code("PN"), Chars::Text, nullptr, true, 0, 320},
    {VR_Code("SH"), Chars::Text, nullptr, true, 0, 16},
    {VR_Code("ST"), Chars::Lines, nullptr, false, 0, 1024},
    {VR_Code("TM"), Chars::Listed, "0123456789. ", true, 0, 16},
    {VR_Code("UC"), Chars::Text, nullptr, true, 0, 0},
    {VR_Code("UI"), Chars::Listed, "0123456789.", true, 0, 64},
    {VR_Code("UR"), Chars::Printable, nullptr, false, 0, 0},
    {VR_Code("UT"), Chars::Lines, nullptr, false, 0, 0},
}};

struct Binary_Rule {
    uint16_t vr;
    std::size_t width;
    bool one_value;  // the whole value counts as one
};

constexpr std::array<Binary_Rule, 14> Binary_Rules = {{
    {VR_Code("AT"), 4, false}, {VR_Code("FD"), 8, false}, {VR_Code("FL"), 4, false}, {VR_Code("OD"), 8, true},
    {VR_Code("OF"), 4, true},  {VR_Code("OL"), 4, true},  {VR_Code("OV"), 8, true},  {VR_Code("OW"), 2, true},
    {VR_Code("SL"), 4, false}, {VR_Code("SS"), 2, false}, {VR_Code("SV"), 8, false}, {VR_Code("UL"), 4, false},
    {VR_Code("US"), 2, false}, {VR_Code("UV"), 8, false},
}};

constexpr char Escape = 0x1B;

// Each rule's listed bytes as a table, so a value is checked at one lookup per byte.
using Byte_Table = std::array<bool, 256>;
constexpr std::array<Byte_Table, Text_Rules.size()> Listed_Bytes = [] {
    std::array<Byte_Table, Text_Rules.size()> tables{};
    for (std::size_t i = 0; i < Text_Rules.size(); ++i)
        if (Text_Rules[i].set != nullptr)
            for (const char* c = Text_Rules[i].set; *c != '\0'; ++c) tables[i][static_cast<unsigned char>(*c)] = true;
    return tables;
}();

// rule is one of Text_Rules.
bool byte_allowed(const Text_Rule& rule, char c) {
    const auto byte = static_cast<unsigned char>(c);
    switch (rule.chars) {
    case Chars::Listed: return Listed_Bytes[static_cast<std::size_t>(&rule - Text_Rules.data())][byte];
    case Chars::Printable: return byte >= 0x20 && byte <= 0x7E;
    case Chars::Lines:
        if (c == '\t' || c == '\n' || c == '\f' || c == '\r') return true;
        [[fallthrough]];
    case Chars::Text: return (byte >= 0x20 && byte != 0x7F) || c == Escape;
    }
    return false;
}

// An IS value beyond -2**31 ... 2**31 - 1, judged as the cleanup judges it: by its count of
// digits and its first digit.
bool out_of_range(std::string_view value) {
    std::size_t digits = 0;
    char first = '\0';
    for (char c : value) {
        if (c == '-' || c == ' ') continue;
        if (digits++ == 0) first = c;
    }
    return digits > 10 || (digits == 10 && first > '2');
}

bool multiplicity_fits(const NEMA_db_Entry* dict, std::size_t count) {
    if (dict == nullptr || dict->count < 1 || count == 0) return true;
    const int low = static_cast<int16_t>(dict->vm[0][0]);
    const int high = static_cast<int16_t>(dict->vm[0][1]);
    const auto n = static_cast<int>(count);
    if (low == high) return n == low;
    return n >= low && (high < 1 || n <= high);
}

DICOM_Value_Verdict invalid(const char* fault) { return {false, 0, fault}; }

// Digits in components separated by single dots, none empty, none of several digits with a
// leading zero. The characters are already known to be digits and dots.
bool well_formed_uid(std::string_view uid) {
    std::size_t length = 0;  // of the current component
    bool leading_zero = false;
    for (char c : uid) {
        if (c == '.') {
            if (length == 0) return false;
            length = 0;
            continue;
        }
        if (length == 0) leading_zero = c == '0';
        else if (leading_zero) return false;
        ++length;
    }
    return length != 0;
}

// A person name: at most three component groups ("="), each at most 64 characters of at most
// five components ("^").
const char* person_name_fault(std::string_view name) {
    std::size_t groups = 0;
    for (std::size_t start = 0;; ++groups) {
        std::size_t end = name.find('=', start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view group = name.substr(start, end - start);
        if (group.size() > 64) return "a name group longer than 64 characters";
        std::size_t components = 1;
        for (char c : group) components += c == '^';
        if (components > 5) return "more than five name components";
        if (end == name.size()) break;
        start = end + 1;
    }
    return groups >= 3 ? "more than three name groups" : nullptr;
}

DICOM_Value_Verdict check_text(const Text_Rule& rule, std::string_view value, const NEMA_db_Entry* dict) {
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        std::size_t end = rule.multiple ? value.find('\\', start) : std::string_view::npos;
        if (end == std::string_view::npos) end = value.size();
        const std::string_view part = value.substr(start, end - start);
        if (rule.max != 0 && part.size() > rule.max) return invalid("a value longer than its VR allows");
        if (part.size() < rule.min && !part.empty()) return invalid("a value shorter than its VR needs");
        for (char c : part)
            if (!byte_allowed(rule, c)) return invalid("a character its VR does not allow");
        if (rule.vr == VR_Code("IS") && out_of_range(part)) return invalid("a number out of range");
        if (rule.vr == VR_Code("UI") && !well_formed_uid(part)) return invalid("a malformed UID");
        if (rule.vr == VR_Code("PN"))
            if (const char* fault = person_name_fault(part)) return invalid(fault);
        if (end == value.size()) break;
        start = end + 1;
    }
    if (!multiplicity_fits(dict, count + 1)) return invalid("a number of values its attribute does not allow");
    return {true, value.size(), nullptr};
}

}  // namespace

DICOM_Value_Verdict DICOM_Value_Check(uint16_t vr, const uint8_t* data, std::size_t length, const NEMA_db_Entry* dict) {
    for (const Binary_Rule& rule : Binary_Rules) {
        if (rule.vr != vr) continue;
        if (length % rule.width != 0) return invalid("a length that is not a multiple of its number size");
        if (!multiplicity_fits(dict, rule.one_value ? (length > 0 ? 1 : 0) : length / rule.width))
            return invalid("a number of values its attribute does not allow");
        return {true, length, nullptr};
    }
    for (const Text_Rule& rule : Text_Rules) {
        if (rule.vr != vr) continue;
        std::string_view value(reinterpret_cast<const char*>(data), data != nullptr ? length : 0);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\0')) value.remove_suffix(1);
        if (value.empty()) return {true, 0, nullptr};
        return check_text(rule, value, dict);
    }
    return {true, length, nullptr};
}
