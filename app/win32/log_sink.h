// Where the log handler sends panel lines, thread lines and boxes in interactive mode on Win32:
// the main window's panel, its WM_USER+1, and boxes shown by the GUI thread.
#pragma once

#include "app/win32/main_window.h"
#include "util/log_sink.h"

class Win32_Log_Sink final : public Log_Sink {
public:
    explicit Win32_Log_Sink(Win32_Main_Window& window) : window_(window) {}
    void panel_write(const char* raw_text) override { Text_Panel::Write(window_.panel(), raw_text); }
    void panel_overwrite(const char* raw_text) override { Text_Panel::OverWrite(window_.panel(), raw_text); }
    void thread_line_posted(Win_Handle) override { PostMessageW(window_.handle(), Main_Message_Thread_Ring, 0, 0); }
    int box(Win_Handle, const char* caption, const char* text, Box_Icon icon) override {
        return window_.box(caption, text, icon);
    }

private:
    Win32_Main_Window& window_;
};
