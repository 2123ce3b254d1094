// The process and the machine as the system describes them (part of the platform layer, see
// platform_file.h): environment, folders, arguments, time, computer, console, error numbers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The command line as UTF-8 arguments, program first, each taken literally (no wildcards
// expanded). POSIX returns argv; Windows reads the wide command line.
std::vector<std::string> Platform_Arguments(int argc, char** argv);

// An environment variable's value (UTF-8); nullopt when it is not set.
std::optional<std::string> Environment_Get(const char* name);

// The folder of the running executable, with its separator; empty when the system cannot say.
std::string Executable_Folder();
// The address of symbol in the program's own shared library base_name of folder (the system's
// suffix added), which stays loaded until the process ends; nullptr, with error saying why, when
// the library or the symbol cannot be had.
void* Library_Symbol(const std::string& folder, const std::string& base_name, const char* symbol, std::string& error);
// The system's folder for temporary files, with its separator.
std::string Temporary_Folder();
// A folder of the user's own below Temporary_Folder(), named after prefix, with its separator:
// prefix-<uid> on POSIX, where the temporary folder is shared by every user.
std::string Private_Temporary_Folder(const std::string& prefix);
// Where per-user configuration lives before the program's own folder name is added, with its
// separator: $APPDATA when set; else, on POSIX, $XDG_CONFIG_HOME or ~/.config.
std::optional<std::string> User_Configuration_Base();
// Used as install folder when neither the registry nor the executable's folder can be had.
extern const char* const Fallback_Install_Folder;

std::tm Local_Time(std::time_t when);

// Writes the computer and system lines of the trace banner (computer name, system, version,
// processors), each a LOG_TRACE_1 message. false when the system could not be described: the
// banner then stops after the computer name.
bool System_Banner_Machine();

// Whether stream shows on a terminal or console, where lines are flushed one by one.
bool Stream_Is_Terminal(std::FILE* stream);
// Whether stream shows on a terminal or console that understands colour escapes (turning them
// on where the console needs it).
bool Console_Supports_Colour(std::FILE* stream);
// Makes standard output and standard error reach a console: the one the program was started
// from, or (trace) a new one when there is none; streams into files and pipes write their
// bytes unchanged (lines end in "\n"). POSIX streams already do all that.
void Console_Attach(bool create_when_missing);
// Writes UTF-8 text to stream. On a console (console: Stream_Is_Terminal(stream), which the
// caller knows) Windows writes it through the console's wide interface, so that every character
// shows whatever the console's code page; files and pipes, and POSIX terminals, get the bytes.
void Stream_Write_Text(std::FILE* stream, std::string_view utf8, bool console);
// Whether two streams write to the same place (one terminal, or one file), so that a line
// meant for both is written once.
bool Streams_Share_Target(std::FILE* a, std::FILE* b);

// Standard output led into a pipe for a window that plays the console: read() hands over what
// the program writes, after passing it on to where standard output went before.
class Stdout_Tee {
public:
    Stdout_Tee() = default;
    // Gives standard output back and closes what is left; the reader must have ended.
    ~Stdout_Tee();
    Stdout_Tee(const Stdout_Tee&) = delete;
    Stdout_Tee& operator=(const Stdout_Tee&) = delete;

    // Leads standard output into the pipe, unbuffered; false when the system refuses (standard
    // output then stays as it was). Once started, later calls do nothing.
    bool start();
    bool started() const { return saved_ >= 0; }
    // Reader thread: waits for bytes, passes them on and returns how many; 0 once restore()
    // has been called and everything written before was read.
    std::size_t read(char* buffer, std::size_t size);
    // Gives standard output back; the reader then comes to the end of the pipe.
    void restore();

private:
    int read_end_ = -1, write_end_ = -1, saved_ = -1;
};

// Makes the destructors of a thread's thread-local objects run before their storage is freed
// when the thread ends. Call before any thread-local object is used (it also runs before main
// wherever this file's other calls are linked); later calls do nothing. POSIX needs nothing.
void Thread_Locals_Prepare();
// The most address space the process may take, in bytes (a POSIX resource limit); 0 when
// there is no such limit.
uint64_t Address_Space_Limit();

// A system error in Windows numbering (POSIX maps errno onto it) and the system's sentence for
// it, without a final line break (empty when the system has none). Code 0 describes the calling
// thread's last error (errno on POSIX).
struct System_Error {
    uint32_t code = 0;
    std::string text;
};
System_Error System_Error_Describe(uint32_t code);
// The C library's text of an errno value, into buffer.
void C_Error_Text(int number, char* buffer, std::size_t size);
