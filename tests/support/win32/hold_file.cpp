// Holds a file open the way a viewer does (reading, sharing reading only, so that nobody may
// delete or rename it) until its standard input ends. Prints "held" once the file is open.
//     hold_file.exe PATH
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int count, wchar_t** arguments) {
    if (count != 2) return 2;
    const HANDLE held = CreateFileW(arguments[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseHandle(held);
    return 0;
}
