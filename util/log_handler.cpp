// The program's log handler: console echo, trace file, error log, panel lines and boxes.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "util/directory.h"
#include "util/log_sink.h"
#include "util/platform_system.h"
#include "util/text.h"

char Thread_Text_Ring[Thread_Ring_Slots][Thread_Ring_Slot_Size];

namespace {

std::atomic<Log_Sink*> current_sink{nullptr};
std::atomic<int> ring_write_index{0};
std::once_flag error_log_header_once;

// Trace file lines kept while start-up holds the trace (see Log_Trace_File_Hold).
std::mutex held_lock;
bool trace_held = false;
std::vector<std::string> held_lines;

std::string trace_file_path() {
    File_Name_Parts trace = File_Name_Split(Trace_File_Name);
    if (trace.folder.empty()) trace.folder = Scratch_Dir;
    return trace.folder + trace.name + trace.extension;
}

bool trace_file_wanted(int kind) {
    if (Trace_Level > 0) return true;
    switch (kind) {
        case LOG_ERROR: return Trace_Level >= -3 && Trace_Level <= -1;
        case LOG_WARNING: return Trace_Level >= -2 && Trace_Level <= -1;
        case LOG_REPORT:
        case LOG_THREAD:
        case LOG_OVER: return Trace_Level == -1;
        default: return Trace_Level != 0 && kind >= LOG_TRACE_1 && kind <= LOG_TRACE_9;
    }
}

// A line of the console echo: written whole and shown at once, whatever buffer the stream has.
void echo(const char* prefix, const std::string& text, const char* tail = "") {
    const std::string line = prefix + text + tail + '\n';
    Stream_Write_Text(stdout, line, Stream_Is_Terminal(stdout));
    std::fflush(stdout);
}

void append_line(const std::string& file_name, const char* prefix, const std::string& text) {
    {
        std::lock_guard guard(held_lock);
        if (trace_held && file_name == Trace_File_Name) {
            held_lines.push_back(prefix + text);
            return;
        }
    }
    if (std::FILE* file = Log_File_Open(file_name)) {
        std::fprintf(file, "%s%s\n", prefix, text.c_str());
        std::fclose(file);
    }
}

std::string local_time_text() {
    std::time_t now = std::time(nullptr);
    const std::tm parts = Local_Time(now);
    char text[64];
    std::strftime(text, sizeof text, "%d %b %Y %H:%M", &parts);
    return text;
}

void write_error_log(const std::string& clean) {
    std::FILE* file = Log_File_Open(Error_File_Name);
    if (!file) return;
    std::call_once(error_log_header_once, [file] {
        std::fprintf(file, "\n======== %s %s =====(%s)========\n", Prog_Name.c_str(),
                     Prog_Version.c_str(), local_time_text().c_str());
    });
    std::fprintf(file, "%s\n", clean.c_str());
    std::fclose(file);
}

void post_thread_line(Win_Handle window, const char* raw_text) {
    int index = ring_write_index.load(std::memory_order_relaxed);
    std::snprintf(Thread_Text_Ring[index], Thread_Ring_Slot_Size, "%s", raw_text);
    ring_write_index.store((index + 1) % Thread_Ring_Slots, std::memory_order_release);
    if (Log_Sink* sink = current_sink.load()) sink->thread_line_posted(window);
}

}  // namespace

void Log_Trace_File_Hold() {
    std::lock_guard guard(held_lock);
    trace_held = true;
}

void Log_Trace_File_Restart() {
    std::vector<std::string> lines;
    {
        std::lock_guard guard(held_lock);
        if (!trace_held) return;
        trace_held = false;
        lines.swap(held_lines);
    }
    std::remove(trace_file_path().c_str());
    if (lines.empty()) return;
    if (std::FILE* file = Log_File_Open(Trace_File_Name)) {
        for (const std::string& line : lines) std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

void Log_Trace_File_Start() {
    {
        std::lock_guard guard(held_lock);
        if (trace_held) return;
    }
    std::remove(trace_file_path().c_str());
}

void Log_Set_Sink(Log_Sink* sink) { current_sink.store(sink); }
Log_Sink* Log_Get_Sink() { return current_sink.load(); }
int Thread_Ring_Write_Index() { return ring_write_index.load(std::memory_order_acquire); }

std::size_t Log_Clean_Length(std::string_view rest) {
    const unsigned char first = static_cast<unsigned char>(rest.front());
    if (first >= 0x20 && first <= 0x7E) return 1;
    if (first == '\t' || first == '\n') return 1;
    char32_t code = 0;
    const int length = Utf8_Sequence(rest, code);
    // The markup bytes and the control characters (C0, DEL, C1) go; a terminal would act on them.
    return length > 1 && code > 0x9F ? static_cast<std::size_t>(length) : 0;
}

std::string Log_Clean_Text(const char* raw_text) {
    const std::string_view raw(raw_text);
    std::string clean;
    clean.reserve(raw.size() + 1);  // room for the line end most callers add
    // Runs of kept characters copied whole, the dropped bytes between them left out.
    std::size_t run = 0, at = 0;
    while (at < raw.size()) {
        const std::size_t length = Log_Clean_Length(raw.substr(at));
        if (length > 0) {
            at += length;
            continue;
        }
        clean.append(raw, run, at - run);
        run = ++at;
    }
    clean.append(raw, run, at - run);
    return clean;
}

void Log_Box_Line(std::FILE* stream, const char* caption, const char* text) {
    std::string line = caption && *caption ? Log_Clean_Text(caption) + ": " : std::string();
    line += Log_Clean_Text(text) + '\n';
    Stream_Write_Text(stream, line, Stream_Is_Terminal(stream));
    std::fflush(stream);
}

int Log_Show_Box(Win_Handle window, int kind, const char* caption, const char* text) {
    Box_Icon icon = kind == LOG_QUESTION ? Box_Icon::Question
                    : kind == LOG_BOX_INFO ? Box_Icon::Information
                    : kind == LOG_BOX_WARNING ? Box_Icon::Warning
                    : kind == LOG_BOX_ERROR ? Box_Icon::Error : Box_Icon::Error;
    if (kind != LOG_QUESTION && (kind < LOG_BOX_INFO || kind > LOG_BOX_ERROR)) return 1;
    if (Log_Sink* sink = current_sink.load()) return sink->box(window, caption, text, icon);
    std::fflush(stdout);  // keep the order of what the user sees
    Log_Box_Line(stderr, caption, text);
    return kind == LOG_QUESTION ? 0 : 1;
}

int Log_Handler(Win_Handle window, int kind, const char* text) {
    const bool console = Trace_Level > 0;
    const bool trace_file = trace_file_wanted(kind);
    // The cleaned text serves the echo, the trace file and the error log; panel lines clean their own.
    const std::string clean = console || trace_file || kind == LOG_ERRLOG ? Log_Clean_Text(text) : std::string();
    Log_Sink* sink = current_sink.load();

    switch (kind) {
        case LOG_ERROR:
            if (console) echo("ERROR: ", clean);
            if (trace_file) append_line(Trace_File_Name, "ERROR:   ", clean);
            Log_Show_Box(window, LOG_BOX_ERROR, "", text);
            return 1;
        case LOG_WARNING:
        case LOG_REPORT:
            if (console) echo(kind == LOG_WARNING ? "WARNING: " : "REPORT:  ", clean);
            if (trace_file) append_line(Trace_File_Name, kind == LOG_WARNING ? "WARNING: " : "REPORT: ", clean);
            if (sink && kind == LOG_WARNING && Log_Error_Line_Active()) sink->error_write(text);
            else if (sink) sink->panel_write(text);
            return 1;
        case LOG_QUESTION:
            return Log_Show_Box(window, LOG_QUESTION, Prog_Name.c_str(), text);
        case LOG_AUDIT:
            if (console) echo("AUDIT:   ", clean, " ");
            return 1;
        case LOG_THREAD:
            if (console) echo("THREAD:  ", clean);
            if (trace_file) append_line(Trace_File_Name, "THREAD:  ", clean);
            post_thread_line(window, text);
            return 1;
        case LOG_ERRLOG:
            if (console) echo("ERRLOG: ", clean);
            write_error_log(clean);
            return 1;
        case LOG_OVER:
            if (console) echo("OVER:   ", clean);
            if (trace_file) append_line(Trace_File_Name, "OVER: ", clean);
            if (sink) sink->panel_overwrite(text);
            return 1;
        default:
            break;
    }
    if (kind >= LOG_TRACE_1 && kind <= LOG_TRACE_9) {
        const std::string indent(static_cast<std::size_t>(4 * (kind - LOG_TRACE_1)), ' ');
        if (console) echo(("TRACE:   " + indent).c_str(), clean, " ");
        if (trace_file) append_line(Trace_File_Name, ("TRACE:   " + indent).c_str(), clean);
    }
    return 1;
}
