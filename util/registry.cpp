// Install folder lookup: the folder the running executable was started from.
#include "util/registry.h"

#include <unistd.h>

#include <climits>

#include "util/log.h"
#include "util/system_error.h"

int Registry_Get_Path(const std::string& name, std::string& path) {
    const char* link = "/proc/self/exe";
    char target[PATH_MAX];
    ssize_t length = readlink(link, target, sizeof target - 1);
    if (length <= 0) {
        // Kept at trace level: the caller falls back to a default folder.
        std::string error = System_Error_Str(0);
        Log_Message(nullptr, LOG_TRACE_1, "Failed in Registry_Get_Path(%s,%s)", name.c_str(), path.c_str());
        Log_Message(nullptr, LOG_TRACE_1, "File:%s Line:%d", __FILE__, __LINE__);
        Log_Message(nullptr, LOG_TRACE_1, "Unable to access key: %s", link);
        Log_Message(nullptr, LOG_TRACE_1, "%s", error.c_str());
        return 0;
    }
    std::string executable(target, static_cast<std::size_t>(length));
    path = executable.substr(0, executable.rfind('/') + 1);
    return 1;
}
