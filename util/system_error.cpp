// System error texts: facility, symbolic name and the system's sentence.
#include "util/system_error.h"

#include <cstdio>
#include <string>

#include "util/platform_system.h"
#include "util/system_error_names.h"

namespace {

const char* facility_text(uint32_t facility) {
    switch (facility) {
        case 1: return "(facility=RPC) ";
        case 2: return "(facility=Dispatch) ";
        case 3: return "(facility=Storage) ";
        case 4: return "(facility=ITF) ";
        case 7: return "(facility=Win32) ";
        case 8: return "(facility=Windows) ";
        case 9: return "(facility=SSPI) ";
        case 10: return "(facility=Control) ";
        case 11: return "(facility=CERT) ";
        case 12: return "(facility=Internet) ";
        default: return "";
    }
}

thread_local char result[1024];
thread_local char library_text[256];

}  // namespace

const char* System_Error_Str(uint32_t code) {
    const System_Error error = System_Error_Describe(code);
    std::string text = facility_text((error.code >> 16) & 0x0FFF);
    if (const char* name = System_Error_Name(static_cast<uint16_t>(error.code & 0xFFFF))) text += name;
    text += ' ';
    text += error.text;
    std::snprintf(result, sizeof result, "%s", text.c_str());
    return result;
}

const char* Error_Str(int number) {
    C_Error_Text(number, library_text, sizeof library_text);
    return library_text;
}
