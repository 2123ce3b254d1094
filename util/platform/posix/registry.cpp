// Install folder lookup on POSIX, which has no registry: the folder of the running executable.
#include "util/registry.h"

#include "util/log.h"
#include "util/platform_system.h"
#include "util/system_error.h"

int Registry_Get_Path(const std::string& name, std::string& path) {
    std::string folder = Executable_Folder();
    if (folder.empty()) {
        // Kept at trace level: the caller falls back to a default folder.
        std::string error = System_Error_Str(0);
        Log_Message(nullptr, LOG_TRACE_1, "Failed in Registry_Get_Path(%s,%s)", name.c_str(), path.c_str());
        Log_Message(nullptr, LOG_TRACE_1, "File:%s Line:%d", __FILE__, __LINE__);
        Log_Message(nullptr, LOG_TRACE_1, "Unable to access key: %s", "/proc/self/exe");
        Log_Message(nullptr, LOG_TRACE_1, "%s", error.c_str());
        return 0;
    }
    path = std::move(folder);
    return 1;
}
