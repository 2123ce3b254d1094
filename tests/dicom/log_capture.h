// Collects the DICOM library's warnings and notices during a test.
#pragma once

#include <string>
#include <vector>

#include "util/log.h"

class Log_Capture {
public:
    Log_Capture() {
        lines().clear();
        previous_ = Log_Get_Handler();
        warning_kind_ = DICOM_Warning_Kind;
        notice_kind_ = DICOM_Notice_Kind;
        DICOM_Warning_Kind = LOG_WARNING;
        DICOM_Notice_Kind = LOG_REPORT;
        Log_Set_Handler(&collect);
    }
    ~Log_Capture() {
        Log_Set_Handler(previous_);
        DICOM_Warning_Kind = warning_kind_;
        DICOM_Notice_Kind = notice_kind_;
    }
    const std::vector<std::string>& all() const { return lines(); }
    // The one line holding part, or "" when there is none.
    std::string find(const std::string& part) const {
        for (const std::string& line : lines())
            if (line.find(part) != std::string::npos) return line;
        return "";
    }
    bool has(const std::string& part) const { return !find(part).empty(); }

private:
    static std::vector<std::string>& lines() {
        static std::vector<std::string> captured;
        return captured;
    }
    static int collect(Win_Handle, int kind, const char* text) {
        if (kind == LOG_WARNING || kind == LOG_REPORT || kind == LOG_ERROR) lines().push_back(text);
        return 1;
    }
    Log_Handler_Fn previous_;
    int warning_kind_;
    int notice_kind_;
};
