// The main window on Win32: the scrolling text panel of what the program reports, the results
// list and the buttons of Main_Button_Labels, drawn here and shown to screen readers as push
// buttons. What keys, buttons and drops do is the shared logic's (app/ui/main_window_logic.h);
// here it is drawn and routed, and Tab moves the focus, which is always drawn.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ui/box_relay.h"
#include "app/ui/coalesced_request.h"
#include "app/ui/input.h"
#include "app/ui/main_window_logic.h"
#include "app/ui/text_panel.h"
#include "app/win32/accessible.h"
#include "app/win32/drop_target.h"
#include "app/win32/gdi_draw.h"
#include "app/win32/results_view.h"

// Messages the main window posts to itself (WM_USER + 1 is the thread ring's).
enum : UINT {
    Main_Message_Thread_Ring = WM_USER + 1,
    Main_Message_Repaint = WM_APP + 1,
    Main_Message_Results = WM_APP + 2,
    Main_Message_Boxes = WM_APP + 3,
    Main_Message_Busy = WM_APP + 4,       // a job started or ended: the starting buttons follow
    Main_Message_Run_Ended = WM_APP + 5,  // lparam: the run's milliseconds
};

// What the window needs of start-up and of the desktop. Empty hooks get the desktop's own
// dialogs (tests give their own instead).
struct Win32_Main_Window_Hooks : Trace_Hooks {
    std::function<std::vector<std::string>(HWND owner)> choose_folders;  // none when cancelled
    std::function<std::string(HWND owner)> choose_report_file;           // empty when cancelled
    std::function<std::string(HWND owner)> choose_destination;         // empty when cancelled
    std::function<void(HWND owner, const std::string& folder)> open_folder;  // or a file, in its program
    std::function<void(HWND owner, const std::string& text)> copy_text;
    std::function<void(HWND owner, const std::string& text)> show_about;
};

class Win32_Main_Window {
public:
    static constexpr Rgb Panel_Background = Main_Panel_Background;

    // Registers the window class (named as the title) and the progress window's.
    static bool Register_Classes(HINSTANCE instance, const char* title);
    // Creates the window, hidden, accepting drops (by OLE drag and drop where the thread has
    // OLE, and as WM_DROPFILES).
    Win32_Main_Window(const char* title, Win32_Main_Window_Hooks hooks);
    // Asks a running conversion to stop, waits for it and destroys the window.
    ~Win32_Main_Window();
    Win32_Main_Window(const Win32_Main_Window&) = delete;
    Win32_Main_Window& operator=(const Win32_Main_Window&) = delete;

    HWND handle() const { return window_; }
    Text_Panel& panel() { return panel_; }
    Main_Window_Logic& logic() { return logic_; }
    const Conversion& conversion() const { return logic_.conversion(); }
    const Results_View& results_view() const { return results_; }
    // Starts converting the paths as a drop does; false when refused because one is running.
    bool convert(const std::vector<std::string>& paths) { return logic_.convert(paths); }
    // Folders let go of at a point of the client area: checked on "Check media…", else converted.
    bool dropped(const std::vector<std::string>& paths, POINT at) {
        return logic_.drop(paths, buttons_[Main_Check_Button].hit(at.x, at.y));
    }
    // Where OLE delivers a drag over the window; whether files are over it now.
    IDropTarget* drop_target() { return &drop_target_; }
    bool drag_highlight() const { return drag_highlight_; }
    // Whether the drag over the window is refused (a dashed frame with "Busy").
    bool drag_refused() const { return drag_refused_; }
    // The buttons in the order of Main_Button_Labels.
    const Gdi::Button& button(int index) const { return buttons_[index]; }
    // The progress window of the latest conversion while it exists.
    HWND progress_window() const { return IsWindow(progress_window_) ? progress_window_ : nullptr; }
    // Cancels a running conversion and waits for its worker (closing, quitting).
    void stop_conversion();
    // Paints the whole client area (the window's paint and screenshots).
    void paint(HDC dc, int width, int height);
    // Any thread: shows a box on the GUI thread and returns its answer.
    int box(const char* caption, const char* text, Box_Icon icon) { return boxes_.ask(caption, text, icon); }

private:
    // Where the keys go: the panel, the results list, then the buttons.
    static constexpr int Focus_Panel = 0, Focus_Results = 1, Focus_Button = 2, Focus_Count = 2 + Main_Button_Count;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    void lay_out();
    void key_down(WPARAM virtual_key);
    void press(int button);
    void set_focus(int focus);
    void mouse(UINT message, WPARAM wparam, LPARAM lparam);
    void set_drag_highlight(bool on);
    void show_busy();
    void add_accessible_buttons();
    // The button that has the keys, or nullptr.
    Gdi::Button* focused_button() { return focus_ >= Focus_Button ? &buttons_[focus_ - Focus_Button] : nullptr; }
    // A long run that ended unseen asks for attention.
    void run_ended(double seconds);

    static HWND Create(const char* title);
    Main_Window_Logic::Hooks logic_hooks();
    int show_box(const char* caption, const char* text, Box_Icon icon);

    Win32_Main_Window_Hooks hooks_;
    HWND window_;
    int dpi_ = 96;
    Text_Panel panel_;
    Results_View results_;
    Gdi::Button buttons_[Main_Button_Count];
    int focus_ = Focus_Panel;
    int pressed_ = -1;  // the button the left button went down on, -1 for none
    Wheel_Accumulator wheel_;
    Wheel_Accumulator results_wheel_;
    int button_widths_[Main_Button_Count] = {};
    std::string title_;  // without the mark of a finished run
    Coalesced_Request repaint_request_;
    Coalesced_Request results_request_;
    Window_Accessible accessible_;  // the panel for screen readers
    std::size_t results_element_ = 0;  // the results list among accessible_'s elements
    Drop_Target drop_target_;
    bool drag_highlight_ = false;
    bool drag_refused_ = false;
    bool drop_registered_ = false;
    HWND progress_window_ = nullptr;
    bool quit_on_destroy_ = false;  // set by a close from the user: the message loop then ends
    Box_Relay boxes_;
    Main_Window_Logic logic_;  // last: its worker writes into the members above until it is joined
};
