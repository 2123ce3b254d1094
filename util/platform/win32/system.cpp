// The process on Windows: the wide command line, environment, folders and local time.
#include "util/platform_system.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include "util/platform/win32/wide.h"
#include "util/system_error.h"

const char* const Fallback_Install_Folder = "c:\\Program Files\\Corvanthis\\";

// With mingw-w64 the emulated thread-local storage frees a thread's objects from one thread-key
// destructor and the C++ runtime runs their destructors from another; the keys run in the order
// they were made. The storage's key is made at the first use of a thread-local object, so the
// runtime's key, made by its first registration, came second: every thread that ended (the
// conversion worker, the file readers) ran destructors on freed memory and crashed or corrupted
// the heap. One empty registration first makes the runtime's key the first to run.
extern "C" int __cxa_thread_atexit(void (*destructor)(void*), void* object, void* dso);

void Thread_Locals_Prepare() {
    static const int registered = __cxa_thread_atexit([](void*) {}, nullptr, nullptr);
    (void)registered;
}

uint64_t Address_Space_Limit() { return 0; }  // no per-process limit of the kind

namespace {
const bool thread_locals_prepared = (Thread_Locals_Prepare(), true);
}  // namespace

std::vector<std::string> Platform_Arguments(int, char**) {
    // The wide command line, split by the system's rules and without wildcard expansion: names
    // outside the code page and names with "*" or "?" arrive as written.
    std::vector<std::string> arguments;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) arguments.push_back(Wide_To_Utf8(wide[i]));
        LocalFree(wide);
    }
    // cmd users write "C:\My Scans\": the system reads the final \" as a quote that belongs to
    // the name. No Windows name holds a quote, so a single one at the end is that left-over.
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string& argument = arguments[i];
        if (argument.size() > 1 && argument.back() == '"' && argument.find('"') == argument.size() - 1) {
            argument.pop_back();
            if (argument.back() != '\\') argument.push_back('\\');
        }
    }
    return arguments;
}

std::optional<std::string> Environment_Get(const char* name) {
    const std::wstring wide_name = Utf8_To_Wide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (length < value.size()) {
            value.resize(length);
            return Wide_To_Utf8(value);
        }
        value.resize(length);
    }
}

std::string Executable_Folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::string executable = Wide_To_Utf8(path);
    if (executable.starts_with("\\\\?\\UNC\\")) executable = "\\\\" + executable.substr(8);
    else if (executable.starts_with("\\\\?\\")) executable = executable.substr(4);
    return executable.substr(0, executable.find_last_of("\\/") + 1);
}

void* Library_Symbol(const std::string& folder, const std::string& base_name, const char* symbol, std::string& error) {
    const std::string path = folder + base_name + ".dll";
    HMODULE library = LoadLibraryW(Utf8_To_Wide(path).c_str());
    FARPROC address = library != nullptr ? GetProcAddress(library, symbol) : nullptr;
    if (address == nullptr) {
        error = path + ": " + System_Error_Str(GetLastError());
        return nullptr;
    }
    return reinterpret_cast<void*>(address);
}

std::string Temporary_Folder() {
    wchar_t path[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, path);
    std::string folder = length > 0 && length <= MAX_PATH ? Wide_To_Utf8({path, length}) : std::string("C:\\Temp\\");
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

// Windows gives each user a temporary folder of their own.
std::string Private_Temporary_Folder(const std::string& prefix) { return Temporary_Folder() + prefix + "\\"; }

std::optional<std::string> User_Configuration_Base() {
    std::optional<std::string> base = Environment_Get("APPDATA");
    if (!base) return std::nullopt;
    return *base + "\\";
}

std::tm Local_Time(std::time_t when) {
    std::tm parts{};
    localtime_s(&parts, &when);
    return parts;
}
