// What the tests need of the system, the same on POSIX and on Windows: scratch folders, the
// process number, and running a program with its output and exit code.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A new, empty folder below the system's temporary folder (its name starts with prefix); the
// path has no final separator.
std::string Test_Scratch_Folder(const std::string& prefix);

// Removes path and everything below it, however deep (errors ignored).
void Test_Remove_All(const std::string& path);

// A UTF-8 path as the standard library's file calls take it (wide on Windows).
inline std::filesystem::path Test_Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Marks a file or folder hidden the way the system does: its name (which starts with a dot)
// already does on POSIX; Windows sets the hidden attribute.
void Test_Hide(const std::string& path);

// The most memory this process has held so far, in KiB.
long Test_Peak_Memory_KiB();

// This process's number, for names that must not meet another test program's.
int Test_Process_Id();

struct Test_Run_Result {
    int code = -1;  // the exit code; -1 when the program could not run or did not exit
    std::string out;
    std::string err;
};

// Runs program with each argument passed as it is (no shell), in folder (empty: this process's
// folder), and waits. The environment is this process's plus assignments ("NAME=value"); with
// clean, only the system's essentials plus assignments. With merged, standard error goes into out.
struct Test_Run_Options {
    std::vector<std::string> assignments;
    bool clean = false;
    bool merged = false;
    std::string folder;
};
Test_Run_Result Test_Run(const std::string& program, const std::vector<std::string>& arguments,
                         const Test_Run_Options& options = {});

// The program's per-user configuration folder for a run below root, with the assignment that
// puts it there: $XDG_CONFIG_HOME/Corvanthis on POSIX, %APPDATA%\Corvanthis on Windows.
struct Test_User_Folder {
    std::string assignment;
    std::filesystem::path folder;
};
Test_User_Folder Test_User_Configuration(const std::filesystem::path& root);

// The program's own log folder below a temporary folder, and whether only its owner may use it:
// kestrapol-<uid> with mode 0700 on POSIX; kestrapol on Windows, where the folder's access list
// (not checked here) keeps others out.
std::filesystem::path Test_Log_Folder(const std::filesystem::path& temporary);
bool Test_Owner_Only(const std::filesystem::path& folder);
