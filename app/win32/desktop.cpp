#include "app/win32/desktop.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <cstring>

#include "util/platform/win32/wide.h"

namespace {

// Releases a COM interface at the end of its scope.
template <typename Interface> struct Com_Ptr {
    Interface* p = nullptr;
    ~Com_Ptr() {
        if (p) p->Release();
    }
    Interface* operator->() const { return p; }
};

std::string item_path(IShellItem* item) {
    wchar_t* path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return {};
    std::string text = Wide_To_Utf8(path);
    CoTaskMemFree(path);
    return text;
}

// The desktop's folder chooser (which can also make a new folder), starting in folder when one
// is given; several folders at once, as a drop brings them, when several. After an accepted
// choice, folder is where it ended.
std::vector<std::string> pick_folders(HWND owner, const wchar_t* title, bool several, std::string& folder) {
    std::vector<std::string> folders;
    Com_Ptr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.p)))) return folders;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | (several ? FILEOPENDIALOGOPTIONS{FOS_ALLOWMULTISELECT} : 0) | FOS_FORCEFILESYSTEM |
                       FOS_PATHMUSTEXIST);
    dialog->SetTitle(title);
    if (!folder.empty()) {
        Com_Ptr<IShellItem> start;
        if (SUCCEEDED(SHCreateItemFromParsingName(Utf8_To_Wide(folder).c_str(), nullptr, IID_PPV_ARGS(&start.p))))
            dialog->SetFolder(start.p);
    }
    if (dialog->Show(owner) != S_OK) return folders;  // cancelled
    {
        Com_Ptr<IShellItem> ended;
        if (SUCCEEDED(dialog->GetFolder(&ended.p)))
            if (std::string path = item_path(ended.p); !path.empty()) folder = path;
    }
    Com_Ptr<IShellItemArray> items;
    if (FAILED(dialog->GetResults(&items.p))) return folders;
    DWORD count = 0;
    items->GetCount(&count);
    for (DWORD i = 0; i < count; ++i) {
        Com_Ptr<IShellItem> item;
        if (SUCCEEDED(items->GetItemAt(i, &item.p)))
            if (std::string path = item_path(item.p); !path.empty()) folders.push_back(path);
    }
    return folders;
}

std::string choose_destination(HWND owner) {
    std::string anywhere;
    const std::vector<std::string> chosen = pick_folders(owner, L"Make the media copy in", false, anywhere);
    return chosen.empty() ? std::string() : chosen.front();
}

void show_about(HWND owner, const std::string& text) {
    MessageBoxW(owner, Utf8_To_Wide(text).c_str(), L"About Kestrapol", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

std::vector<std::string> Desktop_Choose_Folders(HWND owner, std::string& folder) {
    return pick_folders(owner, L"Choose folders to convert", true, folder);
}

std::string Desktop_Choose_Report_File(HWND owner, std::string& folder) {
    wchar_t file[32768] = L"kestrapol-report.txt";
    const std::wstring start = Utf8_To_Wide(folder);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(std::size(file));
    dialog.lpstrTitle = L"Save report";
    dialog.lpstrDefExt = L"txt";
    dialog.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameW(&dialog)) return {};
    if (dialog.nFileOffset > 0) folder = Wide_To_Utf8(std::wstring_view(file, dialog.nFileOffset));
    return Wide_To_Utf8(file);
}

namespace {

std::vector<std::string> choose_folders(HWND owner) {
    std::string anywhere;
    return Desktop_Choose_Folders(owner, anywhere);
}

std::string choose_report_file(HWND owner) {
    std::string anywhere;
    return Desktop_Choose_Report_File(owner, anywhere);
}

void open_folder(HWND owner, const std::string& folder) {
    ShellExecuteW(owner, L"open", Wide_Path(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The clipboard takes text with the system's line ends.
void copy_text(HWND owner, const std::string& text) {
    std::wstring wide;
    for (wchar_t c : Utf8_To_Wide(text)) {
        if (c == L'\n') wide += L'\r';
        wide += c;
    }
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

}  // namespace

void Desktop_Fill(Win32_Main_Window_Hooks& hooks) {
    if (!hooks.choose_folders) hooks.choose_folders = choose_folders;
    if (!hooks.choose_report_file) hooks.choose_report_file = choose_report_file;
    if (!hooks.open_folder) hooks.open_folder = open_folder;
    if (!hooks.copy_text) hooks.copy_text = copy_text;
    if (!hooks.choose_destination) hooks.choose_destination = choose_destination;
    if (!hooks.show_about) hooks.show_about = show_about;
}
