// UTF-8 and UTF-16 on Windows: the program's texts are UTF-8, the system's wide calls take UTF-16.
#pragma once

#include <string>
#include <string_view>

std::wstring Utf8_To_Wide(std::string_view text);
std::string Wide_To_Utf8(std::wstring_view text);

// path as the wide file calls take it. A path too long for the calls' MAX_PATH (260) is made
// absolute with the "\\?\" prefix, which lifts that limit.
std::wstring Wide_Path(std::string_view path);

// errno for the thread's last Win32 error, set from it; the last error itself stays as it is.
int Errno_From_Last_Error();
