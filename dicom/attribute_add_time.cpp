// Builders of DA, TM and DT. A record marked not valid gives an empty value between its
// separators.
#include <cmath>
#include <cstdio>

#include "dicom/attribute_add_build.h"

namespace add {

namespace {

std::string date_text(const DICOM_Date& d) {
    if (!d.valid) return "";
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    return text;
}

std::string time_text(const DICOM_Time& t) {
    if (!t.valid) return "";
    char text[40];
    std::snprintf(text, sizeof text, "%02d%02d", t.hour, t.minute);
    return text + seconds_text(t.seconds);
}

// Values joined by backslashes; no padding (the cleanup sees the value as built).
template <typename T, typename Text_Of>
Built join_values(const Build_Call& call, Text_Of text) {
    std::string out;
    for (int i = 0; i < call.number(); ++i) {
        const std::optional<T> value = call.take<T>(i);
        if (!value) return std::nullopt;
        if (i > 0) out += '\\';
        out += text(*value);
    }
    return out;
}

}  // namespace

std::string seconds_text(float seconds) {
    // Both thresholds are single precision, like the seconds.
    constexpr float Low = 0.001f;
    constexpr float High = 0.999f;
    const float whole = std::trunc(seconds);
    const float fraction = seconds - whole;
    char text[48];
    if (fraction < Low)
        std::snprintf(text, sizeof text, "%02d.000", static_cast<int>(whole));
    else if (fraction <= High)
        std::snprintf(text, sizeof text, "%06.3f", static_cast<double>(seconds));
    else
        std::snprintf(text, sizeof text, "%02d.000", static_cast<int>(whole) + 1);
    return text;
}

Built build_dates(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_DA(nb_arg=%d)", call.count);
    return join_values<DICOM_Date>(call, date_text);
}

Built build_times(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_TM(nb_arg=%d)", call.count);
    return join_values<DICOM_Time>(call, time_text);
}

Built build_date_times(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_DT(nb_arg=%d)", call.count);
    return join_values<DICOM_Date_Time>(call, [](const DICOM_Date_Time& dt) {
        return dt.date.valid && dt.time.valid ? date_text(dt.date) + time_text(dt.time) : std::string();
    });
}

}  // namespace add
