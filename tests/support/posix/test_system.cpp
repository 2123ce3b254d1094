// Test helpers on POSIX: mkdtemp, fork and exec.
#include "support/test_system.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

std::string Test_Scratch_Folder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

void Test_Hide(const std::string&) {}

void Test_Remove_All(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

long Test_Peak_Memory_KiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int Test_Process_Id() { return static_cast<int>(::getpid()); }

Test_Run_Result Test_Run(const std::string& program, const std::vector<std::string>& arguments,
                         const Test_Run_Options& options) {
    const std::string outputs = Test_Scratch_Folder("kestrapol_run_");
    const std::string out = outputs + "/out", err = outputs + "/err";
    std::vector<std::string> environment;
    if (options.clean) {
        for (const char* kept : {"PATH", "LANG"})
            if (const char* value = std::getenv(kept)) environment.push_back(std::string(kept) + "=" + value);
    } else {
        for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    }
    for (const std::string& assignment : options.assignments) {
        // An assignment replaces what the environment has under its name.
        const std::string name = assignment.substr(0, assignment.find('=') + 1);
        std::erase_if(environment, [&name](const std::string& entry) { return entry.starts_with(name); });
        environment.push_back(assignment);
    }

    Test_Run_Result result;
    const pid_t child = ::fork();
    if (child == 0) {
        const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err_fd = options.merged ? out_fd : ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out_fd, 1);
        ::dup2(err_fd, 2);
        if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0) ::_exit(127);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) result.code = WEXITSTATUS(status);
    result.out = slurp(out);
    result.err = options.merged ? std::string() : slurp(err);
    std::filesystem::remove_all(outputs);
    return result;
}

Test_User_Folder Test_User_Configuration(const std::filesystem::path& root) {
    return {"XDG_CONFIG_HOME=" + (root / "xdg").string(), root / "xdg" / "Corvanthis"};
}

std::filesystem::path Test_Log_Folder(const std::filesystem::path& temporary) {
    return temporary / ("kestrapol-" + std::to_string(::getuid()));
}

bool Test_Owner_Only(const std::filesystem::path& folder) {
    return std::filesystem::status(folder).permissions() == std::filesystem::perms::owner_all;
}
