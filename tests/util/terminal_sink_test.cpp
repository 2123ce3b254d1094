#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "util/terminal_sink.h"

namespace {

// Markup becomes ANSI colour and weight, or goes; names keep their letters: valid UTF-8 stays,
// whatever the markup and control bytes around it.
TEST(TerminalLine, MarkupGoesValidUtf8Stays) {
    struct Case {
        const char* raw;
        const char* clean;
    };
    const Case cases[] = {
        {"\xF1\x05WARNING:\x02 bad \x01[3]\x7F\x80", "WARNING: bad [3]"},
        {"\x01Mein Ordner \xC3\xA4\xC3\xB6\xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\x02/PAT1",
         "Mein Ordner \xC3\xA4\xC3\xB6\xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E/PAT1"},
        {"\xF0\x9F\x98\x80 \xF1\x05W", "\xF0\x9F\x98\x80 W"},  // a 4-byte character, then bold markup
        {"a\xC3\x28" "b\xE6\x97" "c", "a(bc"},  // broken sequences go
        {"\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80x", "x"},  // overlong, surrogate, too big
        {"\x1B[2Jesc\xC2\x9B" "2J\x7F\x0D", "[2Jesc2J"},  // no control reaches a terminal
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Log_Clean_Text(c.raw), c.clean) << c.raw;
        EXPECT_EQ(Terminal_Line(c.raw, false), c.clean) << c.raw;
    }
    EXPECT_EQ(Terminal_Line(cases[0].raw, true), "\033[1m\033[33mWARNING:\033[39m bad \033[34m[3]\033[0m");
    EXPECT_EQ(Terminal_Line("plain\ttext", true), "plain\ttext");  // no reset without markup
    EXPECT_EQ(Terminal_Line("\x01\xC3\xA4", true), "\033[34m\xC3\xA4\033[0m");
}

// What a sink on a fresh file writes there; with shared_errors, its error stream is that file too.
std::string sink_output(void (*write)(Terminal_Sink&), bool shared_errors = false) {
    std::FILE* file = std::tmpfile();
    {
        Terminal_Sink sink(file, shared_errors ? file : stderr);
        write(sink);
    }
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

TEST(TerminalSink, PanelLinesUnlessTheConsoleEchoShowsThem) {
    Trace_Level = 0;
    EXPECT_EQ(sink_output([](Terminal_Sink& sink) {
                  sink.panel_write("\x01one");
                  sink.panel_overwrite("two");
              }),
              "one\ntwo\n");
    Trace_Level = -1;  // the trace file only: the lines still belong on the terminal
    EXPECT_EQ(sink_output([](Terminal_Sink& sink) { sink.panel_write("one"); }), "one\n");
    Trace_Level = 1;
    EXPECT_EQ(sink_output([](Terminal_Sink& sink) { sink.panel_write("one"); }), "");
    Trace_Level = 0;
}

// Boxes and error lines reach standard error, error lines also the panel stream, but never twice
// in one place (the error stream here being the panel stream's own file).
TEST(TerminalSink, ThreadLinesBoxesAndErrorLines) {
    Prog_Name = "Kestrapol";
    Log_Set_Handler(Log_Handler);
    std::string out = sink_output([](Terminal_Sink& sink) {
        Log_Set_Sink(&sink);
        Log_Message(nullptr, LOG_THREAD, "Found %d files", 12);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Log_Message(nullptr, LOG_QUESTION, "Overwrite?"), 0);
        Log_Box(nullptr, LOG_BOX_INFO, "Note", "\x04red");
        Log_Error_Line(nullptr, "\xF1\x04" "ERROR:\x02 Cannot open folder %s", "/x");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Kestrapol: Overwrite?\nNote: red\nERROR: Cannot open folder /x\n");
        Log_Set_Sink(nullptr);
    });
    EXPECT_EQ(out, "Found 12 files\nERROR: Cannot open folder /x\n");
    EXPECT_EQ(sink_output([](Terminal_Sink& together) {
                  Log_Set_Sink(&together);
                  Log_Error_Line(nullptr, "once");
                  Log_Set_Sink(nullptr);
              }, true),
              "once\n");
    Log_Set_Handler(nullptr);
}

}  // namespace
