// The media check's DICOMDIR reader and structure checks over arbitrary bytes: whatever the
// offsets and lengths say, they end, and every record they reach lies inside the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dirscan/media_check_internal.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_quiet_logging(0);
    const std::vector<uint8_t> bytes(data, data + size);
    std::vector<Check_Finding> findings;
    Check_Report report(findings);
    Media_Directory directory;
    if (!Media_Read(bytes, directory, report)) return 0;
    Media_Check_Structure(directory, report);
    Media_Check_Viewers(directory, report);
    std::size_t reached = 0;
    for (const Media_Record& record : directory.records) {
        if (record.offset >= size) __builtin_trap();
        reached += record.reached;
    }
    if (reached > directory.records.size()) __builtin_trap();
    for (const Check_Finding& finding : findings) (void)Check_Finding_Line(finding);
    return 0;
}
