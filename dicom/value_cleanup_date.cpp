// Age, date and time cleaners: fixed lengths and the old value syntaxes.
#include <cstdio>
#include <cstdlib>

#include "dicom/value_cleanup.h"
#include "dicom/value_cleanup_internal.h"
#include "dicom/vr.h"

using namespace cleanup;

namespace {

int number_at(const std::string& v, std::size_t pos, std::size_t n) { return std::atoi(v.substr(pos, n).c_str()); }

std::string date_text(int year, int month, int day) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

void old_syntax(Win_Handle window, DICOM_Tag& node, const Prefixes& p, const std::string& old,
                const std::string& repaired) {
    Log_Message(window, DICOM_Notice_Kind, "%s Old syntax! %s changed to %s", p.notice.c_str(), old.c_str(),
                repaired.c_str());
    node.flags |= Tag_Flag::Error;
    set_value(node, repaired);
}

}  // namespace

namespace cleanup {

int cleanup_age(Win_Handle window, DICOM_Tag& node, const Prefixes& p) {
    DICOM_Tag_Cleanup_Charset(window, &node, VR_Find(VR_Code("AS"))->set);
    const std::string v = value_of(node);
    if (v.size() < 2) {
        Log_Message(window, DICOM_Warning_Kind, "%s Invalid data! Expecting 4 bytes but got %d bytes",
                    p.warning.c_str(), node.length);
    } else if (v.size() < 4) {
        set_value(node, std::string(4 - v.size(), '0') + v);  // 5Y is 005Y
    } else if (v.size() > 4) {
        set_value(node, v.substr(v.size() - 4));
    }
    return 1;
}

int cleanup_date(Win_Handle window, DICOM_Tag& node, const Prefixes& p) {
    if (node.length != 6 && node.length != 8 && node.length != 10)
        Log_Message(window, DICOM_Warning_Kind, "%s Invalid data! Expecting 6, 8 or 10 bytes but got %d bytes",
                    p.warning.c_str(), node.length);
    DICOM_Tag_Cleanup_Charset(window, &node, "0123456789.\\");  // the dots of the old syntax pass
    const std::string v = value_of(node);
    switch (v.size()) {
    case 8:
        return 1;
    case 6: {  // YYMMDD: 60 to 99 are 1960 to 1999, 00 to 59 are 2000 to 2059
        int year = number_at(v, 0, 2) + 1900;
        if (year < 1960) year += 100;
        old_syntax(window, node, p, v, date_text(year, number_at(v, 2, 2), number_at(v, 4, 2)));
        return 1;
    }
    case 10:
        if (v[5] == '.' && v.compare(0, 2, "19") == 0) {
            // Year 2000 written as 19100 by old writers: the last digit of the day fell off.
            char guess[40];
            std::snprintf(guess, sizeof guess, "%04d%02d%d", number_at(v, 2, 3) + 1900, number_at(v, 6, 2),
                          number_at(v, 9, 1));
            Log_Message(window, DICOM_Warning_Kind,
                        "%s Y2K bug! %s = %7.7s? (Rejected since last digit of day is lost!)", p.warning.c_str(),
                        v.c_str(), guess);
            return 0;
        }
        old_syntax(window, node, p, v, date_text(number_at(v, 0, 4), number_at(v, 5, 2), number_at(v, 8, 2)));
        return 1;
    default:
        return 0;
    }
}

void cleanup_time_old_syntax(Win_Handle window, DICOM_Tag& node, const Prefixes& p) {
    const std::string v = value_of(node);
    if (v.size() < 3 || (v[2] != ':' && v[2] != '.')) return;
    std::string repaired = v;
    if (repaired.size() > 5) repaired.erase(5, 1);  // HH:MM:SS loses both separators
    repaired.erase(2, 1);
    old_syntax(window, node, p, terminated(v), repaired);
}

}  // namespace cleanup
