#include "app/win32/drop_target.h"

#include "util/platform/win32/wide.h"

namespace {

FORMATETC file_names() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool carries_files(IDataObject* data) {
    FORMATETC format = file_names();
    return data != nullptr && data->QueryGetData(&format) == S_OK;
}

}  // namespace

std::vector<std::string> Dropped_Paths(HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
        // A path of any length: the shell hands over long paths whole.
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
        paths.push_back(Wide_To_Utf8(path));
    }
    return paths;
}

HRESULT Drop_Target::QueryInterface(REFIID id, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

DWORD Drop_Target::effect_for(bool files, DWORD allowed) {
    return files && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

HRESULT Drop_Target::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    files_ = carries_files(data);
    accepted_ = files_ && (!hooks_.accepts || hooks_.accepts());
    if (effect) *effect = effect_for(accepted_, *effect);
    if (files_ && hooks_.highlight) hooks_.highlight(true);
    return S_OK;
}

HRESULT Drop_Target::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = effect_for(accepted_, *effect);
    return S_OK;
}

HRESULT Drop_Target::DragLeave() {
    if (files_ && hooks_.highlight) hooks_.highlight(false);
    files_ = false;
    return S_OK;
}

HRESULT Drop_Target::Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) {
    if (files_ && hooks_.highlight) hooks_.highlight(false);
    const bool accepted = accepted_;
    files_ = accepted_ = false;
    FORMATETC format = file_names();
    STGMEDIUM medium{};
    if (!accepted || data == nullptr || data->GetData(&format, &medium) != S_OK) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    std::vector<std::string> paths;
    if (medium.tymed == TYMED_HGLOBAL) paths = Dropped_Paths(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    if (effect) *effect = paths.empty() ? DROPEFFECT_NONE : effect_for(true, *effect);
    if (!paths.empty() && hooks_.drop) hooks_.drop(paths, POINT{at.x, at.y});
    return S_OK;
}
