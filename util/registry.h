// Where the program is installed.
#pragma once

#include <string>

// The install folder of the application called name ("Kestrapol" or "Kestrapol.exe"): on this
// platform the folder of the running executable, with "/" appended. 1 on success with path
// filled, 0 on failure (path untouched; the failure is logged at trace level).
int Registry_Get_Path(const std::string& name, std::string& path);
