// Check mode: each folder's DICOMDIR compared with the folder it indexes.
#include <cstdio>

#include "app/startup.h"

int Check_Run(const std::vector<std::string>& folders) {
    (void)folders;
    std::fprintf(stderr, "%s: checking media is not available in this build\n", Prog_Name.c_str());
    return Exit_Startup_Failed;
}
