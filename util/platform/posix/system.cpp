// The process on POSIX: arguments, environment, folders and local time.
#include "util/platform_system.h"

#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

const char* const Fallback_Install_Folder = "/opt/Corvanthis/";

std::vector<std::string> Platform_Arguments(int argc, char** argv) { return {argv, argv + argc}; }

void Thread_Locals_Prepare() {}

uint64_t Address_Space_Limit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
    return static_cast<uint64_t>(limit.rlim_cur);
}

std::optional<std::string> Environment_Get(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

std::string Executable_Folder() {
    char target[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", target, sizeof target - 1);
    if (length <= 0) return {};
    std::string executable(target, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/') + 1);
}

void* Library_Symbol(const std::string& folder, const std::string& base_name, const char* symbol, std::string& error) {
    const std::string path = folder + base_name + ".so";
    // Resolved at once: a missing symbol is reported here, not when it is first called.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* address = library != nullptr ? dlsym(library, symbol) : nullptr;
    if (address == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : path + ": no " + symbol;
    }
    return address;
}

std::string Temporary_Folder() {
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    if (error || folder.empty()) folder = "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string Private_Temporary_Folder(const std::string& prefix) {
    return Temporary_Folder() + prefix + "-" + std::to_string(getuid()) + "/";
}

std::optional<std::string> User_Configuration_Base() {
    std::optional<std::string> base = Environment_Get("APPDATA");
    if (!base) {
        if (std::optional<std::string> xdg = Environment_Get("XDG_CONFIG_HOME"); xdg && !xdg->empty()) base = xdg;
        else if (std::optional<std::string> home = Environment_Get("HOME"); home && !home->empty())
            base = *home + "/.config";
        else return std::nullopt;
    }
    return *base + "/";
}

std::tm Local_Time(std::time_t when) {
    std::tm parts{};
    localtime_r(&when, &parts);
    return parts;
}
