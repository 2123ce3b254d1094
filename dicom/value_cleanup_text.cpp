// Text cleaners: padding, character set, multi-valued and one-valued texts.
#include <algorithm>
#include <cstdio>

#include "dicom/library_warning.h"
#include "dicom/value_cleanup.h"
#include "dicom/value_cleanup_internal.h"
#include "dicom/warning.h"

namespace cleanup {

std::string value_of(const DICOM_Tag& node) {
    const std::size_t n = std::min(node.data.size(), static_cast<std::size_t>(std::max(node.length, 0)));
    return std::string(node.data.begin(), node.data.begin() + static_cast<std::ptrdiff_t>(n));
}

void set_value(DICOM_Tag& node, const std::string& value) {
    node.data.assign(value.begin(), value.end());
    node.length = static_cast<int32_t>(value.size());
}

std::string terminated(const std::string& value) { return value.substr(0, value.find('\0')); }

Prefixes prefixes_of(const DICOM_Tag& node) {
    const uint16_t vr = node.effective_vr();
    const char first = vr ? static_cast<char>(vr >> 8) : '?';
    const char second = vr ? static_cast<char>(vr & 0xFF) : '?';
    char notice[64];
    char warning[96];
    std::snprintf(notice, sizeof notice, "    " DICOM_TAG_FORMAT " VR=%c%c", node.group, node.element,
                  first, second);
    std::snprintf(warning, sizeof warning, "%s" DICOM_TAG_FORMAT " VR=%c%c", DICOM_Warning_Prefix, node.group,
                  node.element, first, second);
    return {notice, warning};
}

}  // namespace cleanup

using namespace cleanup;

namespace {

std::string trimmed(const std::string& s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0, last = s.size();
    while (first < last && blank(s[first])) ++first;
    while (last > first && blank(s[last - 1])) --last;
    return s.substr(first, last - first);
}

// Cuts part to max with the "String too long!" warning.
void cut_to(Win_Handle window, DICOM_Tag& node, const Prefixes& p, std::string& part, int max) {
    if (max <= 0 || part.size() <= static_cast<std::size_t>(max)) return;
    const std::string kept = part.substr(0, static_cast<std::size_t>(max));
    const std::string rest = part.substr(static_cast<std::size_t>(max));
    Log_Message(window, DICOM_Warning_Kind, "%s String too long! (%d/vs/%d max) Truncated to \"%s\"(%s)",
                p.warning.c_str(), static_cast<int>(part.size()), max, kept.c_str(), rest.c_str());
    node.flags |= Tag_Flag::Error;
    part = kept;
}

}  // namespace

void DICOM_Tag_Cleanup_Padding(Win_Handle window, DICOM_Tag* node, int lead, int trail) {
    std::string v = value_of(*node);
    const Prefixes p = prefixes_of(*node);
    while (!v.empty() && v.back() == static_cast<char>(trail)) v.pop_back();
    const bool wrong_pad = !v.empty() && ((trail == '\0' && v.back() == ' ') || (trail == ' ' && v.back() == '\0'));
    if (wrong_pad) {
        Log_Message(window, DICOM_Notice_Kind,
                    trail == '\0' ? "%s invalid padding char used in \"%s\" (SPACE instead of NULL)"
                                  : "%s invalid padding char used in \"%s\" (NULL instead of SPACE)",
                    p.notice.c_str(), v.c_str());
        v.pop_back();
        node->flags |= Tag_Flag::Error;
    } else if (lead != Cleanup_None) {
        v.erase(0, std::min(v.size(), v.find_first_not_of(static_cast<char>(lead))));
    }
    set_value(*node, v);
}

int DICOM_Tag_Cleanup_Charset(Win_Handle window, DICOM_Tag* node, const char* set) {
    const std::string v = value_of(*node);
    const std::string allowed(set);
    std::string kept;
    for (char c : v)
        if (c != '\0' && allowed.find(c) != std::string::npos) kept += c;
    const int removed = static_cast<int>(v.size() - kept.size());
    if (removed > 0) {
        Log_Message(window, DICOM_Notice_Kind, "%s %d char in \"%s\" not from set \"%s\"",
                    prefixes_of(*node).notice.c_str(), removed, v.c_str(), set);
        set_value(*node, kept);
        node->flags |= Tag_Flag::Error;
    }
    return removed;
}

int DICOM_Tag_Cleanup_Text_Multiple(Win_Handle window, DICOM_Tag* node, int max) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Tag_Cleanup_Text_Multiple(%04x,%04x)", node->group, node->element);
    const Prefixes p = prefixes_of(*node);
    std::string v = terminated(value_of(*node));
    if (node->group % 2 == 0 && !v.empty() && v.back() == '\\') {
        Log_Message(window, DICOM_Notice_Kind, "%s Removed last char (=\\) from string!", p.notice.c_str());
        v.pop_back();
        node->flags |= Tag_Flag::Error;
    }
    std::string joined;
    int parts = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = v.find('\\', start);
        std::string part = v.substr(start, end == std::string::npos ? std::string::npos : end - start);
        cut_to(window, *node, p, part, max);
        if (parts++ > 0) joined += '\\';
        joined += trimmed(part);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    set_value(*node, joined);
    return parts;
}

int DICOM_Tag_Cleanup_Text_Single(Win_Handle window, DICOM_Tag* node, int max) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Tag_Cleanup_Text_Multiple(%04x,%04x)", node->group, node->element);
    std::string v = terminated(value_of(*node));
    cut_to(window, *node, prefixes_of(*node), v, max);
    set_value(*node, v);
    return 1;
}

namespace cleanup {

void cleanup_printable(Win_Handle window, DICOM_Tag& node, const Prefixes& p) {
    std::string v = value_of(node);
    int replaced = 0;
    for (char& c : v) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) {
            c = '_';
            ++replaced;
        }
    }
    if (replaced == 0) return;
    Log_Message(window, DICOM_Notice_Kind, "%s %d Invalid character in data", p.notice.c_str(), replaced);
    node.flags |= Tag_Flag::Error;
    set_value(node, v);
}

}  // namespace cleanup
