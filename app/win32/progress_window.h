// The progress window on Win32: caption, a panel of progress lines, the bar and Cancel.
//
// The worker feeds the shared progress state (app/ui/progress_feed.h), which posts the window's
// WM_USER messages; the window draws when they arrive on the GUI thread. The object belongs to
// the window, made on its creation and released with it (after Progress_Close). Esc, Enter and
// Space cancel as the Cancel button does; the close box cancels too and the window stays until
// the worker closes it.
#pragma once

#include <windows.h>

#include <string>

#include "app/ui/coalesced_request.h"
#include "app/ui/input.h"
#include "app/ui/progress_feed.h"
#include "app/ui/progress_text.h"
#include "app/ui/window_layout.h"
#include "app/win32/accessible.h"
#include "app/win32/gdi_draw.h"

// The posted messages; they carry 0 in both parameters.
enum : UINT {
    Progress_Message_Caption = WM_USER,      // redraw the caption label
    Progress_Message_Bar = WM_USER + 2,      // draw the bar (further ones waiting are dropped)
    Progress_Message_Close = WM_USER + 3,    // destroy the window
    Progress_Message_Bar_Box = WM_USER + 5,  // redraw the bar box
    Progress_Message_Lines = WM_USER + 6,    // write the queued lines
    Progress_Message_Show = WM_USER + 7,     // top-most and visible
    Progress_Message_Count = WM_USER + 8,    // the running count
    Progress_Message_Repaint = WM_USER + 9,  // the panel changed
};

class Win32_Progress final : public Progress_Feed {
public:
    static constexpr int Width = Progress_Width;  // at 96 dpi
    static constexpr int Height = Progress_Height;

    explicit Win32_Progress(HWND window);
    HWND window() const { return window_; }
    // Sets the cancel flag and writes the reason to the panel.
    void cancel(const char* note) {
        Text_Target target(panel);
        Progress_Feed::cancel(target, note);
    }
    // Lays the widgets out for a client size in device pixels at dpi.
    void lay_out(int width, int height, int dpi);
    // Paints the whole client area (the window's paint and screenshots).
    void paint(HDC dc, int width, int height);

    Text_Panel panel;
    Gdi::Box caption_label;
    Gdi::Box bar_box;
    Gdi::Box button_box;
    Gdi::Button cancel_button;
    std::string caption_text;
    Wheel_Accumulator wheel;
    Coalesced_Request bar_request, count_request, repaint_request;
    Window_Accessible accessible;  // caption, lines, bar and Cancel for screen readers
    static constexpr std::size_t Accessible_Bar = 2;

protected:
    void post(Progress_Event event) override;

private:
    HWND window_;
};

// Registers the class "Progress".
bool Progress_Register_Class(HINSTANCE instance);
// Creates the window near the middle of the parent, visible but not yet top-most; the object is
// the window's, nullptr when the window cannot be made.
Win32_Progress* Progress_Create_Window(HWND parent, const char* title, const char* caption);
// The object of a progress window; nullptr once the window is gone.
Win32_Progress* Progress_Object_Of(HWND window);
