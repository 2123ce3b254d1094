// The definition file parser over arbitrary text.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "dicom/definition.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_quiet_logging(0);
    std::FILE* f = std::tmpfile();
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::rewind(f);
    DICOM_Module_Dir(nullptr, "/nonexistent/");
    DICOM_Tag_List list;
    DICOM_Module_Read_File(nullptr, f, "fuzz.txt", list);
    std::fclose(f);
    for (DICOM_Tag& tag : list) {
        if (tag.vr_def == 0) continue;
        DICOM_Module_Value(&tag, std::string(tag.description));
    }
    DICOM_Module_Include_Cleanup();
    return 0;
}
