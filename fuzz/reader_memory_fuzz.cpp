// The element reader and the per-file reading over arbitrary bytes held in memory.
#include <cstddef>
#include <cstdint>

#include "dicom/attribute_dump.h"
#include "dicom/element_reader.h"
#include "dirscan/scan_read.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_quiet_logging(0);
    Memory_Source source({data, size});
    auto set = DICOMDIR_Scan_Read(nullptr, source);
    if (set) {
        // The dump's lines and value renderings are built even when the trace level drops them.
        DICOM_Root root;
        DICOM_Attribute_Stool(nullptr, &root, *set, LOG_TRACE_6);
    }

    // The header decoder on its own, in every mode and repair selector, from offset 0.
    Tag_Bytes block;
    for (int mode : {0, 1, 2, 3, 8, 9, 10, 11, 0x10, 0x18}) {
        Memory_Source raw({data, size});
        for (int n = 0; n < 64; ++n) {
            uint16_t group = 0, element = 0, vr = 0;
            int32_t length = 0;
            const uint64_t before = raw.tell();
            if (!NEMA_Get_Data_Element(nullptr, raw, mode, group, element, vr, length, static_cast<uint32_t>(size)))
                break;
            if (length > 0 && vr != VR_SQ && !NEMA_Read_Block(nullptr, raw, mode, static_cast<uint32_t>(length), block)) break;
            if (raw.tell() <= before) __builtin_trap();  // every header moves the source on
        }
    }
    return 0;
}
