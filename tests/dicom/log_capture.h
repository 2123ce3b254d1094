// Collects every line logged during a test, with library warnings and notices switched on.
// Searches see the text without its markup bytes.
#pragma once

#include <string>
#include <vector>

#include "util/log.h"

// Its own namespace: the library has a Log_Capture of its own (util/log_capture.h), and two
// classes of one name break the link where the linker sees both.
namespace dicom_test {

class Log_Capture {
public:
    explicit Log_Capture(int trace_level = 0)
        : handler_(Log_Get_Handler()), level_(Trace_Level), warning_(DICOM_Warning_Kind), notice_(DICOM_Notice_Kind) {
        lines().clear();
        Trace_Level = static_cast<int8_t>(trace_level);
        DICOM_Warning_Kind = LOG_WARNING;  // 0, the default, silences them
        DICOM_Notice_Kind = LOG_REPORT;
        Log_Set_Handler(&collect);
    }
    ~Log_Capture() {
        Log_Set_Handler(handler_);
        Trace_Level = level_;
        DICOM_Warning_Kind = warning_;
        DICOM_Notice_Kind = notice_;
    }
    Log_Capture(const Log_Capture&) = delete;
    Log_Capture& operator=(const Log_Capture&) = delete;

    static std::vector<std::string>& lines() {
        static std::vector<std::string> all;
        return all;
    }
    int count(const std::string& text) const {
        int n = 0;
        for (const auto& line : lines()) n += line.find(text) != std::string::npos;
        return n;
    }
    bool has(const std::string& text) const { return count(text) > 0; }

private:
    static int collect(Win_Handle, int, const char* text) {
        std::string plain;
        for (const char* p = text; *p; ++p)
            if (const auto c = static_cast<unsigned char>(*p); c >= 10 && c < 0xF0) plain.push_back(*p);
        lines().push_back(plain);
        return 1;
    }
    Log_Handler_Fn handler_;
    int8_t level_;
    int warning_, notice_;
};

}  // namespace dicom_test

using dicom_test::Log_Capture;
