// Quiet logging for the harnesses: reports up to the trace level are formatted, then dropped.
#pragma once

#include "util/log.h"

inline int fuzz_drop_message(Win_Handle, int, const char*) { return 1; }

inline void fuzz_quiet_logging(int trace_level) {
    static const bool done = [trace_level] {
        Log_Set_Handler(&fuzz_drop_message);
        Trace_Level = static_cast<int8_t>(trace_level);
        DICOM_Warning_Kind = LOG_WARNING;
        DICOM_Notice_Kind = LOG_REPORT;
        return true;
    }();
    (void)done;
}
