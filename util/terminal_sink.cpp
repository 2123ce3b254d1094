// Panel lines written to a terminal or a file.
#include "util/terminal_sink.h"

#include "util/platform_system.h"

namespace {

const char* ansi_of(unsigned char markup) {
    switch (markup) {
        case 0x01: return "\033[34m";  // blue
        case 0x02: return "\033[39m";  // black: the text colour of the panel, the terminal's own here
        case 0x03: return "\033[37m";  // white
        case 0x04: return "\033[31m";  // red
        case 0x05: return "\033[33m";  // yellow
        case 0x06: return "\033[32m";  // green
        case 0xF0: return "\033[22;23m";  // regular
        case 0xF1: return "\033[1m";   // bold
        case 0xF2: return "\033[3m";   // oblique
        default: return nullptr;
    }
}

}  // namespace

std::string Terminal_Line(const char* raw_text, bool ansi) {
    if (!ansi) return Log_Clean_Text(raw_text);
    std::string line;
    bool styled = false;
    const std::string_view raw(raw_text);
    for (std::size_t at = 0; at < raw.size();) {
        if (const std::size_t length = Log_Clean_Length(raw.substr(at))) {
            line.append(raw, at, length);
            at += length;
        } else if (const char* code = ansi_of(static_cast<unsigned char>(raw[at++]))) {
            line += code;
            styled = true;
        }
    }
    if (styled) line += "\033[0m";
    return line;
}

Terminal_Sink::Terminal_Sink(std::FILE* out, std::FILE* errors)
    : out_(out), errors_(errors), terminal_(Stream_Is_Terminal(out)), colour_(terminal_ && Console_Supports_Colour(out)),
      separate_errors_(!Streams_Share_Target(out, errors)) {}

void Terminal_Sink::line(const char* raw_text) {
    if (Trace_Level > 0) return;  // the console echo already shows it
    std::string text = Terminal_Line(raw_text, colour_);
    text += '\n';
    Stream_Write_Text(out_, text, terminal_);
    if (terminal_) std::fflush(out_);
}

void Terminal_Sink::panel_write(const char* raw_text) { line(raw_text); }

void Terminal_Sink::error_write(const char* raw_text) {
    line(raw_text);
    if (!separate_errors_) return;
    std::fflush(out_);  // the report's lines before it come first
    const std::string text = Terminal_Line(raw_text, Console_Supports_Colour(errors_)) + '\n';
    Stream_Write_Text(errors_, text, Stream_Is_Terminal(errors_));
    std::fflush(errors_);
}

// No line to replace on a stream: the new text follows as a line of its own.
void Terminal_Sink::panel_overwrite(const char* raw_text) { line(raw_text); }

void Terminal_Sink::thread_line_posted(Win_Handle) {
    line(Thread_Text_Ring[(Thread_Ring_Write_Index() + Thread_Ring_Slots - 1) % Thread_Ring_Slots]);
}

int Terminal_Sink::box(Win_Handle, const char* caption, const char* text, Box_Icon icon) {
    std::fflush(out_);
    Log_Box_Line(stderr, caption, text);
    return icon == Box_Icon::Question ? 0 : 1;  // nobody to answer: No
}
