// Library-wide services of the DICOM library.
#include "dicom/library.h"

#include <cstdio>
#include <cstring>

#include "dicom/definition.h"
#include "dicom/dictionary.h"
#include "dicom/value_access.h"

namespace {
constexpr const char* library_version = "21.6";
constexpr const char* library_revision = "a";
}  // namespace

const char* DICOM_Library_Version(const char* required) {
    static char description[64];
    if (required && std::strcmp(required, library_version) != 0) return nullptr;
    std::snprintf(description, sizeof description, "Corvanthis_DICOM (Static) %s (rev-%s)", library_version,
                  library_revision);
    return description;
}

void DICOM_Library_Cleanup() {
    DICOM_Module_Include_Cleanup();  // before the dictionary: parsed definitions point into it
    DICOM_Module_Private_Cleanup();
    NEMA_db_Cleanup();
    DICOM_Module_Cleanup();
    NEMA_Value_Cleanup();
}

// The reader modules' own per-thread storage (value_source.cpp, attribute_format.cpp).
void Value_Source_Thread_Prepare();
void Attribute_Format_Thread_Prepare();

void DICOM_Thread_Prepare() {
    Value_Source_Thread_Prepare();
    Attribute_Format_Thread_Prepare();
}
