// Checking a value against the rules of its VR without changing it.
#include "dicom/value_check.h"

#include <array>
#include <string_view>

#include "dicom/dictionary.h"
#include "dicom/tag.h"
#include "dicom/vr.h"

namespace {

constexpr char Escape = 0x1B;

// Whether a VR's character rule allows a byte (rule is a row of VR_Table).
constexpr bool rule_allows(const VR_Traits& rule, unsigned char byte) {
    switch (rule.chars) {
    case VR_Chars::Listed:
        for (const char* c = rule.set; c != nullptr && *c != '\0'; ++c)
            if (static_cast<unsigned char>(*c) == byte) return true;
        return false;
    case VR_Chars::Printable: return byte >= 0x20 && byte <= 0x7E;
    case VR_Chars::Lines:
        if (byte == '\t' || byte == '\n' || byte == '\f' || byte == '\r') return true;
        [[fallthrough]];
    case VR_Chars::Text: return (byte >= 0x20 && byte != 0x7F) || byte == Escape;
    case VR_Chars::None: break;
    }
    return false;
}

// Each VR's rule as a table, so a value is checked at one lookup per byte.
using Byte_Table = std::array<bool, 256>;
constexpr std::array<Byte_Table, VR_Table.size()> Allowed_Bytes = [] {
    std::array<Byte_Table, VR_Table.size()> tables{};
    for (std::size_t i = 0; i < VR_Table.size(); ++i)
        for (std::size_t byte = 0; byte < 256; ++byte) tables[i][byte] = rule_allows(VR_Table[i], static_cast<unsigned char>(byte));
    return tables;
}();

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

DICOM_Value_Verdict check_text(const VR_Traits& rule, std::string_view value, const NEMA_db_Entry* dict) {
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        std::size_t end = rule.multiple ? value.find('\\', start) : std::string_view::npos;
        if (end == std::string_view::npos) end = value.size();
        const std::string_view part = value.substr(start, end - start);
        if (rule.max != 0 && part.size() > rule.max) return invalid("a value longer than its VR allows");
        if (part.size() < rule.min && !part.empty()) return invalid("a value shorter than its VR needs");
        const Byte_Table& allowed = Allowed_Bytes[static_cast<std::size_t>(&rule - VR_Table.data())];
        for (char c : part)
            if (!allowed[static_cast<unsigned char>(c)]) return invalid("a character its VR does not allow");
        if (rule.code == VR_Code("IS") && out_of_range(part)) return invalid("a number out of range");
        if (rule.code == VR_Code("UI") && !well_formed_uid(part)) return invalid("a malformed UID");
        if (rule.code == VR_Code("PN"))
            if (const char* fault = person_name_fault(part)) return invalid(fault);
        if (end == value.size()) break;
        start = end + 1;
    }
    if (!multiplicity_fits(dict, count + 1)) return invalid("a number of values its attribute does not allow");
    return {true, value.size(), nullptr};
}

}  // namespace

DICOM_Value_Verdict DICOM_Value_Check(uint16_t vr, const uint8_t* data, std::size_t length, const NEMA_db_Entry* dict) {
    const VR_Traits* rule = VR_Find(vr);
    if (rule == nullptr) return {true, length, nullptr};
    if (rule->width != 0) {
        if (length % rule->width != 0) return invalid("a length that is not a multiple of its number size");
        if (!multiplicity_fits(dict, rule->one_value ? (length > 0 ? 1 : 0) : length / rule->width))
            return invalid("a number of values its attribute does not allow");
        return {true, length, nullptr};
    }
    if (rule->binary()) return {true, length, nullptr};
    const std::string_view value(reinterpret_cast<const char*>(data), DICOM_Value_Unpadded(data, length));
    if (value.empty()) return {true, 0, nullptr};
    return check_text(*rule, value, dict);
}

std::size_t DICOM_Value_Unpadded(const uint8_t* data, std::size_t length) {
    if (data == nullptr) return 0;
    while (length > 0 && (data[length - 1] == ' ' || data[length - 1] == '\0')) --length;
    return length;
}
