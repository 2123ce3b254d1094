// Texts of system error codes.
#pragma once

#include <cstdint>

// Text of a system error code: facility, symbolic name in square brackets, a blank and the
// system's sentence. Codes are the Windows numbering the program logs with; 0 means the
// calling thread's last system error (on POSIX its errno, named after its Windows equivalent).
// The text lives in a per-thread buffer that the next call overwrites.
const char* System_Error_Str(uint32_t code);

// The C library's text of an errno value.
const char* Error_Str(int number);
