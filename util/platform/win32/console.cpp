// Consoles on Windows: the one the program was started from, a new one for a trace, and colour
// through the console's escape sequences where it understands them.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "util/platform/win32/wide.h"
#include "util/platform_system.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

HANDLE handle_of(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

bool has_handle(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Without a buffer the C runtime writes a character at a time to anything it takes for a
// terminal (a console, or a device such as NUL): a call into the system per character, which
// made a report of 20,000 lines cost seconds. With one, a line is a single write; the writers
// flush where a line must show at once (on a console, the trace echo, boxes).
void give_buffer(std::FILE* stream) { std::setvbuf(stream, nullptr, _IOFBF, 1 << 16); }

// Points a standard stream that has nowhere to go at the console.
void reopen_at_console(DWORD which, std::FILE* stream) {
    if (has_handle(which) && _fileno(stream) >= 0 && _get_osfhandle(_fileno(stream)) >= 0) return;
    if (std::freopen("CONOUT$", "w", stream)) give_buffer(stream);
}

// A stream into a file or a pipe takes its bytes as they are: in text mode the C runtime asks
// for a console at every character it writes, a call into the system each time, which made a
// run of 20,000 files under Wine spend most of its time on the one report line per file.
// Lines then end in "\n" alone, as most readers of files and pipes take them.
void write_files_unchanged(std::FILE* stream) {
    DWORD mode = 0;
    const HANDLE handle = handle_of(stream);
    if (handle != INVALID_HANDLE_VALUE && !GetConsoleMode(handle, &mode)) _setmode(_fileno(stream), _O_BINARY);
}

}  // namespace

bool Stream_Is_Terminal(std::FILE* stream) {
    DWORD mode = 0;
    const HANDLE handle = handle_of(stream);
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

bool Console_Supports_Colour(std::FILE* stream) {
    const HANDLE handle = handle_of(stream);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;  // a file or a pipe
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
           SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void Stream_Write_Text(std::FILE* stream, std::string_view utf8, bool console) {
    if (console) {
        // The console's code page would turn every character outside it into "?".
        std::fflush(stream);
        const std::wstring wide = Utf8_To_Wide(utf8);
        DWORD written = 0;
        if (WriteConsoleW(handle_of(stream), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

void Console_Attach(bool create_when_missing) {
    // Output already going somewhere (a console, a file, a pipe) stays there.
    if (has_handle(STD_OUTPUT_HANDLE) && has_handle(STD_ERROR_HANDLE)) {
        for (std::FILE* stream : {stdout, stderr}) {
            write_files_unchanged(stream);
            give_buffer(stream);
        }
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && !(create_when_missing && AllocConsole())) return;
    reopen_at_console(STD_OUTPUT_HANDLE, stdout);
    reopen_at_console(STD_ERROR_HANDLE, stderr);
}

bool Streams_Share_Target(std::FILE* a, std::FILE* b) {
    const HANDLE first = handle_of(a), second = handle_of(b);
    if (first == INVALID_HANDLE_VALUE || second == INVALID_HANDLE_VALUE) return false;
    if (first == second) return true;
    DWORD mode = 0;
    if (GetConsoleMode(first, &mode) && GetConsoleMode(second, &mode)) return true;  // the one console
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    if (!GetFileInformationByHandle(first, &one) || !GetFileInformationByHandle(second, &other)) return false;
    return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh &&
           one.nFileIndexLow == other.nFileIndexLow;
}

Stdout_Tee::~Stdout_Tee() {
    restore();
    for (int descriptor : {read_end_, saved_})
        if (descriptor >= 0) _close(descriptor);
}

bool Stdout_Tee::start() {
    if (started()) return true;
    int ends[2];
    if (_pipe(ends, 1 << 16, _O_BINARY) != 0) return false;
    std::fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    if (saved < 0 || _dup2(ends[1], _fileno(stdout)) < 0) {
        for (int descriptor : {ends[0], ends[1], saved})
            if (descriptor >= 0) _close(descriptor);
        return false;
    }
    read_end_ = ends[0];
    write_end_ = ends[1];
    saved_ = saved;
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // lines appear as they are written
    return true;
}

std::size_t Stdout_Tee::read(char* buffer, std::size_t size) {
    if (read_end_ < 0) return 0;
    const int got = _read(read_end_, buffer, static_cast<unsigned>(size));
    if (got <= 0) return 0;
    [[maybe_unused]] const int passed = _write(saved_, buffer, static_cast<unsigned>(got));
    return static_cast<std::size_t>(got);
}

void Stdout_Tee::restore() {
    if (write_end_ < 0) return;
    std::fflush(stdout);
    _dup2(saved_, _fileno(stdout));
    _close(write_end_);  // the last writer: the reader sees the end
    write_end_ = -1;
}
