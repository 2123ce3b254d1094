#include "app/win32/main_window.h"

#include <shellapi.h>

#include <algorithm>

#include "app/ui/attention.h"
#include "app/win32/desktop.h"
#include "app/win32/keys.h"
#include "app/win32/progress_window.h"
#include "app/win32/window_class.h"
#include "util/log.h"
#include "util/platform/win32/wide.h"

namespace {

std::wstring class_name;  // the title, as start-up registers it

}  // namespace

bool Win32_Main_Window::Register_Classes(HINSTANCE instance, const char* title) {
    class_name = Utf8_To_Wide(title);
    const bool registered =
        Register_Window_Class(instance, class_name.c_str(), Procedure, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
    return registered && Progress_Register_Class(instance);
}

HWND Win32_Main_Window::Create(const char* title) {
    const int dpi = Win32_Dpi(nullptr);
    // Its children (the results list's scroll bar) keep their pixels when it paints.
    return CreateWindowExW(0, class_name.c_str(), Utf8_To_Wide(title).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, Gdi::Scaled(Main_Width, dpi), Gdi::Scaled(Main_Height, dpi), nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

Win32_Main_Window::Win32_Main_Window(const char* title, Win32_Main_Window_Hooks hooks)
    : hooks_(std::move(hooks)),
      window_(Create(title)),
      repaint_request_([this] { PostMessageW(window_, Main_Message_Repaint, 0, 0); }),
      results_request_([this] { PostMessageW(window_, Main_Message_Results, 0, 0); }),
      drop_target_(Drop_Target::Hooks{[this](bool over) { set_drag_highlight(over); },
                                      [this](const std::vector<std::string>& paths, POINT at) {
                                          ScreenToClient(window_, &at);
                                          dropped(paths, at);
                                      },
                                      [this] { return !logic_.conversion().refused_busy(); }}),
      boxes_([this](const char* caption, const char* text, Box_Icon icon) { return show_box(caption, text, icon); },
             [this] { PostMessageW(window_, Main_Message_Boxes, 0, 0); }),
      logic_(window_, panel_, logic_hooks()) {
    for (int i = 0; i < Main_Button_Count; ++i) buttons_[i].label = Label_Without_Mnemonic(Main_Button_Labels[i]);
    if (!window_) return;
    // Messages reach the object from here on; those of the creation itself needed none.
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    dpi_ = Win32_Dpi(window_);
    DragAcceptFiles(window_, TRUE);
    drop_registered_ = RegisterDragDrop(window_, &drop_target_) == S_OK;
    Text_Panel::Set_Repaint_Request(panel_, [this] { repaint_request_.request(); });
    accessible_.add_panel(panel_, Accessible_Panel_Name, false, [this] { return focus_ == Focus_Panel; });
    add_accessible_buttons();
    title_ = title;
    results_.create_controls(window_);
    lay_out();
}

// Drawn buttons, as screen readers know push buttons: the label, the tip with its key, the key,
// unavailable while disabled, and "Press".
void Win32_Main_Window::add_accessible_buttons() {
    for (int i = 0; i < Main_Button_Count; ++i) {
        Drawn_Element element;
        element.role = ROLE_SYSTEM_PUSHBUTTON;
        const std::wstring name = Utf8_To_Wide(buttons_[i].label), tip = Utf8_To_Wide(Main_Button_Tips[i]);
        element.name = [name] { return name; };
        element.description = [tip] { return tip; };
        const std::size_t open = tip.rfind(L'('), close = tip.rfind(L')');
        if (open != std::wstring::npos && close > open) element.shortcut = tip.substr(open + 1, close - open - 1);
        element.area = [this, i] { return buttons_[i].rect; };
        element.enabled = [this, i] { return buttons_[i].enabled; };
        element.has_keys = [this, i] { return focus_ == Focus_Button + i; };
        element.press = [this, i] { press(i); };
        accessible_.add(std::move(element));
    }
    // The results list: its value is the selected row, every column named.
    Drawn_Element list;
    list.role = ROLE_SYSTEM_LIST;
    list.name = [] { return std::wstring(L"Results"); };
    list.value = [this] { return Utf8_To_Wide(results_.selected_spoken()); };
    list.description = [this] { return std::to_wstring(results_.row_count()) + L" rows"; };
    list.area = [this] { return results_.rect; };
    list.has_keys = [this] { return focus_ == Focus_Results; };
    results_element_ = accessible_.count();
    accessible_.add(std::move(list));
}

Main_Window_Logic::Hooks Win32_Main_Window::logic_hooks() {
    Desktop_Fill(hooks_);
    Main_Window_Logic::Hooks hooks;
    static_cast<Trace_Hooks&>(hooks) = hooks_;
    hooks.choose_folders = [this] { return hooks_.choose_folders(window_); };
    hooks.choose_report_file = [this] { return hooks_.choose_report_file(window_); };
    hooks.copy_text = [this](const std::string& text) { hooks_.copy_text(window_, text); };
    hooks.choose_destination = [this] { return hooks_.choose_destination(window_); };
    hooks.open_folder = [this](const std::string& path) { hooks_.open_folder(window_, path); };
    hooks.show_about = [this](const std::string& text) { hooks_.show_about(window_, text); };
    hooks.toolkit = "Windows user32 and gdi32";
    hooks.close = [this] { PostMessageW(window_, WM_CLOSE, 0, 0); };
    hooks.conversion.open_progress = [this]() -> Progress_Window* {
        Win32_Progress* progress = Progress_Create_Window(window_, Progress_Title, Progress_Caption);
        progress_window_ = progress ? progress->window() : nullptr;
        return progress;
    };
    hooks.conversion.results_changed = [this] { results_request_.request(); };
    hooks.conversion.busy_changed = [this] { PostMessageW(window_, Main_Message_Busy, 0, 0); };
    hooks.conversion.progress_line = [this](const char* line) {
        if (Win32_Progress* progress = Progress_Object_Of(progress_window())) progress->text(line);
    };
    hooks.conversion.finished = [this](double seconds) {
        PostMessageW(window_, Main_Message_Run_Ended, 0, static_cast<LPARAM>(seconds * 1000));
    };
    return hooks;
}

Win32_Main_Window::~Win32_Main_Window() {
    boxes_.shut_down();  // a worker waiting for a box gets its default answer
    stop_conversion();
    Text_Panel::Set_Repaint_Request(panel_, {});
    if (HWND progress = progress_window()) DestroyWindow(progress);
    if (window_ && IsWindow(window_)) {
        if (drop_registered_) RevokeDragDrop(window_);  // OLE lets go of drop_target_ first
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void Win32_Main_Window::stop_conversion() {
    if (Win32_Progress* progress = Progress_Object_Of(progress_window())) progress->abandon();
    // The worker may still need this thread (a message sent to a window of ours) until it ends:
    // serve the messages meanwhile, then collect the thread.
    while (conversion().running()) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that asked
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    logic_.conversion().wait();
}

LRESULT CALLBACK Win32_Main_Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Win32_Main_Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wparam, lparam) : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Win32_Main_Window::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLOSE:
        if (quit_on_destroy_) return 0;  // closing already
        quit_on_destroy_ = true;
        boxes_.shut_down();
        stop_conversion();
        DestroyWindow(window_);
        return 0;
    case WM_GETOBJECT: {
        const LRESULT answer = accessible_.get_object(window_, wparam, lparam);
        return answer ? answer : DefWindowProcW(window_, message, wparam, lparam);
    }
    case WM_DESTROY:
        accessible_.disconnect();
        if (drop_registered_) RevokeDragDrop(window_);
        drop_registered_ = false;
        if (quit_on_destroy_) PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        lay_out();
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
    case WM_DPICHANGED:
        dpi_ = HIWORD(wparam);
        Gdi::Follow_Dpi_Change(window_, lparam);
        lay_out();
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Gdi::Paint_Window(window_, [this](HDC dc, int w, int h) { paint(dc, w, h); }); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(window_, nullptr, FALSE); return 0;
    case WM_KEYDOWN: key_down(wparam); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE: mouse(message, wparam, lparam); return 0;
    case WM_GETMINMAXINFO: {  // the panel, the list and every button stay usable
        const Ui_Size least = Main_Minimum_Size(dpi_, button_widths_);
        RECT frame{0, 0, least.width, least.height};
        AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)), FALSE,
                                 static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE)), static_cast<UINT>(dpi_));
        reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = POINT{frame.right - frame.left, frame.bottom - frame.top};
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE) SetWindowTextW(window_, Utf8_To_Wide(title_).c_str());  // the run is seen
        return DefWindowProcW(window_, message, wparam, lparam);
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lparam) != results_.scroll_bar()) return DefWindowProcW(window_, message, wparam, lparam);
        if (results_.scroll_request(LOWORD(wparam))) {  // the keys go to the list again, not to the bar
            SetFocus(window_);
            set_focus(Focus_Results);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        // Sent to the focus window: the part under the pointer scrolls.
        POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        ScreenToClient(window_, &at);
        if (results_.rect.contains(at.x, at.y)) {
            const int rows = results_wheel_.lines(GET_WHEEL_DELTA_WPARAM(wparam), Win32_Wheel_Lines(results_.visible_rows()));
            if (rows != 0 && results_.scroll(rows)) results_.changed();
            return 0;
        }
        const int lines = wheel_.lines(GET_WHEEL_DELTA_WPARAM(wparam), Win32_Wheel_Lines(Text_Panel::Visible_Lines(panel_)));
        if (lines != 0) Text_Panel::Scroll(panel_, lines);
        return 0;
    }
    case WM_DROPFILES: {
        const HDROP drop = reinterpret_cast<HDROP>(wparam);
        const std::vector<std::string> paths = Dropped_Paths(drop);
        POINT at{};
        DragQueryPoint(drop, &at);
        DragFinish(drop);
        if (!paths.empty()) dropped(paths, at);
        return 0;
    }
    case Main_Message_Thread_Ring:
        logic_.drain_thread_ring();
        return 0;
    case Main_Message_Repaint: {
        repaint_request_.handled();
        const RECT area = Gdi::Win_Rect(Text_Panel::Area_Rect(panel_));
        InvalidateRect(window_, &area, FALSE);
        accessible_.panel_changed(window_);
        return 0;
    }
    case Main_Message_Results:
        results_request_.handled();
        results_.show_results(conversion().results());
        accessible_.value_changed(window_, results_element_);
        results_.changed();
        return 0;
    case Main_Message_Run_Ended: run_ended(static_cast<double>(lparam) / 1000); return 0;
    case Main_Message_Boxes: boxes_.serve(); return 0;
    case Main_Message_Busy: show_busy(); return 0;
    default: return DefWindowProcW(window_, message, wparam, lparam);
    }
}

void Win32_Main_Window::lay_out() {
    RECT client;
    GetClientRect(window_, &client);
    const auto px = [this](int length) { return Gdi::Scaled(length, dpi_); };
    for (int i = 0; i < Main_Button_Count; ++i) {
        buttons_[i].font_size = px(13);
        button_widths_[i] = Gdi::Text_Width(Markup_Decode(buttons_[i].label), Gdi::Font(buttons_[i].font_size)) + px(24);
    }
    const Main_Layout layout = Main_Lay_Out(client.right, client.bottom, dpi_, button_widths_);
    for (int i = 0; i < Main_Button_Count; ++i) buttons_[i].rect = layout.buttons[i];
    results_.place(layout.results, px(13), px(16));
    Gdi::Layout_Panel(panel_, layout.panel, Panel_Background, px(Text_Panel::Default_Font_Size));
}

void Win32_Main_Window::run_ended(double seconds) {
    // The progress window, owned by this one, may still be the active one as the run ends.
    const HWND active = GetForegroundWindow();
    const bool seen = active && (active == window_ || GetWindow(active, GW_OWNER) == window_);
    if (!Run_End_Asks_Attention(seconds, seen)) return;
    SetWindowTextW(window_, Utf8_To_Wide(Title_Done(title_)).c_str());
    FLASHWINFO flash{sizeof(FLASHWINFO), window_, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

void Win32_Main_Window::paint(HDC dc, int width, int height) {
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    Gdi::Draw_Panel(panel_, dc);
    const bool focused = GetFocus() == window_;
    if (focused && focus_ == Focus_Panel) {  // the keys scroll the panel: show where they go
        RECT mark = Gdi::Win_Rect(Text_Panel::Area_Rect(panel_));
        SetDCBrushColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        for (int i = 0; i < 2; ++i, InflateRect(&mark, -1, -1)) FrameRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    results_.draw(dc, focused && focus_ == Focus_Results);
    for (int i = 0; i < Main_Button_Count; ++i) {
        buttons_[i].focused = focused && focus_ == Focus_Button + i;
        buttons_[i].draw(dc);
    }
    if (drag_highlight_) {  // where the folders dragged over it would land, or that they would not
        const Rgb colour = drag_refused_ ? Drop_Refused : Drop_Highlight;
        const int thickness = Gdi::Scaled(4, dpi_), dash = Gdi::Scaled(12, dpi_);
        SetDCBrushColor(dc, RGB(colour.red, colour.green, colour.blue));
        const HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
        // Refused: dashed, every other stretch left out.
        for (int x = 2; x < width - 2; x += dash) {
            if (drag_refused_ && (x / dash) % 2) continue;
            const RECT top{x, 2, std::min(x + dash, width - 2), 2 + thickness};
            const RECT bottom{x, height - 2 - thickness, top.right, height - 2};
            FillRect(dc, &top, brush);
            FillRect(dc, &bottom, brush);
        }
        for (int y = 2; y < height - 2; y += dash) {
            if (drag_refused_ && (y / dash) % 2) continue;
            const RECT left{2, y, 2 + thickness, std::min(y + dash, height - 2)};
            const RECT right{width - 2 - thickness, y, width - 2, left.bottom};
            FillRect(dc, &left, brush);
            FillRect(dc, &right, brush);
        }
        if (drag_refused_) {
            RECT area = Gdi::Win_Rect(Text_Panel::Area_Rect(panel_));
            Gdi::Draw_Text_Line(dc, area, Drop_Refused_Text, Gdi::Font(Gdi::Scaled(28, dpi_), Font_Style::Bold),
                                RGB(colour.red, colour.green, colour.blue), true);
        }
    }
}

void Win32_Main_Window::set_focus(int focus) {
    focus_ = focus;
    InvalidateRect(window_, nullptr, FALSE);
}

void Win32_Main_Window::press(int button) {
    if (button < 0 || button >= Main_Button_Count || !buttons_[button].enabled) return;
    switch (button) {
    case 0: logic_.choose_folders(); break;
    case 1: logic_.make_media_copy(); break;
    case 2: logic_.check_media(); break;
    case 3: logic_.copy_report(); break;
    case 4: logic_.save_report(); break;
    default: break;
    }
}

void Win32_Main_Window::show_busy() {
    for (int i = 0; i < Main_Starting_Buttons; ++i) buttons_[i].enabled = logic_.can_start();
    InvalidateRect(window_, nullptr, FALSE);
}

void Win32_Main_Window::key_down(WPARAM virtual_key) {
    if (virtual_key == VK_TAB) {  // panel, results, the buttons, and round again
        const int step = GetKeyState(VK_SHIFT) < 0 ? Focus_Count - 1 : 1;
        set_focus((focus_ + step) % Focus_Count);
        return;
    }
    const bool plain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (focus_ == Focus_Results && plain) {
        if (virtual_key == VK_RETURN) {
            if (results_.selected() >= 0) logic_.activate_result(static_cast<std::size_t>(results_.selected()));
            return;
        }
        if (results_.key(virtual_key)) {
            results_.changed();
            accessible_.value_changed(window_, results_element_);
            return;
        }
    }
    if (focused_button() && plain && (virtual_key == VK_RETURN || virtual_key == VK_SPACE)) {
        press(focus_ - Focus_Button);
        return;
    }
    logic_.key(Win32_Key_Code(virtual_key));
}

void Win32_Main_Window::mouse(UINT message, WPARAM wparam, LPARAM lparam) {
    const POINT at = Win32_Mouse_Point(lparam);
    const int state = message == WM_LBUTTONDOWN ? 2 : message == WM_MOUSEMOVE && (wparam & MK_LBUTTON) ? 1 : 0;
    if (message == WM_LBUTTONDOWN) {
        SetFocus(window_);
        SetCapture(window_);
        pressed_ = -1;
        if (Text_Panel::Area_Rect(panel_).contains(at.x, at.y)) set_focus(Focus_Panel);
        else if (results_.rect.contains(at.x, at.y)) {
            if (results_.select_at(at.x, at.y)) accessible_.value_changed(window_, results_element_);
            set_focus(Focus_Results);
        }
        for (int i = 0; i < Main_Button_Count; ++i)
            if (buttons_[i].enabled && buttons_[i].hit(at.x, at.y)) pressed_ = i;
    }
    if (message == WM_LBUTTONDBLCLK && results_.select_at(at.x, at.y)) {
        logic_.activate_result(static_cast<std::size_t>(results_.selected()));
        return;
    }
    if (message == WM_MOUSEMOVE) results_.hover(at.x, at.y);
    Text_Panel::Pointer_At(panel_, state, at.x, at.y);
    bool changed = false;
    for (int i = 0; i < Main_Button_Count; ++i) {
        // Only the button the press began on is pressed; the others follow the hover.
        const int button_state = pressed_ == i ? state : 0;
        changed |= buttons_[i].pointer(button_state, at.x, at.y);
    }
    if (message == WM_LBUTTONUP) {
        ReleaseCapture();
        const int released = pressed_;
        pressed_ = -1;
        if (released >= 0 && buttons_[released].hit(at.x, at.y)) {
            set_focus(Focus_Button + released);
            press(released);
        }
    }
    if (changed) InvalidateRect(window_, nullptr, FALSE);
}

void Win32_Main_Window::set_drag_highlight(bool on) {
    const bool refused = on && !logic_.can_start();
    if (drag_highlight_ == on && drag_refused_ == refused) return;
    drag_highlight_ = on;
    drag_refused_ = refused;
    InvalidateRect(window_, nullptr, FALSE);
}

int Win32_Main_Window::show_box(const char* caption, const char* text, Box_Icon icon) {
    const std::u16string title = Markup_Plain(caption), body = Markup_Plain(text);
    UINT style = MB_OK;
    switch (icon) {
    case Box_Icon::Question: style = MB_YESNO | MB_ICONQUESTION; break;
    case Box_Icon::Warning: style = MB_OK | MB_ICONWARNING; break;
    case Box_Icon::Error: style = MB_OK | MB_ICONERROR; break;
    case Box_Icon::Information: style = MB_OK | MB_ICONINFORMATION; break;
    }
    const int answer = MessageBoxW(window_, reinterpret_cast<const wchar_t*>(body.c_str()),
                                   reinterpret_cast<const wchar_t*>(title.c_str()), style);
    return icon == Box_Icon::Question ? (answer == IDYES ? 1 : 0) : 1;
}
