#include "app/win32/progress_window.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "app/win32/keys.h"
#include "app/win32/window_class.h"
#include "util/log.h"
#include "util/platform/win32/wide.h"
#include "util/system_error.h"

namespace {

constexpr wchar_t Class_Name[] = L"Progress";

LRESULT CALLBACK progress_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

void post_to(HWND window, UINT message) { PostMessageW(window, message, 0, 0); }

void invalidate(HWND window, const Ui_Rect& rect) {
    const RECT r = Gdi::Win_Rect(rect);
    InvalidateRect(window, &r, FALSE);
}

}  // namespace

Win32_Progress::Win32_Progress(HWND window)
    : bar_request([window] { post_to(window, Progress_Message_Bar); }),
      count_request([window] { post_to(window, Progress_Message_Count); }),
      repaint_request([window] { post_to(window, Progress_Message_Repaint); }),
      window_(window) {
    cancel_button.label = "Cancel";
    caption_label.background = Caption_Background;
    bar_box.background = Progress_Bar_Background;
    button_box.background = Progress_Frame_Background;
    Text_Panel::Set_Repaint_Request(panel, [this] { repaint_request.request(); });
    Drawn_Element caption;
    caption.name = [this] {
        std::lock_guard guard(lock());
        return Utf8_To_Wide(caption_text);
    };
    caption.area = [this] { return caption_label.rect; };
    accessible.add(std::move(caption));
    accessible.add_panel(panel, Accessible_Progress_Lines_Name, false);
    Drawn_Element bar;
    bar.role = ROLE_SYSTEM_PROGRESSBAR;
    bar.name = [] { return Utf8_To_Wide(Accessible_Bar_Name); };
    bar.value = [this] { return Accessible_Wide(Accessible_Progress_Value(position(), maximum())); };
    bar.area = [this] { return bar_box.rect; };
    accessible.add(std::move(bar));
    Drawn_Element button;
    button.role = ROLE_SYSTEM_PUSHBUTTON;
    button.name = [] { return Utf8_To_Wide(Accessible_Cancel_Name); };
    button.area = [this] { return cancel_button.rect; };
    button.press = [this] { cancel(Progress_Cancel_Note); };
    button.focus_of_owner = true;
    accessible.add(std::move(button));
}

void Win32_Progress::post(Progress_Event event) {
    switch (event) {
    case Progress_Event::Caption: post_to(window_, Progress_Message_Caption); return;
    case Progress_Event::Show: post_to(window_, Progress_Message_Show); return;
    case Progress_Event::Lines: post_to(window_, Progress_Message_Lines); return;
    case Progress_Event::Bar: bar_request.request(); return;
    case Progress_Event::Bar_Box: post_to(window_, Progress_Message_Bar_Box); return;
    case Progress_Event::Close: post_to(window_, Progress_Message_Close); return;
    case Progress_Event::Count: count_request.request(); return;
    }
}

void Win32_Progress::lay_out(int width, int height, int dpi) {
    std::lock_guard guard(lock());
    const Progress_Layout layout = Progress_Lay_Out(width, height, dpi);
    button_box.rect = layout.button_box;
    cancel_button.rect = layout.cancel;
    cancel_button.font_size = Gdi::Scaled(13, dpi);
    bar_box.rect = layout.bar_box;
    Gdi::Layout_Panel(panel, layout.panel, Progress_Panel_Background, Gdi::Scaled(Progress_Panel_Font_Size, dpi));
    caption_label.rect = layout.caption;
    caption_label.font_size = Gdi::Scaled(Progress_Caption_Font_Size, dpi);
}

void Win32_Progress::paint(HDC dc, int width, int height) {
    std::lock_guard guard(lock());
    const RECT all{0, 0, width, height};
    SetDCBrushColor(dc, Gdi::Colour(Progress_Frame_Background));
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    caption_label.label = caption_text;
    caption_label.draw(dc);
    Gdi::Draw_Panel(panel, dc);
    bar_box.draw(dc);
    Ui_Rect bar = bar_box.rect;
    Gdi::Draw_Bar(dc, Ui_Rect{bar.x + 1, bar.y + 1, bar.width - 2, bar.height - 2}, position(), maximum(), Progress_Bar_Background);
    button_box.draw(dc);
    cancel_button.focused = GetFocus() == window_;
    cancel_button.draw(dc);
}

namespace {

void pointer(Win32_Progress& o, int state, LPARAM lparam) {
    const POINT at = Win32_Mouse_Point(lparam);
    std::lock_guard guard(o.lock());
    if (o.cancel_button.pointer(state, at.x, at.y)) invalidate(o.window(), o.cancel_button.rect);
    Text_Panel::Pointer_At(o.panel, state, at.x, at.y);
}

LRESULT CALLBACK progress_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* object = new Win32_Progress(window);
        SetLastError(0);
        if (!SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object)) && GetLastError() != 0) {
            Log_Message(nullptr, LOG_TRACE_1, "file:%s line:%d", __FILE__, __LINE__);
            Log_Message(nullptr, LOG_TRACE_1, "Failed in SetWindowLong()");
            Log_Message(nullptr, LOG_TRACE_1, "%s", System_Error_Str(0));
            delete object;
            return FALSE;
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }
    Win32_Progress* o = Progress_Object_Of(window);
    if (!o) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete o;
        return 0;
    case WM_GETOBJECT: {
        const LRESULT answer = o->accessible.get_object(window, wparam, lparam);
        return answer ? answer : DefWindowProcW(window, message, wparam, lparam);
    }
    case WM_SIZE: {
        o->lay_out(LOWORD(lparam), HIWORD(lparam), Win32_Dpi(window));
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_DPICHANGED: Gdi::Follow_Dpi_Change(window, lparam); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Gdi::Paint_Window(window, [o](HDC dc, int w, int h) { o->paint(dc, w, h); }); return 0;
    case WM_CLOSE:  // the window stays until the worker notices the flag and closes it
        o->cancel(Progress_Closing_Note);
        return 0;
    case WM_KEYDOWN:
        if (Progress_Key_Cancels(Win32_Key_Code(wparam))) o->cancel(Progress_Cancel_Note);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: invalidate(window, o->cancel_button.rect); return 0;
    case WM_LBUTTONDOWN: {
        if (GetFocus() != window) SetFocus(window);
        SetCapture(window);
        const POINT at = Win32_Mouse_Point(lparam);
        {
            std::lock_guard guard(o->lock());
            if (o->cancel_button.hit(at.x, at.y)) o->cancel(Progress_Cancel_Note);
        }
        pointer(*o, 2, lparam);
        return 0;
    }
    case WM_LBUTTONUP:
        ReleaseCapture();
        pointer(*o, 0, lparam);
        return 0;
    case WM_MOUSEMOVE: pointer(*o, (wparam & MK_LBUTTON) ? 1 : 0, lparam); return 0;
    case WM_MOUSEWHEEL: {
        const int lines = o->wheel.lines(GET_WHEEL_DELTA_WPARAM(wparam), Win32_Wheel_Lines(Text_Panel::Visible_Lines(o->panel)));
        if (lines != 0) {
            std::lock_guard guard(o->lock());
            Text_Panel::Scroll(o->panel, lines);
        }
        return 0;
    }
    case Progress_Message_Caption: invalidate(window, o->caption_label.rect); return 0;
    case Progress_Message_Bar: {
        MSG waiting;  // they carry nothing: one drawing serves them all
        while (PeekMessageW(&waiting, window, Progress_Message_Bar, Progress_Message_Bar, PM_REMOVE)) {
            // A filtered peek hands over a pending quit too: it belongs to the loop that asked.
            if (waiting.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(waiting.wParam));
                break;
            }
        }
        o->bar_request.handled();
        Text_Target target(o->panel);
        o->show_reading(target);
        if (!IsIconic(window)) invalidate(window, o->bar_box.rect);
        o->accessible.value_changed(window, Win32_Progress::Accessible_Bar);
        return 0;
    }
    case Progress_Message_Count: {
        o->count_request.handled();
        Text_Target target(o->panel);
        o->show_count(target);
        return 0;
    }
    case Progress_Message_Repaint:
        o->repaint_request.handled();
        invalidate(window, Text_Panel::Area_Rect(o->panel));
        o->accessible.panel_changed(window);
        return 0;
    case Progress_Message_Close: DestroyWindow(window); return 0;
    case Progress_Message_Bar_Box: invalidate(window, o->bar_box.rect); return 0;
    case Progress_Message_Lines: {
        Text_Target target(o->panel);
        o->drain(target);
        return 0;
    }
    case Progress_Message_Show:
        // Owned by the main window, it stays above that window only, never above other programs.
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(window);
        SetFocus(window);  // Esc, Enter and Space reach Cancel at once
        return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

bool Progress_Register_Class(HINSTANCE instance) {
    return Register_Window_Class(instance, Class_Name, progress_procedure, CS_HREDRAW | CS_VREDRAW);
}

Win32_Progress* Progress_Object_Of(HWND window) {
    return window && IsWindow(window) ? reinterpret_cast<Win32_Progress*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

Win32_Progress* Progress_Create_Window(HWND parent, const char* title, const char* caption) {
    RECT frame{};
    if (parent) GetWindowRect(parent, &frame);
    const int dpi = Win32_Dpi(parent);
    const int width = Gdi::Scaled(Win32_Progress::Width, dpi), height = Gdi::Scaled(Win32_Progress::Height, dpi);
    const auto [x, y] = Progress_Place(frame.left, frame.top, frame.right, frame.bottom, width, height);
    const HINSTANCE instance = parent ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)) : GetModuleHandleW(nullptr);
    Log_Message(parent, LOG_TRACE_1, "creating window: %d %d %s %08x", x, y, title ? title : "",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(instance)));

    // Owned by the main window (it goes with it and stays above it only); a caption with the
    // close box, which cancels, and no box to maximise or minimise a window of fixed layout.
    HWND window = CreateWindowExW(0, Class_Name, Utf8_To_Wide(title ? title : "").c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, x, y, width, height, parent, nullptr,
                                  instance, nullptr);
    if (!window) {
        Log_Message(parent, LOG_WARNING, "file:%s line:%d", __FILE__, __LINE__);
        Log_Message(parent, LOG_WARNING, "Unable to create Progress Window");
        return nullptr;
    }
    Win32_Progress* object = Progress_Object_Of(window);
    if (!object) {
        Log_Message(parent, LOG_WARNING, "file:%s line:%d", __FILE__, __LINE__);
        Log_Message(parent, LOG_WARNING, "Failed in GetWindowLong()");
        Log_Message(parent, LOG_WARNING, "%s", System_Error_Str(0));
        DestroyWindow(window);
        return nullptr;
    }
    RECT client;  // no size message comes before the first show: lay out now
    GetClientRect(window, &client);
    object->lay_out(client.right, client.bottom, dpi);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    {
        std::lock_guard guard(object->lock());
        object->caption_text = caption ? caption : "";
    }
    post_to(window, Progress_Message_Caption);
    return object;
}
