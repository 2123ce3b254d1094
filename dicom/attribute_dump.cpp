// The trace dump of a data set: one coloured line per element with a rendering of its value.
#include "dicom/attribute_dump.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "dicom/byte_order.h"
#include "dicom/dictionary.h"
#include "dicom/nesting.h"
#include "dicom/uid_table.h"

namespace {

constexpr int32_t Value_Cap = 250;
constexpr const char* Text_VRs[] = {"AE", "AS", "CS", "DA", "DS", "DT", "IS", "LO", "LT", "PN", "SH", "ST", "TM", "UT"};

bool vr_is(uint16_t vr, const char* code) { return vr == static_cast<uint16_t>((code[0] << 8) | code[1]); }

const char* origin_label(uint16_t flags) {
    const char* label = "         ";
    switch (flags & Tag_Flag::Origin_Mask) {
    case Tag_Flag::Origin_DICOM: label = "(DICOM)  "; break;
    case Tag_Flag::Origin_Library: label = "(Corv)   "; break;
    case Tag_Flag::Origin_Module: label = "(Module) "; break;
    default: break;
    }
    static constexpr struct { uint16_t flag; const char* label; } later[] = {
        {Tag_Flag::Retired, "(Retired)"}, {Tag_Flag::Private, "(Private)"}, {Tag_Flag::Deleted, "(Deleted)"},
        {Tag_Flag::Invalid, "(Invalid)"}, {Tag_Flag::Default, "(Default)"}, {Tag_Flag::Forced, "(Forced) "},
        {Tag_Flag::Append, "(Append) "}};
    for (const auto& l : later) {
        if (flags & l.flag) label = l.label;
    }
    return label;
}

char prefix_char(uint16_t flags) {
    char prefix = ' ';
    if (flags & Tag_Flag::Append) prefix = '+';
    if (flags & Tag_Flag::Syntax_Mark) prefix = 'o';
    if (flags & Tag_Flag::Forced) prefix = '!';
    if (flags & Tag_Flag::Default) prefix = '=';
    return prefix;
}

const char* type_colour(uint16_t type) {
    if (type == VR_Code("1 ") || type == VR_Code("1C")) return "\x04";
    if (type == VR_Code("2 ") || type == VR_Code("2C")) return "\x05";
    if (type == VR_Code("3 ")) return "\x06";
    return "\x02";
}

void append(std::string& out, const char* format, auto... args) {
    char piece[64];
    std::snprintf(piece, sizeof piece, format, args...);
    out += piece;
}

// Numbers of width bytes each, separated by " / ", up to max_bytes of the first n.
template <typename Render>
std::string numbers(const DICOM_Tag& node, int32_t n, int width, int max_bytes, Render render) {
    std::string out;
    int32_t at = 0;
    for (; at + width <= n && at < max_bytes; at += width) {
        if (at > 0) out += " / ";
        render(out, node.data.data() + at);
    }
    if (at < n) out += " ...";
    return out;
}

std::string raw_units(const DICOM_Tag& node, int32_t n, bool words, int max_bytes) {
    std::string out;
    const int width = words ? 2 : 1;
    int32_t at = 0;
    for (; at + width <= n && at < max_bytes; at += width) {
        if (at > 0) out += " ";
        if (words) append(out, "%04x", DICOM_Read_16(node.syntax, node.data.data() + at));
        else append(out, "%02x", node.data[at]);
    }
    if (at < n) out += " ...";
    return out;
}

}  // namespace

std::string DICOM_Attribute_Stool_Value(const DICOM_Tag& node) {
    if (node.data.empty()) {
        if (node.length > 0) {
            std::string out;
            append(out, "(data from file at offset=%d)", static_cast<int>(node.pos_data));
            return out;
        }
        return {};
    }
    const uint16_t vr = node.effective_vr();
    int32_t n = node.length < Value_Cap ? node.length : Value_Cap;
    if (n > static_cast<int32_t>(node.data.size())) n = static_cast<int32_t>(node.data.size());
    if (n < 0) n = 0;
    const char* bytes = reinterpret_cast<const char*>(node.data.data());
    const std::string text(bytes, strnlen(bytes, static_cast<std::size_t>(n)));

    for (const char* t : Text_VRs) {
        if (vr_is(vr, t)) return node.length > Value_Cap ? text + "..." : text;
    }
    const int code = node.syntax;
    if (vr_is(vr, "UI")) {
        if (node.length < Value_Cap) {
            if (const char* name = NEMA_UID_Name(text.c_str())) return std::string("= ") + name;
            return text;
        }
        return text + "...";
    }
    if (vr_is(vr, "AT"))
        return numbers(node, n, 4, 64, [code](std::string& o, const uint8_t* p) {
            append(o, "(%04x,%04x)", DICOM_Read_16(code, p), DICOM_Read_16(code, p + 2));
        });
    if (vr_is(vr, "FD"))
        return numbers(node, n, 8, 128, [code](std::string& o, const uint8_t* p) { append(o, "%.3lf", DICOM_Read_Double(code, p)); });
    if (vr_is(vr, "FL"))
        return numbers(node, n, 4, 64, [code](std::string& o, const uint8_t* p) {
            append(o, "%.3f", static_cast<double>(DICOM_Read_Float(code, p)));
        });
    if (vr_is(vr, "SL") || vr_is(vr, "UL"))
        return numbers(node, n, 4, 64, [code](std::string& o, const uint8_t* p) {
            append(o, "%d", static_cast<int32_t>(DICOM_Read_32(code, p)));
        });
    if (vr_is(vr, "SS"))
        return numbers(node, n, 2, 32, [code](std::string& o, const uint8_t* p) {
            append(o, "%d", static_cast<int16_t>(DICOM_Read_16(code, p)));
        });
    if (vr_is(vr, "US"))
        return numbers(node, n, 2, 32, [code](std::string& o, const uint8_t* p) { append(o, "%d", DICOM_Read_16(code, p)); });
    if (vr_is(vr, "UN")) {
        std::string out;
        append(out, "(VR=%c%c Unknown) ", static_cast<char>(vr >> 8), static_cast<char>(vr & 0xFF));
        bool printable = true;
        for (int32_t i = 0; i < n; ++i) printable = printable && std::isprint(node.data[i]);
        if (printable) {
            out.append(bytes, static_cast<std::size_t>(n < 32 ? n : 32));
        } else if (n <= 4) {
            out += raw_units(node, n, false, 4);
        }
        return out;
    }
    if (vr_is(vr, "OW")) return raw_units(node, n, true, 64);
    if (vr_is(vr, "OB")) return raw_units(node, n, false, 32);
    return raw_units(node, n, false, 16);
}

void DICOM_Attribute_Stool_Line(Win_Handle window, const DICOM_Root* root, const DICOM_Tag& node, int kind) {
    const std::string indent(static_cast<std::size_t>(4 * DICOM_Root_Depth(root)), ' ');
    std::string description(node.description);
    if (description.empty()) description = node.dict != nullptr ? node.dict->name : "Unknown tag";
    char shown[64];
    std::snprintf(shown, sizeof shown, "%-40.40s", description.c_str());
    std::string described = shown;
    // Markup bytes take no room on the panel: pad so that the visible column stays 40 wide.
    for (std::size_t i = 0; i < description.size() && i < 40; ++i) {
        const unsigned char c = static_cast<unsigned char>(description[i]);
        if (c < 10 || c >= 0xF0) described += ' ';
    }
    const uint16_t vr = node.effective_vr();
    const char vr0 = vr != 0 ? static_cast<char>(vr >> 8) : '-';
    const char vr1 = vr != 0 ? static_cast<char>(vr & 0xFF) : '-';
    const char type0 = node.type != 0 ? static_cast<char>(node.type >> 8) : '-';
    const char type1 = node.type != 0 ? static_cast<char>(node.type & 0xFF) : '-';
    std::string value = vr == VR_SQ ? "---- Sequence in ---------------" : DICOM_Attribute_Stool_Value(node);
    if (value.empty()) value = "(no data)";
    const char tag_colour = (node.flags & Tag_Flag::Error) ? '\x04' : '\x01';
    const char* vr_colour = (node.flags & Tag_Flag::VR_Unknown) ? "\xF1\x04" : node.vr != 0 ? "\x01" : "\xF1\x06";
    Log_Message(window, kind, "%s(%c%04x\x02,%c%04x\x02) \xF1%-10.10s\xF0 %s%c%s\x02 (%s%c%c\xF0\x01,%c%c,%-4d\x02) %s",
                indent.c_str(), tag_colour, node.group, tag_colour, node.element, origin_label(node.flags),
                type_colour(node.type), prefix_char(node.flags), described.c_str(), vr_colour, vr0, vr1, type0, type1,
                node.length, value.c_str());
}

void DICOM_Attribute_Stool(Win_Handle window, DICOM_Root* root, const DICOM_Tag_List& list, int kind) {
    if (DICOM_Root_Depth(root) == 0) {
        Log_Message(window, kind, "Stool syntax: group & element color: \x04red\x02 =syntax error, \x01" "blue\x02 =normal");
        Log_Message(window, kind,
                    "Stool syntax: possible origin: DICOM, Corv, Module, Private, Retired, Deleted, Default, Forced");
        Log_Message(window, kind, "Stool syntax: description prefix: ! forced, = default, + append, o used by converter");
        Log_Message(window, kind,
                    "Stool syntax: description color: \x04red\x02 type=1,1C, \x05yellow\x02 type=2,2C, \x06green\x02 "
                    "type=3, black type unknown");
        Log_Message(window, kind, "Stool syntax: VR color: \x04red\x02 VR=UN, \x01" "blue\x02 Explicit VR, \x06green\x02 Implicit VR");
        Log_Message(window, kind,
                    "\xF1(grp, elem) Origin            description                        (VR,Tp,size) data\xF0");
    }
    for (const DICOM_Tag& node : list) {
        DICOM_Attribute_Stool_Line(window, root, node, kind);
        if (node.item.empty()) continue;
        Log_Message(window, LOG_TRACE_1, "-> Item for tag(%04x,%04x)", node.group, node.element);
        DICOM_Attribute_Sequence_Start(window, root, node.group, node.element, node.flags, kind);
        for (std::size_t i = 0; i < node.item.size() && !node.item[i].empty(); ++i) {
            Log_Message(window, LOG_TRACE_1, "-> DICOM_Attribute_Stool Item[%d]", static_cast<int>(i));
            DICOM_Attribute_Item_Start(window, root, kind);
            DICOM_Attribute_Stool(window, root, node.item[i], kind);
            DICOM_Attribute_Item_Stop(window, root, kind);
        }
        DICOM_Attribute_Sequence_Stop(window, root, kind);
    }
}
