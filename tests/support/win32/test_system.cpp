// Test helpers on Windows: CreateProcessW with its output in files.
#include "support/test_system.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <psapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace {

std::wstring wide(const std::string& text) {
    std::wstring result(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                                     nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        static_cast<int>(result.size()));
    return result;
}

// One argument as the system's command-line splitting reads it back.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring result = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    result.append(2 * backslashes, L'\\');
    return result + L"\"";
}

HANDLE output_file(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    // Lines as on POSIX: the C library writes "\r\n" for "\n" to text streams.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
    return lines;
}

// Removes the folder or file named by a "\\?\" path and everything below it.
void remove_native(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") remove_native(path + L"\\" + name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        RemoveDirectoryW(path.c_str());
    } else {
        DeleteFileW(path.c_str());
    }
}

}  // namespace

void Test_Remove_All(const std::string& path) {
    // The standard library's removal stops at MAX_PATH; the prefix does not.
    remove_native(L"\\\\?\\" + std::filesystem::absolute(Test_Path(path)).make_preferred().wstring());
}

std::string Test_Scratch_Folder(const std::string& prefix) {
    std::random_device random;
    for (;;) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / (prefix + std::to_string(random() % 1000000000));
        if (CreateDirectoryW(folder.wstring().c_str(), nullptr)) {
            const std::u8string utf8 = folder.u8string();
            return {utf8.begin(), utf8.end()};
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
}

void Test_Hide(const std::string& path) {
    const std::wstring name = Test_Path(path).wstring();
    SetFileAttributesW(name.c_str(), GetFileAttributesW(name.c_str()) | FILE_ATTRIBUTE_HIDDEN);
}

long Test_Peak_Memory_KiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

int Test_Process_Id() { return static_cast<int>(GetCurrentProcessId()); }

Test_Run_Result Test_Run(const std::string& program, const std::vector<std::string>& arguments,
                         const Test_Run_Options& options) {
    const std::filesystem::path outputs = Test_Scratch_Folder("kestrapol_run_");
    const HANDLE out = output_file((outputs / "out").wstring());
    const HANDLE err = options.merged ? out : output_file((outputs / "err").wstring());

    std::wstring command_line = quoted(wide(program));
    for (const std::string& argument : arguments) command_line += L" " + quoted(wide(argument));

    // The environment block: NAME=value entries, each ended by a zero, then a final zero. An
    // assignment replaces what the environment has under its name.
    std::vector<std::wstring> assignments;
    for (const std::string& assignment : options.assignments) assignments.push_back(wide(assignment));
    auto assigned = [&assignments](const std::wstring& name) {
        for (const std::wstring& assignment : assignments)
            if (_wcsicmp(assignment.substr(0, assignment.find(L'=')).c_str(), name.c_str()) == 0) return true;
        return false;
    };
    std::wstring environment;
    if (wchar_t* inherited = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = inherited; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text = entry;
            const std::wstring name = text.substr(0, text.find(L'=', 1));
            bool kept = !options.clean;
            for (const wchar_t* essential : {L"SystemRoot", L"windir", L"PATH", L"TEMP", L"TMP", L"WINEPREFIX"})
                kept = kept || _wcsicmp(name.c_str(), essential) == 0;
            if (kept && !name.empty() && !assigned(name)) environment += text + L'\0';
        }
        FreeEnvironmentStringsW(inherited);
    }
    for (const std::wstring& assignment : assignments) environment += assignment + L'\0';
    environment += L'\0';

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring folder = wide(options.folder);
    Test_Run_Result result;
    if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       environment.data(), folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) result.code = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    if (!options.merged) CloseHandle(err);
    result.out = slurp(outputs / "out");
    result.err = options.merged ? std::string() : slurp(outputs / "err");
    std::filesystem::remove_all(outputs);
    return result;
}

Test_User_Folder Test_User_Configuration(const std::filesystem::path& root) {
    return {"APPDATA=" + (root / "appdata").string(), root / "appdata" / "Corvanthis"};
}

std::filesystem::path Test_Log_Folder(const std::filesystem::path& temporary) { return temporary / "kestrapol"; }

bool Test_Owner_Only(const std::filesystem::path&) { return true; }
