// What the main window of every toolkit does for its keys and buttons, apart from drawing and
// the desktop's dialogs: the trace level, the lines the worker sends, saving the report.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "util/log.h"

// What switching tracing on needs of start-up.
struct Trace_Hooks {
    std::function<void()> open_console;
    std::function<void()> write_banner;
    // The DICOM, utility and tools library descriptions, in that order.
    std::function<std::array<std::string, 3>()> library_descriptions;
};

// The descriptions of the libraries linked in, for Trace_Hooks::library_descriptions.
std::array<std::string, 3> Library_Descriptions();

// Ctrl+digit: 0 switches tracing off, 1 sets level 1, 2 to 9 set level 2 (the keyboard never
// sets more). Switching on from off first opens the console and writes the banner and the
// library descriptions. Reports "Trace level: %d".
void Main_Set_Trace_Level(Win_Handle window, int digit, const Trace_Hooks& hooks);

// Writes the lines waiting in Thread_Text_Ring, in order (the window's WM_USER+1).
void Drain_Thread_Ring(const std::function<void(const char* line)>& write);

// Saves the report as file (shown as shown_name) and says in the panel where it went, or why
// it could not go there.
bool Save_Report(Win_Handle window, const std::filesystem::path& file, const std::string& shown_name,
                 const std::string& report);

// The README that came with the program: README.txt or README.md beside it, or the installed
// share/doc/kestrapol/README.md below its prefix; empty when none is there.
std::string Readme_Path(const std::string& program_folder);

// The About box's text: the program and its version, the libraries, zlib and the toolkit.
std::string About_Text(const std::array<std::string, 3>& libraries, const std::string& toolkit);
