#include "util/log.h"
#include "util/log_sink.h"
#include "util/log_capture.h"
#include "util/platform_system.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

std::atomic<int8_t> Trace_Level{0};
std::atomic<int> DICOM_Warning_Kind{0};
std::atomic<int> DICOM_Notice_Kind{0};
std::string Scratch_Dir = Default_Scratch_Dir();
std::string Trace_File_Name = "trace.dat";
std::string Error_File_Name = "Corvanthis.err";

std::string Prog_Name;
std::string Prog_Version;
std::string Prog_ID;
std::string Prog_Date;

namespace {

std::atomic<Log_Handler_Fn> installed_handler{nullptr};
thread_local bool error_line_active = false;

// Before start-up installs the program's handler: an error is a box (and a trace file line
// while tracing), everything else is echoed on standard output.
int default_handler(Win_Handle window, int kind, const char* text) {
    if (kind == LOG_ERROR) {
        if (Trace_Level != 0) {
            if (std::FILE* file = Log_File_Open(Trace_File_Name)) {
                std::fprintf(file, "ERROR:   %s\n", Log_Clean_Text(text).c_str());
                std::fclose(file);
            }
        }
        return Log_Show_Box(window, LOG_BOX_ERROR, "", text);
    }
    std::fprintf(stdout, "%s\n", text);
    return 1;
}

bool is_trace_kind(int kind) { return (kind & 0xFF) >= LOG_TRACE_1 && (kind & 0x80) == 0; }

}  // namespace

std::string Default_Scratch_Dir() {
    // The system's temporary folder is everyone's: the logs go to a folder of the user's own.
    static const std::string folder = Private_Temporary_Folder("kestrapol");
    return folder;
}

void Log_Set_Handler(Log_Handler_Fn handler) { installed_handler.store(handler); }
Log_Handler_Fn Log_Get_Handler() { return installed_handler.load(); }

int (Log_Message)(Win_Handle window, int kind, const char* format, ...) {
    if (kind == 0) return 1;
    if (kind & 0x80) return 1;  // boxes take a caption: Log_Box
    if (is_trace_kind(kind) && Trace_Level < (kind & 0xFF) - 10) return 1;

    char text[Log_Buffer_Size];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);  // longer messages are cut
    va_end(args);

    if (Log_Capture_Take(window, kind, text)) return 1;
    Log_Handler_Fn handler = installed_handler.load();
    return handler ? handler(window, kind, text) : default_handler(window, kind, text);
}

int Log_Error_Line(Win_Handle window, const char* format, ...) {
    char text[Log_Buffer_Size];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const bool outer = error_line_active;
    error_line_active = true;
    Log_Message(window, LOG_WARNING, "%s", text);
    error_line_active = outer;
    return 1;
}

bool Log_Error_Line_Active() { return error_line_active; }

int Log_Box(Win_Handle window, int kind, const char* caption, const char* format, ...) {
    char text[Log_Buffer_Size];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return Log_Show_Box(window, kind, caption ? caption : "", text);
}

void Log_Memory_Error(Win_Handle window, int line, const char* source, const char* how,
                      const char* var, long count, long size) {
    Log_Message(window, LOG_ERROR, "line %-4d of %s", line, source);
    Log_Message(window, LOG_ERROR, "memory error in %s (var=%s, dim=%ldx%ld)", how, var, count, size);
}

void Log_Memory_Error_Strdup(Win_Handle window, int line, const char* source, const char* var) {
    Log_Message(window, LOG_ERROR, "line %-4d of %s", line, source);
    Log_Message(window, LOG_ERROR, "memory error in strdup (var=%s)", var);
}
