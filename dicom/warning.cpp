#include "dicom/warning.h"

#include <cstdarg>
#include <cstdio>

int DICOM_Warning(Win_Handle window, const char* format, ...) {
    if (DICOM_Warning_Kind == 0) return 1;  // warnings switched off: skip the formatting
    char text[Log_Buffer_Size];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return Log_Message(window, DICOM_Warning_Kind, "%s%s", DICOM_Warning_Prefix, text);
}
