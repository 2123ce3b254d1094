// The reader over deflated data sets: the input as the compressed stream after a meta group
// that names the deflated syntax, and the input deflated here, as the data set itself.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dirscan/scan_read.h"
#include "fuzz_common.h"

namespace {

// Preamble, "DICM", (0002,0000) UL 30, (0002,0010) UI "1.2.840.10008.1.2.1.99" NUL-padded.
std::vector<uint8_t> meta_group() {
    std::vector<uint8_t> head(128, 0);
    const char uid[] = "1.2.840.10008.1.2.1.99";  // 22 characters and the pad
    const uint8_t fields[] = {'D', 'I', 'C', 'M', 0x02, 0, 0, 0, 'U', 'L', 4, 0, 30, 0, 0, 0,
                              0x02, 0, 0x10, 0, 'U', 'I', 22, 0};
    head.insert(head.end(), std::begin(fields), std::end(fields));
    head.insert(head.end(), uid, uid + 22);
    return head;
}

void read(const std::vector<uint8_t>& file) {
    Memory_Source source(file);
    (void)DICOMDIR_Scan_Read(nullptr, source);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_quiet_logging(0);
    static const std::vector<uint8_t> head = meta_group();
    std::vector<uint8_t> file = head;
    file.insert(file.end(), data, data + size);
    read(file);

    file.resize(head.size());
    uLongf packed = compressBound(static_cast<uLong>(size)) + 64;
    file.resize(head.size() + packed);
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return 0;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = file.data() + head.size();
    z.avail_out = static_cast<uInt>(packed);
    deflate(&z, Z_FINISH);
    file.resize(head.size() + z.total_out);
    deflateEnd(&z);
    read(file);
    return 0;
}
