// What the main window of every toolkit does apart from drawing and the desktop's dialogs: the
// keys' actions, drops and chosen folders that start a conversion, a check or a media copy, what
// a result row does when activated, the report copied or saved, help, and the start-up
// instructions. Each toolkit routes its events here and draws.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ui/conversion.h"
#include "app/ui/main_actions.h"
#include "app/ui/text_panel.h"
#include "app/ui/window_layout.h"

class Main_Window_Logic {
public:
    struct Hooks : Trace_Hooks {
        std::function<std::vector<std::string>()> choose_folders;  // none when cancelled
        std::function<std::string()> choose_report_file;          // empty when cancelled
        // The destination of a media copy, a new folder allowed; empty when cancelled.
        std::function<std::string()> choose_destination;
        // Shows a folder (or a file, such as the README) in the desktop's own program.
        std::function<void(const std::string& path)> open_folder;
        // The About box with text; toolkit: the window library's name and version.
        std::function<void(const std::string& text)> show_about;
        std::string toolkit;
        std::function<void(const std::string& text)> copy_text;
        // Esc: closes the window once the key is handled.
        std::function<void()> close;
        Conversion::Hooks conversion;
    };

    Main_Window_Logic(Win_Handle window, Text_Panel& panel, Hooks hooks);
    // Waits for a running worker; the window cancels it first.
    ~Main_Window_Logic() = default;

    // Acts on a key of the panel (app/ui/input.h codes); false when the key means nothing here.
    bool key(int code);
    // Starts converting the paths as a drop does, with the panel at its newest line; false
    // when refused because one is running.
    bool convert(const std::vector<std::string>& paths);
    // A drop: on the "Check media…" button the folders are checked, anywhere else converted.
    bool drop(const std::vector<std::string>& paths, bool on_check_button);
    void choose_folders();
    // Ctrl+K: the folders chosen are checked, not converted.
    void check_media();
    // Ctrl+M: the folders chosen, then a destination, make a media copy there.
    void make_media_copy();
    // A media copy of folder alone: only the destination is asked for.
    void copy_folder(const std::string& folder);
    // Enter or a double-click on result row: a copy's destination or a folder is opened; a folder
    // whose names are not allowed is offered its media copy instead.
    void activate_result(std::size_t row);
    // Whether the buttons that start a job take a press: none runs.
    bool can_start() const { return !conversion_.running(); }
    // F1: the README beside the program; Ctrl+F1: the About box.
    void help();
    void about();
    void copy_report();
    void save_report();
    std::string report() const;
    // The lines that tell a new user what to do, once start-up is through.
    void write_instructions();
    // Writes the worker's lines waiting in Thread_Text_Ring (the window's thread-line event).
    void drain_thread_ring();

    Conversion& conversion() { return conversion_; }
    const Conversion& conversion() const { return conversion_; }

private:
    void copy_to_chosen(const std::vector<std::string>& sources);

    Win_Handle window_;
    Text_Panel& panel_;
    Hooks hooks_;
    Conversion conversion_;  // last: its worker writes into the panel until it is joined
};
