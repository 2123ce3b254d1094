// Where the program's handler (Log_Handler) sends what is not a console or file line:
// the main window's panel, message boxes and thread lines. Batch mode installs a sink that
// writes to the terminal; interactive mode installs the main window's sink.
#pragma once

#include <string_view>

#include "util/log.h"

enum class Box_Icon { Information, Warning, Error, Question };

class Log_Sink {
public:
    virtual ~Log_Sink() = default;
    // LOG_WARNING and LOG_REPORT: append the raw text (markup included) as a panel line.
    virtual void panel_write(const char* raw_text) = 0;
    // A LOG_WARNING line sent through Log_Error_Line: a panel line like the others unless the
    // sink has a place for errors as well.
    virtual void error_write(const char* raw_text) { panel_write(raw_text); }
    // LOG_OVER: replace the panel's last line.
    virtual void panel_overwrite(const char* raw_text) = 0;
    // LOG_THREAD: the line is already in Thread_Text_Ring; tell the window to drain it.
    virtual void thread_line_posted(Win_Handle window) = 0;
    // Boxes; for Question the result is 1 for Yes, 0 for No, otherwise 1.
    virtual int box(Win_Handle owner, const char* caption, const char* text, Box_Icon icon) = 0;
};

// The sink Log_Handler uses; nullptr drops panel lines and prints boxes on standard error.
void Log_Set_Sink(Log_Sink* sink);
Log_Sink* Log_Get_Sink();

// The program's handler: console echo, trace file, error log and the sink.
int Log_Handler(Win_Handle window, int kind, const char* text);

// Ring of lines sent from the worker thread to the main window (one producer, one consumer).
inline constexpr int Thread_Ring_Slots = 128;
inline constexpr int Thread_Ring_Slot_Size = 1024;
extern char Thread_Text_Ring[Thread_Ring_Slots][Thread_Ring_Slot_Size];
// Write index, advanced by the producer only (0 ... 127).
int Thread_Ring_Write_Index();

// Shows a box through the sink (kind LOG_BOX_INFO / _WARNING / _ERROR, or LOG_QUESTION).
// With no sink the box goes to standard error as "caption: text" (clean text); a question
// then has nobody to answer it and gets No (0).
int Log_Show_Box(Win_Handle window, int kind, const char* caption, const char* text);
// A box as a line on stream: "caption: text" in clean text (no caption: the text alone).
void Log_Box_Line(std::FILE* stream, const char* caption, const char* text);

// The text as console and files show it: tab, newline, printable ASCII and valid UTF-8 kept;
// the markup bytes, control characters and bytes of no valid UTF-8 sequence dropped.
std::string Log_Clean_Text(const char* raw_text);
// How many bytes at the start of rest (not empty) the clean text keeps as one character; 0
// when it drops the first byte.
std::size_t Log_Clean_Length(std::string_view rest);
