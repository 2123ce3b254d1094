// Every line logged while a recorder lives, with its kind; the library's warnings and notices
// are switched on meanwhile, and every question is answered no. Searches match a part with its markup bytes or without them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "util/log.h"
#include "util/log_sink.h"

class Log_Recorder {
public:
    explicit Log_Recorder(int trace_level = 0)
        : handler_(Log_Get_Handler()), level_(Trace_Level), warning_(DICOM_Warning_Kind), notice_(DICOM_Notice_Kind) {
        lines().clear();
        Trace_Level = static_cast<int8_t>(trace_level);
        DICOM_Warning_Kind = LOG_WARNING;  // 0, the default, silences them
        DICOM_Notice_Kind = LOG_REPORT;
        Log_Set_Handler(&collect);
    }
    ~Log_Recorder() {
        Log_Set_Handler(handler_);
        Trace_Level = level_;
        DICOM_Warning_Kind = warning_;
        DICOM_Notice_Kind = notice_;
    }
    Log_Recorder(const Log_Recorder&) = delete;
    Log_Recorder& operator=(const Log_Recorder&) = delete;

    // Kind and text as logged, markup included.
    static std::vector<std::pair<int, std::string>>& lines() {
        static std::vector<std::pair<int, std::string>> all;
        return all;
    }
    // The texts as the panel shows them, without their markup bytes.
    static std::vector<std::string> texts() {
        std::vector<std::string> plain;
        for (const auto& line : lines()) plain.push_back(Log_Clean_Text(line.second.c_str()));
        return plain;
    }
    int count(const std::string& part) const {
        int n = 0;
        for (const auto& line : lines())
            n += line.second.find(part) != std::string::npos || without_markup(line.second).find(part) != std::string::npos;
        return n;
    }
    bool has(const std::string& part) const { return count(part) > 0; }

private:
    static std::string without_markup(const std::string& text) {
        std::string plain;
        for (const char c : text)
            if (static_cast<unsigned char>(c) >= 10 && static_cast<unsigned char>(c) < 0xF0) plain.push_back(c);
        return plain;
    }
    static int collect(Win_Handle, int kind, const char* text) {
        lines().emplace_back(kind, text);
        return kind == LOG_QUESTION ? 0 : 1;  // no to every question
    }
    Log_Handler_Fn handler_;
    int8_t level_;
    int warning_, notice_;
};
