// The Win32 windows with the real log handler, run under Wine: how the system's events reach the
// shared logic (tested in tests/ui), the busy refusal, the screen reader's view, and a results
// list of fifty rows. With a folder as argument 2 it saves BMPs of both windows there for docs/.
#include <ole2.h>
#include <oleacc.h>
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/win32/log_sink.h"
#include "app/win32/main_window.h"
#include "app/win32/progress_window.h"
#include "dirscan/walk.h"
#include "tools/make_sample_files.h"
#include "util/log.h"
#include "util/platform/win32/wide.h"
#include "util/platform_system.h"

namespace fs = std::filesystem;

namespace {

int failures = 0;

void check(bool condition, const char* what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", what);
    failures += !condition;
}

// Runs the message loop until done() or the time is up; false on time-out.
bool pump_until(const std::function<bool()>& done, int seconds = 120) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// What the shell hands over on a drop: a DROPFILES block with the paths, wide, each ended by
// a null and the list by another.
HDROP make_drop(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) list += Utf8_To_Wide(path) + L'\0';
    list += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// What a drag from the shell carries, reduced to the one format the window takes.
class Dragged_Folders final : public IDataObject {
public:
    explicit Dragged_Folders(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        *object = IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        *medium = STGMEDIUM{};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = make_drop(paths_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    std::vector<std::string> paths_;
};

// The walk of the big folder stops at its n-th listed folder (Big_Hold_At) until the test lets it
// go (another n, or 0), its run is cancelled, or a minute has passed: the checks of a running
// conversion never race its end, however fast the machine.
std::atomic<int> Big_Listed{0}, Big_Hold_At{0};
std::atomic<bool> Big_Held{false};
std::atomic<Progress_Window*> Big_Progress{nullptr};

void hold_big_folder(const std::string& folder, const Dir_List&) {
    if (folder.find("BIG") == std::string::npos) return;
    const int count = ++Big_Listed;
    if (count != Big_Hold_At.load()) return;
    Big_Held = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Big_Hold_At.load() == count && std::chrono::steady_clock::now() < deadline) {
        Progress_Window* progress = Big_Progress.load();
        if (progress && Progress_Cancelled(progress)) break;
        Sleep(5);
    }
    Big_Held = false;
}

// Holds the next run on the big folder at its n-th listed folder.
void hold_big_at(int n) {
    Big_Listed = 0;
    Big_Progress = nullptr;
    Big_Hold_At = n;
}

std::string image_folder(const fs::path& root, const char* name, int series, int images) {
    const fs::path folder = root / name;
    for (int s = 1; s <= series; ++s)
        for (int i = 1; i <= images; ++i) {
            const fs::path dir = folder / ("SER" + std::to_string(s));
            fs::create_directories(dir);
            Sample_Image image;
            image.series_uid += '.' + std::to_string(s);
            image.sop_uid = image.series_uid + "." + std::to_string(i);
            image.series_number = s;
            image.instance_number = i;
            Sample_File_Write((dir / ("IMG" + std::to_string(i))).string(), image);
        }
    return folder.string();
}

// Saves what paint draws of the window's client area as a 24-bit BMP.
void save_window(const fs::path& file, HWND window, const std::function<void(HDC, int, int)>& paint) {
    RECT client;
    GetClientRect(window, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), client.right, client.bottom, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    paint(dc, client.right, client.bottom);
    GdiFlush();
    const DWORD size = ((static_cast<DWORD>(client.right) * 3 + 3) & ~3u) * static_cast<DWORD>(client.bottom);
    BITMAPFILEHEADER head{};
    head.bfType = 0x4D42;  // "BM"
    head.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    head.bfSize = head.bfOffBits + size;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&head), sizeof(head));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(size));
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}

// What a screen reader reads of a window's client object and of its child id.
struct Read_Element {
    long children = -1, role = 0, state = 0;
    std::wstring name, value, action;
};

Read_Element read_element(HWND window, long id) {
    Read_Element read;
    IAccessible* client = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&client))) ||
        !client)
        return read;
    client->get_accChildCount(&read.children);
    VARIANT child{}, role{}, state{};  // zeroed: VT_EMPTY, as VariantInit leaves them
    child.vt = VT_I4;
    child.lVal = id;
    if (SUCCEEDED(client->get_accRole(child, &role)) && role.vt == VT_I4) read.role = role.lVal;
    if (SUCCEEDED(client->get_accState(child, &state)) && state.vt == VT_I4) read.state = state.lVal;
    const auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*call)(VARIANT, BSTR*)) {
        BSTR said = nullptr;
        std::wstring got;
        if ((client->*call)(child, &said) == S_OK && said) got = said;
        SysFreeString(said);
        return got;
    };
    read.name = text(&IAccessible::get_accName);
    read.value = text(&IAccessible::get_accValue);
    read.action = text(&IAccessible::get_accDefaultAction);
    client->Release();
    return read;
}

// " 1,234 of 20,000 files" -> 1234; -1 without a number.
long long leading_number(const std::wstring& text) {
    long long value = -1;
    for (const wchar_t c : text) {
        if (c >= L'0' && c <= L'9') value = (value < 0 ? 0 : value * 10) + (c - L'0');
        else if (c != L',' && c != L' ') break;
    }
    return value;
}

// The results list of fifty rows: the wheel sent to the main window scrolls the list when the
// pointer is over it, its scroll bar follows, the tip names a row's whole folder; and the
// window keeps a least size.
void results_list_checks(const fs::path& work) {
    auto window = std::make_unique<Win32_Main_Window>("Kestrapol results test", Win32_Main_Window_Hooks{});
    Win32_Log_Sink sink(*window);
    Log_Set_Sink(&sink);
    HWND main = window->handle();
    ShowWindow(main, SW_SHOWNORMAL);
    std::vector<std::string> folders;
    for (int i = 0; i < 50; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "F%d", i);
        folders.push_back(image_folder(work / "FIFTY", name, 1, 1));
    }
    window->convert(folders);
    check(pump_until([&] { return window->results_view().row_count() == 50 && !window->conversion().running(); }),
          "fifty folders give fifty rows");
    pump_until([&] { return window->progress_window() == nullptr; }, 20);

    const Results_View& list = window->results_view();
    POINT over{list.rect.x + list.rect.width / 2, list.rect.y + list.rect.height / 2};
    ClientToScreen(main, &over);
    const auto wheel = [&](int notches) {
        SendMessageW(main, WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), MAKELPARAM(over.x, over.y));
    };
    const auto bar_at = [&] {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(list.scroll_bar(), SB_CTL, &info);
        return info;
    };
    const int panel_back = Text_Panel::Scroll_Back(window->panel());
    wheel(60);
    check(list.first_row() == 0 && bar_at().nPos == 0, "the wheel over the list scrolls it to its first row");
    for (int notch = 0; notch < 100 && list.first_row() + list.visible_rows() < 50; ++notch) wheel(-1);
    const SCROLLINFO bar = bar_at();
    check(list.first_row() + list.visible_rows() == 50 && bar.nPos == list.first_row() && bar.nMax == 49 &&
              static_cast<int>(bar.nPage) == list.visible_rows() && IsWindowVisible(list.scroll_bar()),
          "and down to its last, the scroll bar in step");
    check(Text_Panel::Scroll_Back(window->panel()) == panel_back, "the panel stays where it was");

    int y = list.rect.y;
    while (y < list.rect.y + list.rect.height && list.row_at(list.rect.x + 10, y) != 49) ++y;
    SendMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(list.rect.x + 10, y));
    wchar_t tip[2048] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = main;
    tool.uId = 1;
    tool.lpszText = tip;
    SendMessageW(list.tooltip(), TTM_GETTEXTW, std::size(tip), reinterpret_cast<LPARAM>(&tool));
    check(Wide_To_Utf8(tip) == folders[49], "the tip over the last row names its whole folder");

    MINMAXINFO least{};
    SendMessageW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&least));
    SetWindowPos(main, nullptr, 0, 0, least.ptMinTrackSize.x, least.ptMinTrackSize.y, SWP_NOZORDER | SWP_NOMOVE);
    const int dpi = static_cast<int>(GetDpiForWindow(main));
    RECT client;
    GetClientRect(main, &client);
    check(client.right >= 3 * Gdi::Scaled(Main_Button_Min_Width, dpi) &&
              list.rect.height >= Gdi::Scaled(Main_Results_Min_Height, dpi) &&
              Text_Panel::Area_Rect(window->panel()).height >= Gdi::Scaled(Main_Panel_Min_Height, dpi),
          "at its least size the window keeps the panel, the list and the buttons");
    Log_Set_Sink(nullptr);
    window.reset();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER [PICTURE_FOLDER]\n", argv[0]);
        return 2;
    }
    Thread_Locals_Prepare();
    OleInitialize(nullptr);  // drags from the shell come by OLE, as in the program
    const fs::path work = fs::path(argv[1]);
    fs::remove_all(work);
    fs::create_directories(work);
    Scratch_Dir = work.string() + "/";
    Log_Set_Handler(Log_Handler);

    const std::string good = image_folder(work, "GOOD", 2, 2);
    const std::string bad = image_folder(work, "BAD", 1, 1);
    fs::rename(fs::path(bad) / "SER1" / "IMG1", fs::path(bad) / "SER1" / "IMAGE_NAME_TOO_LONG");
    const std::string big = image_folder(work, "BIG", 40, 20);

    check(Win32_Main_Window::Register_Classes(GetModuleHandleW(nullptr), "Kestrapol window test"), "window classes registered");
    Win32_Main_Window_Hooks hooks;
    std::vector<std::string> opened;
    hooks.open_folder = [&opened](HWND, const std::string& folder) { opened.push_back(folder); };
    std::vector<std::string> chosen;  // what the folder chooser answers
    std::string copied, destination;
    hooks.choose_folders = [&chosen](HWND) { return chosen; };
    hooks.choose_destination = [&destination](HWND) { return destination; };
    hooks.copy_text = [&copied](HWND, const std::string& text) { copied = text; };
    auto window = std::make_unique<Win32_Main_Window>("Kestrapol window test", std::move(hooks));
    Win32_Log_Sink sink(*window);
    Log_Set_Sink(&sink);
    HWND main = window->handle();
    ShowWindow(main, SW_SHOWNORMAL);
    for (const char* line : {"\x02\xF1" "Drag&drop a dir on this application,", "\x02\xF1" "to create a DICOMDIR of its content", ""})
        Text_Panel::Write(window->panel(), line);

    // Laid out for the screen's dots per inch, whatever they are (KESTRAPOL_EXPECT_DPI: these).
    const int dpi = static_cast<int>(GetDpiForWindow(main));
    RECT client;
    GetClientRect(main, &client);
    const char* expected_dpi = std::getenv("KESTRAPOL_EXPECT_DPI");
    check((!expected_dpi || dpi == std::atoi(expected_dpi)) &&
              window->results_view().rect.height >= Gdi::Scaled(Main_Results_Min_Height, dpi) &&
              client.right > Gdi::Scaled(Main_Width, dpi) * 9 / 10,
          "the window is laid out for the screen's dots per inch");

    // Two folders dragged over the window, which marks where they would land, and let go. (Its
    // drop target is called as OLE calls it: Wine's registration is not always ready in time.)
    Dragged_Folders dragged({good, bad});
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    window->drop_target()->DragEnter(&dragged, 0, POINTL{50, 50}, &effect);
    check(effect == DROPEFFECT_COPY && window->drag_highlight(), "folders dragged over the window are marked");
    window->drop_target()->DragLeave();
    check(!window->drag_highlight(), "the mark goes when they leave");
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    window->drop_target()->DragEnter(&dragged, 0, POINTL{50, 50}, &effect);
    window->drop_target()->Drop(&dragged, 0, POINTL{50, 50}, &effect);
    check(!window->drag_highlight(), "and when they are dropped");
    check(pump_until([&] { return window->conversion().result_count() == 2 && !window->conversion().running(); }),
          "the drop of two folders converts both");
    check(pump_until([&] { return window->progress_window() == nullptr; }, 20), "the worker closes its progress window");
    pump_until([&] { return window->results_view().row_count() == 2; }, 5);
    const std::vector<Folder_Result> results = window->conversion().results();
    check(window->results_view().row_count() == 2 && results[0].folder == good && results[1].folder == bad,
          "the results list has a row per folder, in the order dropped");
    Read_Element report;  // read again while Wine's accessibility is still starting up
    pump_until([&] { return (report = read_element(main, 1)).value.find(L"WARNING:") != std::wstring::npos; }, 10);
    check(report.children >= 1 && report.role == ROLE_SYSTEM_TEXT && report.name == L"Report" &&
              report.value.find(L"WARNING:") != std::wstring::npos,
          "a screen reader reads the panel's text with its warnings");
    const Read_Element copy_button = read_element(main, 3);
    check(copy_button.role == ROLE_SYSTEM_PUSHBUTTON && copy_button.name == L"Make media copy\u2026" &&
              copy_button.action == L"Press" && !(copy_button.state & STATE_SYSTEM_UNAVAILABLE) &&
              read_element(main, 6).name == L"Save report\u2026",
          "a screen reader reads the drawn buttons as push buttons");

    // Enter on the results list opens the selected folder (the newest row).
    PostMessageW(main, WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(main, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(main, WM_KEYDOWN, VK_RETURN, 0);
    pump_until([&] { return !opened.empty(); }, 5);
    check(opened.size() == 1 && opened[0] == good, "Enter on a result row opens its folder");
    const Read_Element list = read_element(main, 7);
    check(list.role == ROLE_SYSTEM_LIST && list.name == L"Results" &&
              list.value.find(L"Folder: " + Utf8_To_Wide(good) + L", Outcome: Done") == 0,
          "a screen reader reads the selected result row, its columns named");

    // A large folder; a drop while it runs is refused, Esc in the progress window cancels it.
    // Its walk is held twice: once for a first value, then until the checks of the running
    // conversion are done.
    Kestrapol_Files_Listed = hold_big_folder;
    hold_big_at(10);
    PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop({big})), 0);
    check(pump_until([&] { return window->conversion().running(); }, 20) && window->progress_window(),
          "the third folder starts converting in its progress window");
    HWND progress = window->progress_window();
    Big_Progress = Progress_Object_Of(progress);
    pump_until([&] { return Big_Held.load(); }, 60);
    {
        const Read_Element bar = read_element(progress, 3), cancel = read_element(progress, 4);
        const auto value = [&] { return leading_number(read_element(progress, 3).value); };
        long long first = -1, later = -1;  // no value while the files are counted
        pump_until([&] { return (first = value()) >= 0 || !IsWindow(progress); }, 20);
        Big_Hold_At = 30;  // on to the next hold
        pump_until([&] { return (later = value()) > first || !IsWindow(progress); }, 20);
        check(bar.children == 4 && bar.role == ROLE_SYSTEM_PROGRESSBAR && first >= 0 && later > first,
              "a screen reader reads a progress value that rises");
        check(cancel.role == ROLE_SYSTEM_PUSHBUTTON && cancel.name == L"Cancel" && cancel.action == L"Press",
              "and a Cancel button that can be pressed");
    }
    // It belongs to the main window: owned by it, over its middle, above no other program, and
    // with no box to maximise or minimise it.
    RECT main_frame{}, progress_frame{};
    GetWindowRect(main, &main_frame);
    GetWindowRect(progress, &progress_frame);
    const LONG_PTR style = GetWindowLongPtrW(progress, GWL_STYLE), extended = GetWindowLongPtrW(progress, GWL_EXSTYLE);
    check(GetWindow(progress, GW_OWNER) == main && !(extended & WS_EX_TOPMOST) &&
              !(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)),
          "the progress window is owned by the main window, not top-most, without maximise and minimise boxes");
    check(std::abs((progress_frame.left + progress_frame.right) - (main_frame.left + main_frame.right)) <= 2 ||
              progress_frame.left == main_frame.left,
          "the progress window opens centred on the main window");
    // Busy: the buttons that start a job are unavailable, a drag is refused and shown so, and
    // Ctrl+M is refused in the panel and in the progress window.
    const auto unavailable = [&](long id) { return (read_element(main, id).state & STATE_SYSTEM_UNAVAILABLE) != 0; };
    check(pump_until([&] { return unavailable(2) && unavailable(3) && unavailable(4); }, 5) && !unavailable(5) &&
              !window->button(1).enabled,
          "while it runs the starting buttons are unavailable");
    effect = DROPEFFECT_COPY;
    window->drop_target()->DragEnter(&dragged, 0, POINTL{50, 50}, &effect);
    check(effect == DROPEFFECT_NONE && window->drag_refused(), "a drag meanwhile is refused and marked so");
    window->drop_target()->DragLeave();
    const auto with_ctrl = [main](WPARAM key) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        SendMessageW(main, WM_KEYDOWN, key, 0);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    };
    with_ctrl('M');
    const auto busy_lines = [](const Text_Panel& panel) {
        int found = 0;
        for (const std::string& line : Text_Panel::Lines(panel)) found += line.find("BUSY:") != std::string::npos;
        return found;
    };
    check(busy_lines(window->panel()) == 2 &&
              pump_until([&] { return busy_lines(Progress_Object_Of(progress)->panel) == 2; }, 5),
          "Ctrl+M and the drag meanwhile say BUSY in the panel and in the progress window");
    pump_until([&] { return Big_Held.load(); }, 60);
    PostMessageW(progress, WM_KEYDOWN, VK_ESCAPE, 0);  // the held walk ends once the run is cancelled
    check(pump_until([&] { return window->conversion().result_count() == 3 && !window->conversion().running(); }) &&
              window->conversion().results()[2].outcome == Folder_Outcome_Kind::Cancelled,
          "Esc in the progress window cancels the run");
    check(pump_until([&] { return window->progress_window() == nullptr; }, 20), "the cancelled run's window goes");

    if (argc > 2) {
        const fs::path pictures = argv[2];
        fs::create_directories(pictures);
        pump_until([&] { return window->results_view().row_count() == 3; }, 5);
        SetFocus(main);
        save_window(pictures / "windows_main.bmp", main, [&](HDC dc, int w, int h) { window->paint(dc, w, h); });
        // A progress window part-way through a run, fed as the worker feeds it.
        Win32_Progress* shown = Progress_Create_Window(main, "Converting", "Zorvatine conversion");
        shown->show();
        shown->text("\xF1\x02" "Scanning 1 directory...");
        shown->text("\x02  Counted \x01" "400\x02 files");
        shown->text("\x02 Reading \x01" "C:\\Studies\\CARDIO 2024\\PAT0042\\STUDY1\\SER12");
        shown->range(400);
        shown->set(250);
        pump_until([&] { return shown->queued() == 0; }, 5);
        Sleep(200);
        pump_until([] { return true; });
        save_window(pictures / "windows_progress.bmp", shown->window(),
                    [&](HDC dc, int w, int h) { shown->paint(dc, w, h); });
        shown->close();
        pump_until([&] { return !IsWindow(shown->window()); }, 5);
    }

    check(pump_until([&] { return !unavailable(2) && !unavailable(3) && !unavailable(4); }, 5),
          "once it has ended they are available again");

    // Ctrl+M asks for the folders, then the destination, and copies them there as media.
    chosen = {good};
    destination = (work / "MEDIA").string();
    with_ctrl('M');
    check(pump_until([&] { return window->conversion().result_count() == 4 && !window->conversion().running(); }) &&
              fs::exists(fs::path(destination) / "DICOMDIR"),
          "Ctrl+M copies the chosen folder as media into the destination");
    pump_until([&] { return window->progress_window() == nullptr; }, 20);
    {  // Let go of on "Check media…" (screen coordinates), a folder is checked, not converted.
        const Ui_Rect on = window->button(Main_Check_Button).rect;
        POINT at{on.x + on.width / 2, on.y + on.height / 2};
        ClientToScreen(main, &at);
        Dragged_Folders media({destination});
        effect = DROPEFFECT_COPY;
        window->drop_target()->DragEnter(&media, 0, POINTL{at.x, at.y}, &effect);
        window->drop_target()->Drop(&media, 0, POINTL{at.x, at.y}, &effect);
        check(pump_until([&] { return window->conversion().result_count() == 5 && !window->conversion().running(); }) &&
                  Result_Row(window->conversion().results()[4])[1] == "Checked: OK",
              "folders dropped on Check media are checked");
    }
    with_ctrl('C');
    check(copied.find("GOOD\tDone") != std::string::npos && copied.find("DICOMDIR Done:") != std::string::npos,
          "Ctrl+C copies the panel and the results");
    pump_until([&] { return window->progress_window() == nullptr; }, 20);

    // Esc in the main window during a run cancels the run, waits for its worker, closes the
    // window and ends the message loop with 0.
    hold_big_at(5);
    PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(make_drop({big})), 0);
    check(pump_until([&] { return window->conversion().running(); }, 20), "a last run starts");
    Big_Progress = Progress_Object_Of(window->progress_window());
    pump_until([&] { return Big_Held.load(); }, 60);
    PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);  // the held walk ends once the run is cancelled
    MSG message;
    BOOL got = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    // The timer wakes GetMessageW, so that a window that never closes ends the wait at the deadline.
    const UINT_PTR tick = SetTimer(nullptr, 0, 200, nullptr);
    while (std::chrono::steady_clock::now() < deadline && (got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, tick);
    check(got == 0 && message.wParam == 0 && !IsWindow(main), "Esc closes the window and the loop ends with 0");
    check(!window->conversion().running() && !fs::exists(fs::path(big) / "DICOMDIR"), "quitting cancelled and joined the run");
    Log_Set_Sink(nullptr);
    window.reset();
    results_list_checks(work);
    OleUninitialize();
    std::printf("%s\n", failures ? "FAILED" : "PASSED");
    return failures ? 1 : 0;
}
