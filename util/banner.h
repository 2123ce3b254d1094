// The system banner that starts every trace.
#pragma once

// Restarts the trace file and writes the program's and the machine's description at
// LOG_TRACE_1 (so it shows only while tracing).
void System_Banner();
