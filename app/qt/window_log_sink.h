// Interactive mode's Log_Sink: panel lines go to the main window's panel, thread lines wake
// the window, and boxes become Qt message boxes owned by the main window. A box asked for on
// another thread is shown by the GUI thread while the asking thread waits for the answer.
#pragma once

#include "app/ui/box_relay.h"
#include "util/log_sink.h"

class Main_Widget;

class Window_Log_Sink final : public Log_Sink {
public:
    explicit Window_Log_Sink(Main_Widget& window);

    void panel_write(const char* raw_text) override;
    void panel_overwrite(const char* raw_text) override;
    void thread_line_posted(Win_Handle window) override;
    int box(Win_Handle owner, const char* caption, const char* text, Box_Icon icon) override;

    // Answers every waiting box with its default (No for questions) and shows no more boxes
    // for other threads: the GUI thread is about to stop serving them.
    void shut_down() { relay_.shut_down(); }

private:
    Main_Widget& window_;
    Box_Relay relay_;
};
