// DICOM_Attribute_Cleanup_Tag: the rules of each VR in one table, run in order: conversion,
// padding, character set, range check, splitting, even-length padding; then the multiplicity.
#include "dicom/value_cleanup.h"

#include <array>
#include <new>

#include "dicom/value_cleanup_internal.h"

using namespace cleanup;

namespace {

enum class Before { Nothing, Printable, Int_From_Float, Time_Old_Syntax };
enum class Split { Multiple, Single };

struct Text_Rule {
    uint16_t vr;
    Before before;
    int lead, trail;      // padding cleaner; trail Cleanup_None: no padding cleaner
    const char* charset;  // nullptr: any byte
    Split split;
    int max;              // per value; 0: no limit
    char pad;             // appended to an odd length
};

constexpr int None = Cleanup_None;

constexpr std::array<Text_Rule, 13> Text_Rules = {{
    {VR_Code("AE"), Before::Printable, None, None, nullptr, Split::Multiple, 16, ' '},
    {VR_Code("CS"), Before::Nothing, ' ', ' ', "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ \\", Split::Multiple, 16, ' '},
    {VR_Code("DS"), Before::Nothing, ' ', ' ', "0123456789+-Ee. \\", Split::Multiple, 16, ' '},
    {VR_Code("DT"), Before::Nothing, None, ' ', "0123456789+-. \\", Split::Multiple, 26, ' '},
    {VR_Code("IS"), Before::Int_From_Float, ' ', ' ', "0123456789+- \\", Split::Multiple, 12, ' '},
    {VR_Code("LO"), Before::Nothing, ' ', ' ', nullptr, Split::Multiple, 64, ' '},
    {VR_Code("LT"), Before::Nothing, None, ' ', nullptr, Split::Single, 10240, ' '},
    {VR_Code("PN"), Before::Nothing, None, None, nullptr, Split::Multiple, 320, ' '},
    {VR_Code("SH"), Before::Nothing, ' ', ' ', nullptr, Split::Multiple, 16, ' '},
    {VR_Code("ST"), Before::Nothing, None, ' ', nullptr, Split::Single, 1024, ' '},
    {VR_Code("TM"), Before::Time_Old_Syntax, None, ' ', "0123456789. \\", Split::Multiple, 16, ' '},
    {VR_Code("UI"), Before::Nothing, None, '\0', "0123456789. \\", Split::Multiple, 64, '\0'},
    {VR_Code("UT"), Before::Nothing, None, ' ', nullptr, Split::Single, 0, ' '},
}};

struct Binary_Rule {
    uint16_t vr;
    std::size_t width;
    bool one_value;    // the whole value counts as one
    const char* name;  // what the length must be a multiple of
};

constexpr std::array<Binary_Rule, 9> Binary_Rules = {{
    {VR_Code("AT"), 4, true, "multiple 2*\"Unigned Short\""},
    {VR_Code("FD"), 8, false, "\"Floation Point Double\""},
    {VR_Code("FL"), 4, false, "\"Floation Point\""},
    {VR_Code("OF"), 4, true, "\"Other Float\""},
    {VR_Code("OW"), 2, true, "\"Other Word\""},
    {VR_Code("SL"), 4, false, "\"Signed Long\""},
    {VR_Code("UL"), 4, false, "\"Signed Long\""},
    {VR_Code("SS"), 2, false, "\"Signed Short\""},
    {VR_Code("US"), 2, false, "\"Unsigned Short\""},
}};

int clean_text(Win_Handle window, DICOM_Tag& node, const Prefixes& p, const Text_Rule& rule) {
    switch (rule.before) {
    case Before::Printable: cleanup_printable(window, node, p); break;
    case Before::Int_From_Float: DICOM_Tag_Cleanup_IS_From_Float(window, &node); break;
    case Before::Time_Old_Syntax: cleanup_time_old_syntax(window, node, p); break;
    case Before::Nothing: break;
    }
    if (rule.trail != None) DICOM_Tag_Cleanup_Padding(window, &node, rule.lead, rule.trail);
    if (rule.charset) DICOM_Tag_Cleanup_Charset(window, &node, rule.charset);
    if (rule.before == Before::Int_From_Float && !DICOM_Tag_Cleanup_Valid_Int(window, &node)) return 0;
    const int count = rule.split == Split::Multiple ? DICOM_Tag_Cleanup_Text_Multiple(window, &node, rule.max)
                                                    : DICOM_Tag_Cleanup_Text_Single(window, &node, rule.max);
    if (node.length % 2 != 0) {
        node.data.push_back(static_cast<uint8_t>(rule.pad));
        ++node.length;
    }
    return count;
}

// Number of values of the value as its VR's cleaner sees it; -1 when the VR has no rule.
int clean_by_vr(Win_Handle window, DICOM_Tag& node, const Prefixes& p) {
    const uint16_t vr = node.effective_vr();
    for (const Text_Rule& rule : Text_Rules)
        if (rule.vr == vr) return clean_text(window, node, p, rule);
    for (const Binary_Rule& rule : Binary_Rules)
        if (rule.vr == vr) return cleanup_binary(window, node, p, rule.width, rule.one_value, rule.name);
    switch (vr) {
    case VR_Code("AS"): return cleanup_age(window, node, p);
    case VR_Code("DA"): return cleanup_date(window, node, p);
    case VR_Code("OB"): case VR_Code("SQ"): case VR_Code("UN"): return 1;
    default: return -1;
    }
}

}  // namespace

int DICOM_Attribute_Cleanup_Tag(Win_Handle window, DICOM_Tag* node) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Cleanup_Tag(%04x,%04x)", node->group, node->element);
    if (!node->has_data()) return 1;
    int count = 0;
    try {
        count = clean_by_vr(window, *node, prefixes_of(*node));
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, "Prog_Lib/Corvanthis_DICOM/NEMA_Tag_Cleanup", "calloc", "new_data",
                         node->length, 1);
    }
    if (count < 0) return 0;
    if (count == 0) {
        node->data.clear();
        node->length = 0;
        return 0;
    }
    return DICOM_Tag_Cleanup_Multiplicity(window, node, count);
}
