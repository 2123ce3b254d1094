// Builders of the text VRs: strings, one-valued texts, UIDs, person names, IS and DS.
#include <cstdio>
#include <cstring>

#include "dicom/attribute_add_build.h"
#include "dicom/vr.h"

namespace add {

namespace {

// Joins the texts of count values with sep (0: no separator) and pads an odd total with the pad
// byte of the call's VR. text(i) gives value i's text or nullopt, which ends the builder with no
// value.
template <typename Text_Of>
Built join(const Build_Call& call, int count, char sep, Text_Of text) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::optional<std::string> part = text(i);
        if (!part) return std::nullopt;
        out += part->c_str();  // a text ends at its first zero byte
        if (sep != 0 && i + 1 < count) out += sep;
    }
    if (out.size() % 2 != 0) out += VR_Pad_Byte(call.vr);
    return out;
}

}  // namespace

Built build_strings(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_VR_SH(nb_arg=%d)", call.count);
    return join(call, call.number(), '\\', [&](int i) { return call.take<std::string>(i); });
}

Built build_single_text(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_UT(nb_arg=%d)", call.count);
    call.refuse_array("Text");
    if (call.number() != 1)
        Log_Message(call.window, DICOM_Warning_Kind, "VR=Text: only 1 value accepted (nb_arg=%d != 1)", call.number());
    return join(call, 1, 0, [&](int i) { return call.take<std::string>(i); });
}

Built build_uid(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_VR_UI(nb_arg=%d)", call.count);
    call.refuse_array("UI");
    // The pieces make one UID: no separator.
    return join(call, call.number(), 0, [&](int i) { return call.take<std::string>(i); });
}

Built build_person_names(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_PN(nb_arg=%d)", call.count);
    call.refuse_array("PN");
    return join(call, call.number(), '\\', [&](int i) -> std::optional<std::string> {
        const std::optional<Person_Name> name = call.take<Person_Name>(i);
        if (!name) return std::nullopt;
        std::size_t size = 5 * 65;
        for (const auto* part : {&name->family, &name->given, &name->middle, &name->prefix, &name->suffix})
            if (*part) size += part->value().size() + 1;
        std::string buffer(size, '\0');
        const char* text = conv_name_to_dicom(&*name, buffer.data());
        return std::string(text ? text : "");
    });
}

Built build_integer_texts(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_IS(nb_arg=%d)", call.count);
    return join(call, call.number(), '\\', [&](int i) -> std::optional<std::string> {
        const std::optional<int64_t> n = call.take<int64_t>(i);
        if (!n) return std::nullopt;
        char text[16];
        std::snprintf(text, sizeof text, "%-d", static_cast<int32_t>(*n));
        return std::string(text);
    });
}

std::string decimal_text(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
    if (std::strcmp(text, "-0") == 0) return "0";
    if (std::strcmp(text, "0.9999999") == 0) return "1";
    return text;
}

Built build_decimal_texts(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_DS(nb_arg=%d)", call.count);
    return join(call, call.number(), '\\', [&](int i) -> std::optional<std::string> {
        const std::optional<float> f = call.take<float>(i);
        if (!f) return std::nullopt;
        return decimal_text(*f);
    });
}

}  // namespace add
