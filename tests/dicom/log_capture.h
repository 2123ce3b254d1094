// Collects every logged line for the duration of a test, markup stripped.
#pragma once

#include <string>
#include <vector>

#include "util/log.h"

class Log_Capture {
public:
    explicit Log_Capture(int trace_level = 0) : old_handler_(Log_Get_Handler()), old_level_(Trace_Level) {
        lines().clear();
        Trace_Level = static_cast<int8_t>(trace_level);
        DICOM_Warning_Kind = LOG_WARNING;
        DICOM_Notice_Kind = LOG_REPORT;
        Log_Set_Handler(&collect);
    }
    ~Log_Capture() {
        Log_Set_Handler(old_handler_);
        Trace_Level = old_level_;
    }
    Log_Capture(const Log_Capture&) = delete;
    Log_Capture& operator=(const Log_Capture&) = delete;

    static std::vector<std::string>& lines() {
        static std::vector<std::string> all;
        return all;
    }
    // Number of lines containing text.
    int count(const std::string& text) const {
        int n = 0;
        for (const auto& line : lines()) n += line.find(text) != std::string::npos;
        return n;
    }
    bool has(const std::string& text) const { return count(text) > 0; }

private:
    static int collect(Win_Handle, int, const char* text) {
        std::string plain;
        for (const char* p = text; *p; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c < 10 || c >= 0xF0) continue;
            plain.push_back(*p);
        }
        lines().push_back(plain);
        return 1;
    }
    Log_Handler_Fn old_handler_;
    int8_t old_level_;
};
