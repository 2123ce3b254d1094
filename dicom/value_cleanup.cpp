// DICOM_Attribute_Cleanup_Tag: the steps of each VR, run in order: conversion, padding,
// character set, range check, splitting, even-length padding; then the multiplicity. What the
// steps check against (sets, lengths, number sizes, pad bytes) is the VR table's (vr.h).
#include "dicom/value_cleanup.h"

#include <array>
#include <new>
#include <string>

#include "dicom/value_cleanup_internal.h"
#include "dicom/vr.h"

using namespace cleanup;

namespace {

enum class Before { Nothing, Printable, Int_From_Float, Time_Old_Syntax };

// What the cleanup does to a text VR besides the VR table's rules (character set of the listed
// VRs, values, maximum length, pad byte).
struct Text_Rule {
    uint16_t vr;
    Before before;
    int lead, trail;  // padding cleaner; trail Cleanup_None: no padding cleaner
};

constexpr int None = Cleanup_None;

constexpr std::array<Text_Rule, 15> Text_Rules = {{
    {VR_Code("AE"), Before::Printable, None, None},
    {VR_Code("CS"), Before::Nothing, ' ', ' '},
    {VR_Code("DS"), Before::Nothing, ' ', ' '},
    {VR_Code("DT"), Before::Nothing, None, ' '},
    {VR_Code("IS"), Before::Int_From_Float, ' ', ' '},
    {VR_Code("LO"), Before::Nothing, ' ', ' '},
    {VR_Code("LT"), Before::Nothing, None, ' '},
    {VR_Code("PN"), Before::Nothing, None, None},
    {VR_Code("SH"), Before::Nothing, ' ', ' '},
    {VR_Code("ST"), Before::Nothing, None, ' '},
    {VR_Code("TM"), Before::Time_Old_Syntax, None, ' '},
    {VR_Code("UC"), Before::Nothing, None, ' '},
    {VR_Code("UI"), Before::Nothing, None, '\0'},
    {VR_Code("UR"), Before::Nothing, None, ' '},
    {VR_Code("UT"), Before::Nothing, None, ' '},
}};

// What the length of a binary value must be a multiple of, as the warning names it.
const char* number_name(uint16_t vr) {
    switch (vr) {
    case VR_Code("AT"): return "multiple 2*\"Unigned Short\"";
    case VR_Code("FD"): return "\"Floation Point Double\"";
    case VR_Code("FL"): return "\"Floation Point\"";
    case VR_Code("OD"): return "\"Other Double\"";
    case VR_Code("OF"): return "\"Other Float\"";
    case VR_Code("OL"): return "\"Other Long\"";
    case VR_Code("OV"): return "\"Other 64-bit Very Long\"";
    case VR_Code("OW"): return "\"Other Word\"";
    case VR_Code("SL"): case VR_Code("UL"): return "\"Signed Long\"";
    case VR_Code("SS"): return "\"Signed Short\"";
    case VR_Code("SV"): return "\"Signed 64-bit Very Long\"";
    case VR_Code("US"): return "\"Unsigned Short\"";
    case VR_Code("UV"): return "\"Unsigned 64-bit Very Long\"";
    default: return "\"Number\"";
    }
}

// The bytes the character-set cleaner keeps for a VR with a listed set: the set, the blank
// (padding, which the padding cleaner judges) and the backslash (separators).
const char* kept_bytes(const VR_Traits& vr) {
    static const std::array<std::string, VR_Table.size()> kept = [] {
        std::array<std::string, VR_Table.size()> sets;
        for (std::size_t i = 0; i < VR_Table.size(); ++i) {
            if (VR_Table[i].set == nullptr) continue;
            sets[i] = VR_Table[i].set;
            if (sets[i].find(' ') == std::string::npos) sets[i] += ' ';
            sets[i] += '\\';
        }
        return sets;
    }();
    return vr.set != nullptr ? kept[static_cast<std::size_t>(&vr - VR_Table.data())].c_str() : nullptr;
}

int clean_text(Win_Handle window, DICOM_Tag& node, const Prefixes& p, const Text_Rule& rule, const VR_Traits& vr) {
    switch (rule.before) {
    case Before::Printable: cleanup_printable(window, node, p); break;
    case Before::Int_From_Float: DICOM_Tag_Cleanup_IS_From_Float(window, &node); break;
    case Before::Time_Old_Syntax: cleanup_time_old_syntax(window, node, p); break;
    case Before::Nothing: break;
    }
    if (rule.trail != None) DICOM_Tag_Cleanup_Padding(window, &node, rule.lead, rule.trail);
    if (const char* set = kept_bytes(vr)) DICOM_Tag_Cleanup_Charset(window, &node, set);
    if (rule.before == Before::Int_From_Float && !DICOM_Tag_Cleanup_Valid_Int(window, &node)) return 0;
    const int count = vr.multiple ? DICOM_Tag_Cleanup_Text_Multiple(window, &node, vr.max)
                                  : DICOM_Tag_Cleanup_Text_Single(window, &node, vr.max);
    if (node.length % 2 != 0) {
        node.data.push_back(static_cast<uint8_t>(vr.pad));
        ++node.length;
    }
    return count;
}

// Number of values of the value as its VR's cleaner sees it; -1 when the VR has no rule.
int clean_by_vr(Win_Handle window, DICOM_Tag& node, const Prefixes& p) {
    const VR_Traits* vr = VR_Find(node.effective_vr());
    if (vr == nullptr) return -1;
    for (const Text_Rule& rule : Text_Rules)
        if (rule.vr == vr->code) return clean_text(window, node, p, rule, *vr);
    if (vr->width != 0) return cleanup_binary(window, node, p, vr->width, vr->one_value, number_name(vr->code));
    switch (vr->code) {
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
