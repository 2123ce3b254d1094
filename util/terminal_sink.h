// The log sink of batch mode: panel lines on standard output, boxes on standard error.
#pragma once

#include <cstdio>
#include <string>

#include "util/log_sink.h"

// A panel line as a terminal shows it: markup as ANSI colour and weight when ansi is set,
// removed otherwise; other control bytes dropped.
std::string Terminal_Line(const char* raw_text, bool ansi);

class Terminal_Sink : public Log_Sink {
public:
    // A flush per line (and colour, where it understands it) only when out is a terminal or a
    // console; otherwise the stream's buffer carries the (possibly many thousand) lines. Error lines go to errors as well, unless both
    // streams lead to the same place (one terminal, or one file).
    explicit Terminal_Sink(std::FILE* out = stdout, std::FILE* errors = stderr);
    void panel_write(const char* raw_text) override;
    void error_write(const char* raw_text) override;
    void panel_overwrite(const char* raw_text) override;
    void thread_line_posted(Win_Handle window) override;
    int box(Win_Handle owner, const char* caption, const char* text, Box_Icon icon) override;

private:
    void line(const char* raw_text);
    std::FILE* out_;
    std::FILE* errors_;
    bool terminal_;
    bool colour_;
    bool separate_errors_;
};
