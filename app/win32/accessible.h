// Screen readers' view (Microsoft Active Accessibility) of what a window draws itself: its
// client object answers WM_GETOBJECT with the drawn elements as simple children 1 ... n, then
// whatever the system's own client object holds (the real child windows). What the elements say
// comes from app/ui/accessible_text.h; this only routes it.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ui/accessible_text.h"
#include "app/ui/text_panel.h"

struct Drawn_Element {
    long role = ROLE_SYSTEM_STATICTEXT;
    std::function<std::wstring()> name;
    std::function<std::wstring()> value;       // none: no value
    std::function<std::wstring()> description;
    std::function<Ui_Rect()> area;             // client coordinates
    std::function<void()> press;               // the default action "Press" when set
    std::function<bool()> enabled;             // none: always; false: unavailable
    std::function<bool()> has_keys;            // focusable, and focused when true while the window is
    std::wstring shortcut;                     // its key, such as "Ctrl+M"
    bool read_only = false;
    bool focus_of_owner = false;               // has the keys while the window has the focus
};

class Drawn_Accessible;

// One window's client object, made on the first WM_GETOBJECT and let go with the window.
class Window_Accessible {
public:
    Window_Accessible() = default;
    ~Window_Accessible();
    Window_Accessible(const Window_Accessible&) = delete;
    Window_Accessible& operator=(const Window_Accessible&) = delete;

    // Elements in the order screen readers list them; all added before the window shows.
    void add(Drawn_Element element) { elements_.push_back(std::move(element)); }
    std::size_t count() const { return elements_.size(); }
    // The window's text panel: a read-only text whose value is its lines and whose description
    // is what was last announced of them.
    // has_keys: when it has the keys, where it shares the window with other elements that can.
    void add_panel(const Text_Panel& panel, const char* name, bool focus_of_owner, std::function<bool()> has_keys = {});
    // GUI thread, after the panel changed: its new lines worth it are announced.
    void panel_changed(HWND window);

    // The answer to WM_GETOBJECT; 0 (the system's default) for objects other than the client.
    LRESULT get_object(HWND window, WPARAM wparam, LPARAM lparam);
    // Tells screen readers that element index (from 0) changed its value.
    void value_changed(HWND window, std::size_t index) const;
    // On WM_DESTROY: later calls from screen readers get an error, never the freed window.
    void disconnect();

private:
    std::vector<Drawn_Element> elements_;
    Drawn_Accessible* object_ = nullptr;
    const Text_Panel* panel_ = nullptr;
    std::size_t panel_index_ = 0;
    Panel_Announcer announcer_;
    std::wstring said_;
};

// Text to a wide string for a screen reader.
std::wstring Accessible_Wide(const std::u16string& text);
