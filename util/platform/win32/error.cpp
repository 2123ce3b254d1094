// Error codes on Windows: the thread's last error and FormatMessage texts.
#include <windows.h>

#include <cstring>

#include "util/platform/win32/wide.h"
#include "util/platform_system.h"

System_Error System_Error_Describe(uint32_t code) {
    System_Error described{code == 0 ? static_cast<uint32_t>(GetLastError()) : code, {}};
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, described.code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length > 0 && text) described.text = Wide_To_Utf8({text, length});
    if (text) LocalFree(text);
    // The system's sentences end with a line break that a log line does not want.
    while (!described.text.empty() && (described.text.back() == '\n' || described.text.back() == '\r' ||
                                       described.text.back() == ' '))
        described.text.pop_back();
    return described;
}

void C_Error_Text(int number, char* buffer, std::size_t size) {
    if (strerror_s(buffer, size, number) != 0 && size > 0) buffer[0] = '\0';
}
