#include "app/ui/main_actions.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include <zlib.h>

#include "dicom/library.h"
#include "util/library_version.h"
#include "util/log_sink.h"
#include "util/system_error.h"

namespace {
// Read index of Thread_Text_Ring: process-wide like the ring, advanced only by the window.
int ring_read_index = 0;
}  // namespace

std::array<std::string, 3> Library_Descriptions() {
    return {DICOM_Library_Version(nullptr), Util_Library_Version(nullptr), Tools_Library_Version(nullptr)};
}

void Main_Set_Trace_Level(Win_Handle window, int digit, const Trace_Hooks& hooks) {
    const int level = digit == 0 ? 0 : digit == 1 ? 1 : 2;
    if (level != 0 && Trace_Level == 0) {
        if (hooks.open_console) hooks.open_console();
        Trace_Level = static_cast<int8_t>(level);
        if (hooks.write_banner) hooks.write_banner();
        Log_Message(window, LOG_TRACE_1, "---- Corvanthis Libraries: ----");
        if (hooks.library_descriptions)
            for (const std::string& description : hooks.library_descriptions())
                Log_Message(window, LOG_TRACE_1, "%s", description.c_str());
        Log_Message(window, LOG_TRACE_1, "%s", "");
    }
    Trace_Level = static_cast<int8_t>(level);
    Log_Message(window, LOG_REPORT, "Trace level: %d", level);
}

void Drain_Thread_Ring(const std::function<void(const char* line)>& write) {
    while (ring_read_index != Thread_Ring_Write_Index()) {
        write(Thread_Text_Ring[ring_read_index]);
        ring_read_index = (ring_read_index + 1) % Thread_Ring_Slots;
    }
}

bool Save_Report(Win_Handle window, const std::filesystem::path& file, const std::string& shown_name,
                 const std::string& report) {
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out.write(report.data(), static_cast<std::streamsize>(report.size())).flush()) {
        Log_Message(window, LOG_REPORT, "Report saved to \x01%s", shown_name.c_str());
        return true;
    }
    const int error = errno ? errno : EIO;
    Log_Message(window, LOG_WARNING, "\xF1\x05WARNING:\x02 Unable to save the report to \x01%s", shown_name.c_str());
    Log_Message(window, LOG_WARNING, "\x02\t\t\t %s", Error_Str(error));
    return false;
}

std::string Readme_Path(const std::string& program_folder) {
    if (program_folder.empty()) return {};
    for (const char* name : {"README.txt", "README.md", "../share/doc/kestrapol/README.md"}) {
        const std::string path = program_folder + name;
        std::error_code error;
        const std::filesystem::path file(std::u8string(path.begin(), path.end()));
        if (std::filesystem::is_regular_file(file, error)) return path;
    }
    return {};
}

std::string About_Text(const std::array<std::string, 3>& libraries, const std::string& toolkit) {
    std::string text = Prog_Name + " " + Prog_Version + "\n\n";
    for (const std::string& library : libraries) text += library + "\n";
    text += std::string("zlib ") + zlibVersion() + "\n";
    if (!toolkit.empty()) text += toolkit + "\n";
    return text;
}
