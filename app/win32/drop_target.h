// Drops from the shell by OLE drag and drop, which (unlike WM_DROPFILES alone) tells the window
// when folders come over it and leave again, so that it can show where they would land.
#pragma once

#include <windows.h>

#include <oleidl.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

// The paths a shell drop carries (CF_HDROP), in UTF-8.
std::vector<std::string> Dropped_Paths(HDROP drop);

class Drop_Target final : public IDropTarget {
public:
    struct Hooks {
        std::function<void(bool over)> highlight;                        // files over the window, or gone
        // The paths let go of, and where on the screen.
        std::function<void(const std::vector<std::string>&, POINT at)> drop;
        // Asked as files come over the window: false refuses them (no effect, no drop).
        std::function<bool()> accepts;
    };
    explicit Drop_Target(Hooks hooks) : hooks_(std::move(hooks)) {}

    // The window owns the target: the counts only answer COM.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

private:
    // Copy when the source allows it (the folders stay where they are), else nothing.
    static DWORD effect_for(bool files, DWORD allowed);
    Hooks hooks_;
    bool files_ = false;      // what is over the window carries file names
    bool accepted_ = false;   // and the window takes them
};
