// Version descriptions and clean-up of the utility and tools libraries.
#include "util/library_version.h"

#include <cstdio>
#include <cstring>

#include "util/log_sink.h"
#include "util/region.h"

namespace {

constexpr const char* library_version = "21.6";
constexpr const char* library_revision = "a";

const char* describe(char (&buffer)[64], const char* library, const char* required) {
    if (required && std::strcmp(required, library_version) != 0) return nullptr;
    std::snprintf(buffer, sizeof buffer, "%s (Static) %s (rev-%s)", library, library_version, library_revision);
    return buffer;
}

}  // namespace

const char* Util_Library_Version(const char* required) {
    static char description[64];
    return describe(description, "Corvanthis_Util", required);
}

const char* Tools_Library_Version(const char* required) {
    static char description[64];
    return describe(description, "Corvanthis_Tools", required);
}

void Util_Library_Cleanup() { Mutex_Region_Close(); }

void Tools_Library_Cleanup() { Log_Set_Sink(nullptr); }
