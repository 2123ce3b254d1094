// Copy mode: the DICOM files below the sources copied into a new file-set with its DICOMDIR.
#include <cstdio>

#include "app/startup.h"

int Copy_Run(const std::string& destination, const std::vector<std::string>& sources) {
    (void)destination;
    (void)sources;
    std::fprintf(stderr, "%s: making a media copy is not available in this build\n", Prog_Name.c_str());
    return Exit_Startup_Failed;
}
