// Windows error code names used by System_Error_Str.
#pragma once

#include <cstddef>
#include <cstdint>

// "[ERROR_ACCESS_DENIED]" and the like, or nullptr for a code without a name.
const char* System_Error_Name(uint16_t code);
std::size_t System_Error_Name_Count();
