// Interactive mode loaded at run time from the window library beside the executable.
#include <cstdio>

#include "app/startup.h"
#include "util/platform_system.h"

namespace {

constexpr const char* Window_Library = "kestrapol_window";

}  // namespace

int Kestrapol_Window_Library_Run(int& argc, char** argv, const Startup_Continue& continue_startup,
                                 const std::vector<std::string>& drop) {
    std::string error;
    void* entry = Library_Symbol(Executable_Folder(), Window_Library, "Kestrapol_Window_Runner", error);
    if (entry == nullptr) {
        std::fprintf(stderr, "%s: the window cannot be opened (%s); name the folders to convert:\n %s [-v] [-t val] folder ...\n",
                     Prog_Name.c_str(), error.c_str(), Prog_Name.c_str());
        return Exit_Startup_Failed;
    }
    const Interactive_Runner run = reinterpret_cast<Interactive_Runner (*)()>(entry)();
    return run(argc, argv, continue_startup, drop);
}
