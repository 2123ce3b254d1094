// Number cleaners: binary widths, IS written with decimals, IS range, and the number of values
// against the dictionary.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dicom/dictionary.h"
#include "dicom/value_cleanup.h"
#include "dicom/value_cleanup_internal.h"

using namespace cleanup;

namespace {

std::vector<std::string> split(const std::string& v) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = v.find('\\', start);
        parts.push_back(v.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// A decimal text truncated toward zero, printed as an integer (at most 12 characters).
std::string integer_text(Win_Handle window, const Prefixes& p, const std::string& decimal) {
    if (decimal.find_first_not_of(" \t") == std::string::npos) return decimal;
    double value = std::strtod(decimal.c_str(), nullptr);
    if (!std::isfinite(value)) value = value < 0 ? -9.2e18 : 9.2e18;
    value = std::clamp(std::trunc(value), -9.2e18, 9.2e18);
    char text[32];
    std::snprintf(text, sizeof text, "%-lld", static_cast<long long>(value));
    std::string out(text);
    if (out.size() > 12) {
        Log_Message(window, DICOM_Warning_Kind, "%s Value truncated to 12 bytes length (=%s)", p.warning.c_str(),
                    out.c_str());
        out.resize(12);
    }
    return out;
}

}  // namespace

void DICOM_Tag_Cleanup_IS_From_Float(Win_Handle window, DICOM_Tag* node) {
    const std::string old = terminated(value_of(*node));
    if (old.find('.') == std::string::npos) return;
    const Prefixes p = prefixes_of(*node);
    std::string converted;
    bool first = true;
    for (const std::string& part : split(old)) {
        if (!first) converted += '\\';
        first = false;
        converted += integer_text(window, p, part);
    }
    Log_Message(window, DICOM_Warning_Kind, "%s Invalid data! Converted from \"%s\" to \"%s\"", p.warning.c_str(),
                old.c_str(), converted.c_str());
    node->flags |= Tag_Flag::Error;
    set_value(*node, converted);
}

int DICOM_Tag_Cleanup_Valid_Int(Win_Handle window, DICOM_Tag* node) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Tag_Cleanup_Valid_Int(%04x,%04x)", node->group, node->element);
    for (const std::string& part : split(terminated(value_of(*node)))) {
        std::string digits;
        for (char c : part)
            if (c != '-' && c != ' ') digits += c;
        if (digits.size() > 10 || (digits.size() == 10 && digits[0] > '2')) {
            Log_Message(window, DICOM_Warning_Kind, "%s Value out of range (%s \\vs\\ -2**31 to 2**31 - 1)",
                        prefixes_of(*node).warning.c_str(), digits.c_str());
            node->flags |= Tag_Flag::Invalid;
            return 0;
        }
    }
    return 1;
}

int DICOM_Tag_Cleanup_Multiplicity(Win_Handle window, DICOM_Tag* node, int count) {
    const NEMA_db_Entry* entry = node->dict;
    if (entry == nullptr || entry->count < 1) return 1;
    const int low = static_cast<int16_t>(entry->vm[0][0]);
    const int high = static_cast<int16_t>(entry->vm[0][1]);
    const std::string warning = prefixes_of(*node).warning;
    if (low == high) {
        if (count == low) return 1;
        Log_Message(window, DICOM_Warning_Kind, "%s Invalid number of values in data!, Expecting VN=%d but got %d values",
                    warning.c_str(), low, count);
    } else if (count >= low) {
        if (high < 1 || count <= high) return 1;
        Log_Message(window, DICOM_Warning_Kind, "%s To many values in data! Expecting VN=%d-%d but got %d values",
                    warning.c_str(), low, high, count);
    } else if (high < 1) {
        Log_Message(window, DICOM_Warning_Kind, "%s Not enough values in data! Expecting VN=%d-n but got %d values",
                    warning.c_str(), low, count);
    } else {
        Log_Message(window, DICOM_Warning_Kind, "%s Not enough values in data! Expecting VN=%d-%d but got %d values",
                    warning.c_str(), low, high, count);
    }
    node->flags |= Tag_Flag::Invalid;
    return 0;
}

namespace cleanup {

int cleanup_binary(Win_Handle window, DICOM_Tag& node, const Prefixes& p, std::size_t width, bool one_value,
                   const char* name) {
    const auto length = static_cast<std::size_t>(std::max(node.length, 0));
    if (length % width != 0) {
        Log_Message(window, DICOM_Warning_Kind, "%s Invalid data! Expecting %s but got %d bytes", p.warning.c_str(),
                    name, node.length);
        node.flags |= Tag_Flag::Invalid;
        return 0;
    }
    if (length == 0) return 0;
    return one_value ? 1 : static_cast<int>(length / width);
}

}  // namespace cleanup
