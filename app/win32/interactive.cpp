// Interactive mode on Win32: the window classes, the main window with its log sink, the console
// when tracing, the message loop and the orderly shutdown. Batch mode never gets here, so it
// registers no class and makes no window.
#include <ole2.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "app/startup.h"
#include "app/ui/window_settings.h"
#include "app/win32/desktop.h"
#include "app/win32/log_sink.h"
#include "app/win32/main_window.h"
#include "util/banner.h"
#include "util/log.h"
#include "util/platform_system.h"

namespace {

// Started from Explorer, the program gets a console of its own that a window user has no use
// for: it goes, unless a trace writes into it. A console shared with a command prompt stays.
// Ctrl+digit opens a new one when tracing is switched on later.
void release_own_console() {
    DWORD processes[2];
    if (Trace_Level != 0 || GetConsoleProcessList(processes, 2) != 1) return;
    FreeConsole();
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    SetStdHandle(STD_ERROR_HANDLE, nullptr);
}

BOOL CALLBACK add_work_area(HMONITOR monitor, HDC, LPRECT, LPARAM screens) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcWork;
        reinterpret_cast<std::vector<Ui_Rect>*>(screens)->push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    return TRUE;
}

// Where the window was last time, moved onto today's screens if they changed.
void restore_frame(HWND window, const Window_Settings& settings) {
    if (!settings.frame) return;
    std::vector<Ui_Rect> screens;
    EnumDisplayMonitors(nullptr, nullptr, add_work_area, reinterpret_cast<LPARAM>(&screens));
    MINMAXINFO least{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&least));
    const Ui_Rect placed = Window_Frame_On_Screens(*settings.frame, screens, least.ptMinTrackSize.x, least.ptMinTrackSize.y);
    SetWindowPos(window, nullptr, placed.x, placed.y, placed.width, placed.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

Ui_Rect frame_of(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    RECT frame{};
    // Maximised or minimised, the frame to come back to; placements are in work-area pixels.
    if (IsIconic(window) || IsZoomed(window)) {
        GetWindowPlacement(window, &placement);
        frame = placement.rcNormalPosition;
    } else {
        GetWindowRect(window, &frame);
    }
    return {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

int Kestrapol_Interactive_Run(int&, char**, const Startup_Continue& continue_startup, const std::vector<std::string>& drop) {
    // The dialogs of the desktop (the folder chooser) are COM objects of this thread, and drags
    // from the shell come by OLE.
    const HRESULT com = OleInitialize(nullptr);
    release_own_console();
    // Start-up opened the console already when tracing was asked for; Ctrl+digit may later.
    const auto open_console = [] { Console_Attach(true); };

    if (!Win32_Main_Window::Register_Classes(GetModuleHandleW(nullptr), Main_Window_Title)) {
        if (SUCCEEDED(com)) OleUninitialize();
        return Exit_OK;  // the main window cannot be made: nothing reported
    }
    Window_Settings settings = Window_Settings_Load();
    Win32_Main_Window_Hooks hooks;
    hooks.choose_folders = [&settings](HWND owner) { return Desktop_Choose_Folders(owner, settings.folder); };
    hooks.choose_report_file = [&settings](HWND owner) { return Desktop_Choose_Report_File(owner, settings.folder); };
    hooks.open_console = open_console;
    hooks.write_banner = System_Banner;
    hooks.library_descriptions = Library_Descriptions;
    auto window = std::make_unique<Win32_Main_Window>(Main_Window_Title, std::move(hooks));
    if (!window->handle()) {
        if (SUCCEEDED(com)) OleUninitialize();
        return Exit_OK;
    }
    Win32_Log_Sink sink(*window);
    Log_Set_Sink(&sink);
    restore_frame(window->handle(), settings);
    ShowWindow(window->handle(), SW_SHOWDEFAULT);
    UpdateWindow(window->handle());

    int code = continue_startup(window->handle());
    if (code == 0) {
        window->logic().write_instructions();
        // Folders named with -w, as the shell's "Open with" hands them over: one drop, seen.
        if (!drop.empty()) window->convert(drop);
        MSG message;
        BOOL got;
        while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            // The frame as the user leaves it: the close destroys the window in a message of its own.
            if (IsWindow(window->handle())) settings.frame = frame_of(window->handle());
        }
        code = got == 0 ? static_cast<int>(message.wParam) : Exit_OK;
        // Started with folders, the program ends as batch mode would have for them.
        if (code == 0 && !drop.empty()) {
            window->stop_conversion();
            code = window->conversion().exit_code();
        }
    }
    Window_Settings_Save(settings);
    Log_Set_Sink(nullptr);
    window.reset();  // stops and waits for a running conversion
    Gdi::Release_Fonts();
    if (SUCCEEDED(com)) OleUninitialize();
    return code;
}
