// The banner at the head of each trace: program, build and machine.
#include "util/banner.h"

#include <ctime>
#include <string>

#include "util/directory.h"
#include "util/log.h"
#include "util/platform_file.h"
#include "util/platform_system.h"

void System_Banner() {
    std::time_t now = std::time(nullptr);
    const std::tm parts = Local_Time(now);
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

    if (!System_Banner_Machine()) return;  // no system description: the banner ends here
    Log_Message(nullptr, LOG_TRACE_1, "%s", "");
    Log_Message(nullptr, LOG_TRACE_1, "-----------------------");
}
