// The one reporting call of the program and the settings that steer it.
//
// Every part of the program reports through Log_Message: errors (boxes), warnings and
// reports (lines of the main window's panel), lines sent from the worker thread, the error
// log, and traces echoed to the console and appended to the trace file.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

// printf-style checking of a function's format (argument f) and its values (from argument a).
// MinGW checks the format of Microsoft's library unless told the program formats as C99 does.
#ifdef __MINGW32__
#define LOG_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define LOG_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

// Opaque handle of the main window: owner of message boxes, receiver of thread lines.
// Batch mode and the tests pass nullptr.
using Win_Handle = void*;

enum Log_Kind : int {
    LOG_ERROR = 1,
    LOG_WARNING = 2,
    LOG_QUESTION = 3,
    LOG_REPORT = 4,
    LOG_AUDIT = 5,
    LOG_THREAD = 6,
    LOG_ERRLOG = 7,
    LOG_OVER = 8,
    LOG_TRACE_1 = 11,
    LOG_TRACE_2 = 12,
    LOG_TRACE_3 = 13,
    LOG_TRACE_4 = 14,
    LOG_TRACE_5 = 15,
    LOG_TRACE_6 = 16,
    LOG_TRACE_7 = 17,
    LOG_TRACE_8 = 18,
    LOG_TRACE_9 = 19,
    LOG_BOX_INFO = 0x81,
    LOG_BOX_WARNING = 0x82,
    LOG_BOX_ERROR = 0x83,
};

// Panel markup: single bytes inside texts meant for the text panels.
namespace Markup {
inline constexpr char Blue = '\x01';
inline constexpr char Black = '\x02';
inline constexpr char White = '\x03';
inline constexpr char Red = '\x04';
inline constexpr char Yellow = '\x05';
inline constexpr char Green = '\x06';
inline constexpr char Regular = '\xF0';
inline constexpr char Bold = '\xF1';
inline constexpr char Oblique = '\xF2';
}  // namespace Markup

// Process-wide settings.
// Shared by the window (Ctrl+digit) and the conversion thread, hence atomic.
extern std::atomic<int8_t> Trace_Level;  // 0 none; > 0 console + trace file; < 0 trace file only, serious kinds
extern std::atomic<int> DICOM_Warning_Kind;  // kinds the DICOM library reports its warnings and notices with
extern std::atomic<int> DICOM_Notice_Kind;
extern std::string Scratch_Dir;     // folder of all log files, always ends with a separator
extern std::string Trace_File_Name; // "trace.dat" until start-up names it
extern std::string Error_File_Name;

// Program identity, set first thing at start-up; read by the banner, the error log and the writer.
extern std::string Prog_Name;
extern std::string Prog_Version;
extern std::string Prog_ID;
extern std::string Prog_Date;

inline constexpr std::size_t Log_Buffer_Size = 10224;

// printf-style report. Returns 1, except for LOG_QUESTION (1 = Yes, 0 = No).
// Trace kinds above the current level return at once without formatting.
int (Log_Message)(Win_Handle window, int kind, const char* format, ...)
    LOG_PRINTF_FORMAT(3, 4);

// Whether Log_Message reports anything for kind: not for kind 0, a box kind (Log_Box) or a
// trace kind above the current level.
inline bool Log_Passes(int kind) {
    if (kind == 0 || (kind & 0x80)) return false;
    const int level = kind & 0xFF;
    return level < LOG_TRACE_1 || Trace_Level.load(std::memory_order_relaxed) >= level - 10;
}

// The reading loops report per element at trace levels that are mostly off: a filtered call
// costs one test, neither the call nor the building of its arguments.
#define Log_Message(window, kind, ...) \
    (Log_Passes(kind) ? (Log_Message)(window, kind, __VA_ARGS__) : 1)

// Message box kinds (LOG_BOX_INFO, LOG_BOX_WARNING, LOG_BOX_ERROR) take a caption first.
int Log_Box(Win_Handle window, int kind, const char* caption, const char* format, ...)
    LOG_PRINTF_FORMAT(4, 5);

// The two lines every allocation failure reports: where, then what.
// how is "malloc", "calloc" or "realloc"; for "strdup" use Log_Memory_Error_Strdup.
void Log_Memory_Error(Win_Handle window, int line, const char* source, const char* how,
                      const char* var, long count, long size);
void Log_Memory_Error_Strdup(Win_Handle window, int line, const char* source, const char* var);

// A LOG_WARNING line that reports an error (a folder or file that cannot be read, a DICOMDIR
// that cannot be written): shown like any warning, and batch mode writes it to standard error
// as well. Returns 1.
int Log_Error_Line(Win_Handle window, const char* format, ...) __attribute__((format(printf, 2, 3)));
// True while this thread reports through Log_Error_Line.
bool Log_Error_Line_Active();

// Handler that receives every formatted message. Until one is installed the default
// handler echoes on standard output (errors on standard error).
using Log_Handler_Fn = int (*)(Win_Handle window, int kind, const char* text);
void Log_Set_Handler(Log_Handler_Fn handler);
Log_Handler_Fn Log_Get_Handler();

// Opens a log file for appending; a name without folder goes to Scratch_Dir, which is
// created on demand. Returns nullptr when it cannot be opened. A link, a named pipe or a
// device of that name is never opened, and the default scratch folder is used only when it
// belongs to the user.
std::FILE* Log_File_Open(const std::string& name);

// The default Scratch_Dir: a folder of the user's own in the system temporary folder
// (kestrapol-<uid> on POSIX), which no other user's folder of that name can stand in for.
std::string Default_Scratch_Dir();

// A trace begun before the configuration has said where log files go: from Log_Trace_File_Hold
// on, trace file lines are kept in memory; Log_Trace_File_Restart empties the trace file where
// Scratch_Dir points by then and writes the kept lines into it.
void Log_Trace_File_Hold();
void Log_Trace_File_Restart();
// Empties the trace file, so that a trace starts afresh (held: the restart will).
void Log_Trace_File_Start();
