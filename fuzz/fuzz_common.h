// Quiet logging for the harnesses: every report up to the trace level is formatted (at 7 the
// dumps run too) and then dropped.
#pragma once

#include "util/log.h"

inline int fuzz_drop_message(Win_Handle, int, const char*) { return 1; }

inline void fuzz_quiet_logging(int trace_level = 7) {
    static const bool done = [trace_level] {
        Log_Set_Handler(&fuzz_drop_message);
        Trace_Level = static_cast<int8_t>(trace_level);
        DICOM_Warning_Kind = LOG_WARNING;
        DICOM_Notice_Kind = LOG_REPORT;
        return true;
    }();
    (void)done;
}
