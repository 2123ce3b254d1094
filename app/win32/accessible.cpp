#include "app/win32/accessible.h"

#include <oleauto.h>

namespace {

HRESULT wide_out(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

std::wstring Accessible_Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

class Drawn_Accessible final : public IAccessible {
public:
    Drawn_Accessible(HWND window, const std::vector<Drawn_Element>* elements) : window_(window), elements_(elements) {
        CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard_));
    }
    void disconnect() {
        elements_ = nullptr;
        if (standard_) standard_->Release();
        standard_ = nullptr;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            disconnect();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: not offered; clients use the IAccessible calls.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!standard_) return gone(parent);
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!elements_) return RPC_E_DISCONNECTED;
        long standard = 0;
        if (standard_ && FAILED(standard_->get_accChildCount(&standard))) standard = 0;
        *count = drawn() + standard;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!elements_) return RPC_E_DISCONNECTED;
        const long id = id_of(child);
        if (id > 0 && id <= drawn()) return S_FALSE;  // a simple element, no object of its own
        if (id > drawn() && standard_) return standard_->get_accChild(shifted_variant(child), out);
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        if (const Drawn_Element* e = element(child)) return e->name ? wide_out(e->name(), out) : empty(out);
        return forward(child, out, &IAccessible::get_accName);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        if (const Drawn_Element* e = element(child)) return e->value ? wide_out(e->value(), out) : empty(out);
        return forward(child, out, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        if (const Drawn_Element* e = element(child)) return e->description ? wide_out(e->description(), out) : empty(out);
        return forward(child, out, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (const Drawn_Element* e = element(child)) {
            out->vt = VT_I4;
            out->lVal = e->role;
            return S_OK;
        }
        return forward(child, out, &IAccessible::get_accRole);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        if (const Drawn_Element* e = element(child)) {
            long state = IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE;
            if (e->read_only) state |= STATE_SYSTEM_READONLY;
            if (e->focus_of_owner) state |= STATE_SYSTEM_FOCUSABLE | (GetFocus() == window_ ? STATE_SYSTEM_FOCUSED : 0);
            if (e->has_keys) state |= STATE_SYSTEM_FOCUSABLE | (GetFocus() == window_ && e->has_keys() ? STATE_SYSTEM_FOCUSED : 0);
            if (e->enabled && !e->enabled()) state |= STATE_SYSTEM_UNAVAILABLE;
            out->vt = VT_I4;
            out->lVal = state;
            return S_OK;
        }
        return forward(child, out, &IAccessible::get_accState);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        if (element(child)) return empty(out);
        return forward(child, out, &IAccessible::get_accHelp);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        if (const Drawn_Element* e = element(child)) return e->shortcut.empty() ? empty(out) : wide_out(e->shortcut, out);
        return forward(child, out, &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        if (!elements_) return RPC_E_DISCONNECTED;
        if (GetFocus() == window_)
            for (long i = 0; i < drawn(); ++i)
                if (const Drawn_Element& e = (*elements_)[static_cast<std::size_t>(i)];
                    e.has_keys ? e.has_keys() : e.focus_of_owner) {
                    out->vt = VT_I4;
                    out->lVal = i + 1;
                    return S_OK;
                }
        return standard_ ? standard_->get_accFocus(out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        return standard_ ? standard_->get_accSelection(out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        if (const Drawn_Element* e = element(child)) return e->press ? wide_out(L"Press", out) : empty(out);
        return forward(child, out, &IAccessible::get_accDefaultAction);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (element(child) || !standard_) return S_FALSE;
        return standard_->accSelect(flags, shifted_variant(child));
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        if (!x || !y || !width || !height) return E_POINTER;
        if (const Drawn_Element* e = element(child)) {
            const Ui_Rect area = e->area ? e->area() : Ui_Rect{};
            POINT corner{area.x, area.y};
            ClientToScreen(window_, &corner);
            *x = corner.x;
            *y = corner.y;
            *width = area.width;
            *height = area.height;
            return S_OK;
        }
        if (!standard_) return RPC_E_DISCONNECTED;
        return standard_->accLocation(x, y, width, height, shifted_variant(child));
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        if (element(start) || !standard_) return S_FALSE;
        return standard_->accNavigate(direction, shifted_variant(start), out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        if (!elements_) return RPC_E_DISCONNECTED;
        POINT point{x, y};
        ScreenToClient(window_, &point);
        for (long i = 0; i < drawn(); ++i) {
            const Drawn_Element& e = (*elements_)[static_cast<std::size_t>(i)];
            if (e.area && e.area().contains(point.x, point.y)) {
                out->vt = VT_I4;
                out->lVal = i + 1;
                return S_OK;
            }
        }
        return standard_ ? standard_->accHitTest(x, y, out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (const Drawn_Element* e = element(child)) {
            if (!e->press || (e->enabled && !e->enabled())) return DISP_E_MEMBERNOTFOUND;
            e->press();
            return S_OK;
        }
        if (!standard_) return RPC_E_DISCONNECTED;
        return standard_->accDoDefaultAction(shifted_variant(child));
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    long drawn() const { return elements_ ? static_cast<long>(elements_->size()) : 0; }
    static long id_of(const VARIANT& child) { return child.vt == VT_I4 ? child.lVal : -1; }
    long shifted(long id) const { return id > drawn() ? id - drawn() : id; }
    VARIANT shifted_variant(VARIANT child) const {
        if (child.vt == VT_I4) child.lVal = shifted(child.lVal);
        return child;
    }
    const Drawn_Element* element(const VARIANT& child) const {
        const long id = id_of(child);
        return elements_ && id > 0 && id <= drawn() ? &(*elements_)[static_cast<std::size_t>(id - 1)] : nullptr;
    }
    static HRESULT empty(BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }
    template <typename Out> static HRESULT gone(Out** out) {
        if (out) *out = nullptr;
        return RPC_E_DISCONNECTED;
    }
    template <typename Out> HRESULT forward(VARIANT child, Out* out, HRESULT (STDMETHODCALLTYPE IAccessible::*call)(VARIANT, Out*)) {
        if (!out) return E_POINTER;
        if (!standard_) return RPC_E_DISCONNECTED;
        return (standard_->*call)(shifted_variant(child), out);
    }

    LONG references_ = 1;
    HWND window_;
    const std::vector<Drawn_Element>* elements_;
    IAccessible* standard_ = nullptr;
};

Window_Accessible::~Window_Accessible() { disconnect(); }

void Window_Accessible::add_panel(const Text_Panel& panel, const char* name, bool focus_of_owner,
                                  std::function<bool()> has_keys) {
    Drawn_Element element;
    element.role = ROLE_SYSTEM_TEXT;
    const std::string utf8 = name;
    element.name = [utf8] { return std::wstring(utf8.begin(), utf8.end()); };
    element.value = [&panel] { return Accessible_Wide(Accessible_Text(Text_Panel::Lines(panel))); };
    element.description = [this] { return said_; };
    element.area = [&panel] { return Text_Panel::Area_Rect(panel); };
    element.read_only = true;
    element.focus_of_owner = focus_of_owner;
    element.has_keys = std::move(has_keys);
    panel_ = &panel;
    panel_index_ = elements_.size();
    announcer_.take(panel);
    add(std::move(element));
}

void Window_Accessible::panel_changed(HWND window) {
    if (!panel_) return;
    if (!object_) {  // no client has asked for the window's objects: nobody listens
        announcer_.pass(*panel_);
        return;
    }
    const std::vector<std::u16string> lines = announcer_.take(*panel_);
    if (lines.empty()) return;
    said_.clear();
    for (const std::u16string& line : lines) said_ += (said_.empty() ? L"" : L"\n") + Accessible_Wide(line);
    value_changed(window, panel_index_);
}

LRESULT Window_Accessible::get_object(HWND window, WPARAM wparam, LPARAM lparam) {
    if (static_cast<long>(lparam) != static_cast<long>(OBJID_CLIENT)) return 0;
    if (!object_) object_ = new Drawn_Accessible(window, &elements_);
    return LresultFromObject(__uuidof(IAccessible), wparam, object_);
}

void Window_Accessible::value_changed(HWND window, std::size_t index) const {
    if (object_) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, static_cast<LONG>(index + 1));
}

void Window_Accessible::disconnect() {
    if (!object_) return;
    object_->disconnect();
    object_->Release();
    object_ = nullptr;
}
