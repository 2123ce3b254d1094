// The DICOM library's warning line: four blanks, bold yellow "WARNING:", black, a blank, the text.
// Tag numbers inside the text may be highlighted by enclosing them in Markup::Blue ... Markup::Black.
#pragma once

#include "util/log.h"

// The bytes in front of every library warning text.
inline constexpr const char DICOM_Warning_Prefix[] = "    \xF1\x05WARNING:\x02 ";

// Logs one library warning with kind DICOM_Warning_Kind; printf-style text after the prefix.
// Returns what Log_Message returns.
int DICOM_Warning(Win_Handle window, const char* format, ...) LOG_PRINTF_FORMAT(2, 3);
