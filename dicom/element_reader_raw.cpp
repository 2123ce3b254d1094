// Raw reads, the skip and the transfer-syntax step of the element reader.
#include <cerrno>
#include <string>
#include <string_view>

#include "dicom/byte_order.h"
#include "dicom/element_reader.h"
#include "dicom/value_access.h"
#include "util/system_error.h"

namespace {

constexpr const char* Source_File = "Prog_Lib/Corvanthis_DICOM/NEMA_Read_Data";

// Reads exactly count bytes or reports why not.
int read_exact(Win_Handle window, Byte_Source& source, std::size_t count, uint8_t* destination, int line) {
    const long got = source.fetch(destination, count);
    if (got < 0) {
        const int error = errno;
        Log_Message(window, LOG_TRACE_1, "file:%s line:%d", Source_File, line);
        Log_Message(window, LOG_WARNING, "Error reading file %s", source.name().c_str());
        Log_Message(window, LOG_WARNING, "%s", Error_Str(error));
        return 0;
    }
    if (static_cast<std::size_t>(got) != count) {
        Log_Message(window, LOG_TRACE_2, "End of File while reading: (%ld /vs/ %zu) (%s)", got, count,
                    source.name().c_str());
        return 0;
    }
    return 1;
}

}  // namespace

int NEMA_Read_Bytes(Win_Handle window, Byte_Source& source, int, std::size_t count, uint8_t* destination) {
    return read_exact(window, source, count, destination, __LINE__);
}

int NEMA_Read_16(Win_Handle window, Byte_Source& source, int mode, uint16_t& destination) {
    uint8_t bytes[2];
    if (!read_exact(window, source, 2, bytes, __LINE__)) return 0;
    destination = DICOM_Read_16(mode, bytes);
    return 1;
}

int NEMA_Read_32(Win_Handle window, Byte_Source& source, int mode, uint32_t& destination) {
    uint8_t bytes[4];
    if (!read_exact(window, source, 4, bytes, __LINE__)) return 0;
    destination = DICOM_Read_32(mode, bytes);
    return 1;
}

int NEMA_Read_Block(Win_Handle window, Byte_Source& source, int mode, uint32_t size, Tag_Bytes& block) {
    // A length from the file never sizes an allocation beyond what the source still holds.
    if (size > source.remaining()) {
        const uint64_t available = source.remaining();
        source.seek(source.tell() + available);
        Log_Message(window, LOG_TRACE_2, "End of File while reading: (%llu /vs/ %u) (%s)",
                    static_cast<unsigned long long>(available), size, source.name().c_str());
        return 0;
    }
    if (const uint8_t* held = source.held_at(size)) {
        // Buffered, as the values of a header are: copied once, without zeroing first.
        block.assign(held, size);
        source.seek(source.tell() + size);
    } else {
        block.resize(size);
        if (size > 0 && !read_exact(window, source, size, block.data(), __LINE__)) return 0;
    }
    if (mode & Mode_Word_Swap) {
        for (std::size_t i = 0; i + 1 < block.size(); i += 2) std::swap(block[i], block[i + 1]);
    }
    return 1;
}

int NEMA_Skip(Win_Handle window, Byte_Source& source, uint32_t size) {
    Log_Message(window, LOG_TRACE_5, "in NEMA_Skip(size:%d)", static_cast<int>(size));
    if (size == 0xFFFFFFFFu) return 1;
    source.seek(source.tell() + size);
    return 1;
}

int NEMA_Transfer_Syntax(Win_Handle window, DICOM_Root*, DICOM_Tag* tag, int value) {
    if (tag == nullptr || tag->element != 0x0010) return value;
    const std::vector<std::string>* values = NEMA_Value_Str(window, tag, 0);
    if (values == nullptr || values->empty()) return value;
    std::string_view uid = values->front();
    // Writers pad with a blank as often as with the NUL that UIDs call for.
    while (!uid.empty() && (uid.back() == ' ' || uid.back() == '\0')) uid.remove_suffix(1);
    if (uid == "1.2.840.10008.1.2") tag->syntax = 0;
    else if (uid == "1.2.840.10008.1.2.1") tag->syntax = Mode_Explicit;
    else if (uid == "1.2.840.10008.1.2.2") tag->syntax = Mode_Explicit | Mode_Big_Endian;
    else if (uid == "1.2.840.10008.1.2.1.99") tag->syntax = Mode_Explicit | Mode_Deflated;
    tag->flags |= Tag_Flag::Syntax_Mark;
    return value;
}
