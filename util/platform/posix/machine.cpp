// The computer lines of the trace banner on POSIX: host name, kernel, processors.
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <thread>

#include "util/log.h"
#include "util/platform_system.h"

bool System_Banner_Machine() {
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        Log_Message(nullptr, LOG_TRACE_1, "Computer Name:  %s", host);
    } else {
        Log_Message(nullptr, LOG_TRACE_1, "File:%s Line:%d", __FILE__, __LINE__);
        Log_Message(nullptr, LOG_TRACE_1, "in GetComputerName()");
    }

    utsname system{};
    if (uname(&system) != 0) return false;
    int major = 0, minor = 0, build = 0;
    std::sscanf(system.release, "%d.%d.%d", &major, &minor, &build);
    Log_Message(nullptr, LOG_TRACE_1, "System:         %s %s", system.sysname, system.release);
    Log_Message(nullptr, LOG_TRACE_1, "                version %d.%d (Build %d)", major, minor, build & 0xFFFF);
    Log_Message(nullptr, LOG_TRACE_1, "Processor:      %u x %s", std::thread::hardware_concurrency(), system.machine);
    return true;
}
