// Provisional handler: to be completed (console echo rules, trace file, error log).
#include <cstdio>

#include "util/log_sink.h"

char Thread_Text_Ring[Thread_Ring_Slots][Thread_Ring_Slot_Size];

namespace {
Log_Sink* current_sink = nullptr;
int ring_write_index = 0;
}  // namespace

void Log_Set_Sink(Log_Sink* sink) { current_sink = sink; }
Log_Sink* Log_Get_Sink() { return current_sink; }
int Thread_Ring_Write_Index() { return ring_write_index; }

int Log_Show_Box(Win_Handle window, int kind, const char* caption, const char* text) {
    Box_Icon icon = kind == LOG_QUESTION ? Box_Icon::Question
                    : kind == LOG_BOX_INFO ? Box_Icon::Information
                    : kind == LOG_BOX_WARNING ? Box_Icon::Warning : Box_Icon::Error;
    if (current_sink) return current_sink->box(window, caption, text, icon);
    if (caption && *caption) std::fprintf(stderr, "%s: %s\n", caption, text);
    else std::fprintf(stderr, "%s\n", text);
    return 1;
}

int Log_Handler(Win_Handle, int, const char* text) {
    std::printf("%s\n", text);
    return 1;
}

std::FILE* Log_File_Open(const std::string& name) {
    return std::fopen((Scratch_Dir + name).c_str(), "a");
}
