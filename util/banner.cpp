// The banner at the head of each trace: program, build and machine.
#include "util/banner.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

#include "util/directory.h"
#include "util/log.h"

void System_Banner() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char when[64];
    std::strftime(when, sizeof when, "%d %b %Y %H:%M", &parts);

    // The trace of this run starts empty.
    Log_Trace_File_Start();

    Log_Message(nullptr, LOG_TRACE_1, "==== ==== %s %s ==== (%s) ==== ====", Prog_Name.c_str(), Prog_Version.c_str(),
                when);
    Log_Message(nullptr, LOG_TRACE_1, "%s", "");
    Log_Message(nullptr, LOG_TRACE_1, "Prog_ID:      %s", Prog_ID.c_str());
    Log_Message(nullptr, LOG_TRACE_1, "Prog_Date:    %s", Prog_Date.c_str());
    Log_Message(nullptr, LOG_TRACE_1, "Compile:      %s", __DATE__);
    Log_Message(nullptr, LOG_TRACE_1, "%s", "");
    Log_Message(nullptr, LOG_TRACE_1, "---- Computer Info: ----");

    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        Log_Message(nullptr, LOG_TRACE_1, "Computer Name:  %s", host);
    } else {
        Log_Message(nullptr, LOG_TRACE_1, "File:%s Line:%d", __FILE__, __LINE__);
        Log_Message(nullptr, LOG_TRACE_1, "in GetComputerName()");
    }

    utsname system{};
    if (uname(&system) != 0) return;
    int major = 0, minor = 0, build = 0;
    std::sscanf(system.release, "%d.%d.%d", &major, &minor, &build);
    Log_Message(nullptr, LOG_TRACE_1, "System:         %s %s", system.sysname, system.release);
    Log_Message(nullptr, LOG_TRACE_1, "                version %d.%d (Build %d)", major, minor, build & 0xFFFF);
    Log_Message(nullptr, LOG_TRACE_1, "Processor:      %u x %s", std::thread::hardware_concurrency(), system.machine);
    Log_Message(nullptr, LOG_TRACE_1, "%s", "");
    Log_Message(nullptr, LOG_TRACE_1, "-----------------------");
}
