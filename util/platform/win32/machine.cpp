// The computer lines of the trace banner on Windows: computer name, version, processors.
#include <windows.h>

#include "util/log.h"
#include "util/platform/win32/wide.h"
#include "util/platform_system.h"

namespace {

const char* system_name(const OSVERSIONINFOW& version) {
    switch (version.dwPlatformId) {
        case VER_PLATFORM_WIN32s: return "Win32s";
        case VER_PLATFORM_WIN32_WINDOWS:
            return version.dwMajorVersion >= 5 || (version.dwMajorVersion == 4 && version.dwMinorVersion != 0)
                       ? "Windows 98"
                       : "Windows 95";
        default:
            if (version.dwMajorVersion == 5 && version.dwMinorVersion == 0) return "Windows 2000";
            if (version.dwMajorVersion == 5 && version.dwMinorVersion == 1) return "Windows XP";
            return "Windows NT";
    }
}

}  // namespace

bool System_Banner_Machine() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &length)) {
        Log_Message(nullptr, LOG_TRACE_1, "Computer Name:  %s", Wide_To_Utf8({name, length}).c_str());
    } else {
        Log_Message(nullptr, LOG_TRACE_1, "File:%s Line:%d", __FILE__, __LINE__);
        Log_Message(nullptr, LOG_TRACE_1, "in GetComputerName()");
    }

    // The manifest names the Windows versions the program knows, so the query tells the truth.
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    bool extended = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
    if (!extended) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return false;
    }
    Log_Message(nullptr, LOG_TRACE_1, "System:         %s", system_name(reinterpret_cast<OSVERSIONINFOW&>(version)));
    Log_Message(nullptr, LOG_TRACE_1, "                version %d.%d (Build %d)", static_cast<int>(version.dwMajorVersion),
                static_cast<int>(version.dwMinorVersion), static_cast<int>(version.dwBuildNumber & 0xFFFF));
    if (extended)
        Log_Message(nullptr, LOG_TRACE_1, "                Service Pack %d.%d", version.wServicePackMajor,
                    version.wServicePackMinor);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    Log_Message(nullptr, LOG_TRACE_1, "Processor:      %u x %u (OEM ID: %u)", static_cast<unsigned>(system.dwNumberOfProcessors),
                static_cast<unsigned>(system.dwProcessorType), static_cast<unsigned>(system.dwOemId));
    return true;
}
