// Collects every message of a test, traces included, with its kind, instead of printing it.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "util/log.h"

class Trace_Capture {
public:
    explicit Trace_Capture(int trace_level = 9) : saved_level_(Trace_Level), saved_kind_(DICOM_Warning_Kind) {
        lines().clear();
        Trace_Level = static_cast<int8_t>(trace_level);
        DICOM_Warning_Kind = LOG_WARNING;
        saved_handler_ = Log_Get_Handler();
        Log_Set_Handler(&record);
    }
    ~Trace_Capture() {
        Log_Set_Handler(saved_handler_);
        Trace_Level = saved_level_;
        DICOM_Warning_Kind = saved_kind_;
    }
    Trace_Capture(const Trace_Capture&) = delete;
    Trace_Capture& operator=(const Trace_Capture&) = delete;

    static std::vector<std::pair<int, std::string>>& lines() {
        static std::vector<std::pair<int, std::string>> all;
        return all;
    }
    // How many messages of this kind equal text.
    static long count(int kind, const std::string& text) {
        return std::count(lines().begin(), lines().end(), std::make_pair(kind, text));
    }
    // How many messages contain part.
    static long count_containing(const std::string& part) {
        return std::count_if(lines().begin(), lines().end(),
                             [&](const auto& line) { return line.second.find(part) != std::string::npos; });
    }

private:
    static int record(Win_Handle, int kind, const char* text) {
        lines().emplace_back(kind, text);
        return 1;
    }
    int8_t saved_level_;
    int saved_kind_;
    Log_Handler_Fn saved_handler_ = nullptr;
};
