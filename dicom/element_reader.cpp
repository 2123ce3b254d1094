// The data element header decoder, with its repairs for known faulty writers.
#include <cctype>
#include <cstring>

#include "dicom/byte_order.h"
#include "dicom/element_reader.h"
#include "dicom/element_reader_markup.h"
#include "dicom/trace.h"
#include "dicom/warning.h"
#include "dicom/vr.h"

namespace {

constexpr const char* Fail_Prefix = "NEMA_Get_Data_Element() --> ";

char vr_char(uint8_t c) { return c != 0 ? static_cast<char>(c) : '0'; }

// The raw reads without their calls when the bytes are already in memory; otherwise the raw
// reads themselves, which also report a short or failed read.
// One reader for both widths: UInt is uint16_t or uint32_t.
template <typename UInt>
bool read_number(Win_Handle window, Byte_Source& source, int mode, UInt& value) {
    constexpr std::size_t width = sizeof(UInt);
    if (!source.holds(width)) {
        if constexpr (width == 2) return NEMA_Read_16(window, source, mode, value) == 1;
        else return NEMA_Read_32(window, source, mode, value) == 1;
    }
    uint8_t bytes[width];
    source.fetch(bytes, width);
    if constexpr (width == 2) value = DICOM_Read_16(mode, bytes);
    else value = DICOM_Read_32(mode, bytes);
    return true;
}

bool read_16(Win_Handle window, Byte_Source& source, int mode, uint16_t& value) {
    return read_number(window, source, mode, value);
}

bool read_32(Win_Handle window, Byte_Source& source, int mode, uint32_t& value) {
    return read_number(window, source, mode, value);
}

bool read_bytes(Win_Handle window, Byte_Source& source, int mode, std::size_t count, uint8_t* bytes) {
    if (!source.holds(count)) return NEMA_Read_Bytes(window, source, mode, count, bytes) == 1;
    source.fetch(bytes, count);
    return true;
}

// Looks at the next four value bytes as a 32-bit number and puts the source back.
bool peek_32(Win_Handle window, Byte_Source& source, int mode, uint32_t& value) {
    const uint64_t at = source.tell();
    const bool ok = read_32(window, source, mode, value);
    source.seek(at);
    return ok;
}

// Length of unencapsulated JPEG pixel data: 16-bit words from the value start up to the end
// of image marker, which is counted. 0 when it is not found before limit.
uint32_t jpeg_length(Win_Handle window, Byte_Source& source, int mode, uint32_t limit) {
    uint32_t start = 0;
    if (!peek_32(window, source, mode, start)) return 0;
    uint16_t end_marker = 0;
    if (start == 0xFFD8FFE0u) end_marker = 0xFFD9;
    else if (start == 0xE0FFD8FFu) end_marker = 0xD9FF;
    else return 0;
    const uint64_t at = source.tell();
    uint32_t length = 0;
    for (uint32_t count = 0; count < limit; count += 2) {
        uint8_t word[2];
        if (source.read(word, 2) != 2) break;
        if (DICOM_Read_16(mode, word) == end_marker) {
            length = count + 2;
            break;
        }
    }
    source.seek(at);
    return length;
}

bool is_upper_letter(uint8_t c) { return c >= 'A' && c <= 'Z'; }

// Where the header fields come from: the bytes of a whole header already in memory (the usual
// case, read without a call per field), or the source's own reads, which report a short read.
class Held_Fields {
public:
    Held_Fields(Byte_Source& source, const uint8_t* bytes) : source_(source), start_(source.tell()), bytes_(bytes) {}
    ~Held_Fields() { source_.seek(start_ + used_); }
    bool u16(int mode, uint16_t& value) {
        value = DICOM_Read_16(mode, bytes_ + used_);
        used_ += 2;
        return true;
    }
    bool u32(int mode, uint32_t& value) {
        value = DICOM_Read_32(mode, bytes_ + used_);
        used_ += 4;
        return true;
    }
    bool bytes(std::size_t count, uint8_t* destination) {
        std::memcpy(destination, bytes_ + used_, count);
        used_ += count;
        return true;
    }

private:
    Byte_Source& source_;
    uint64_t start_;
    const uint8_t* bytes_;
    std::size_t used_ = 0;
};

class Read_Fields {
public:
    Read_Fields(Win_Handle window, Byte_Source& source) : window_(window), source_(source) {}
    bool u16(int mode, uint16_t& value) { return read_16(window_, source_, mode, value); }
    bool u32(int mode, uint32_t& value) { return read_32(window_, source_, mode, value); }
    bool bytes(std::size_t count, uint8_t* destination) { return read_bytes(window_, source_, 0, count, destination); }

private:
    Win_Handle window_;
    Byte_Source& source_;
};

constexpr std::size_t Longest_Header = NEMA_Longest_Header;

enum class Header_Read { Failed, Complete, Go_On };

// Reads the tag, VR and length fields. Complete: a repair already settled length_out.
template <class Fields>
Header_Read read_header(Win_Handle window, Fields&& fields, int& mode, uint16_t& group, uint16_t& element,
                        uint16_t& vr, uint32_t& length, int32_t& length_out) {
    if (!fields.u16(0, group)) {
        Log_Message(window, LOG_TRACE_2, "%sfailed to read group", Fail_Prefix);
        return Header_Read::Failed;
    }
    if (group == 0x0002) {
        mode = (mode & ~0x07) | Mode_Explicit;
    } else {
        if (mode & Mode_Big_Endian) group = static_cast<uint16_t>((group >> 8) | (group << 8));
        if (mode & Mode_Word_Swap) group = static_cast<uint16_t>((group >> 8) | (group << 8));
    }
    if (!fields.u16(mode, element)) {
        Log_Message(window, LOG_TRACE_2, "%sfailed to read element", Fail_Prefix);
        return Header_Read::Failed;
    }
    if (Trace_On(LOG_TRACE_5)) Log_Message(window, LOG_TRACE_5, "--> reading (%04x,%04x)", group, element);

    if (group == 0x3F3F && element != 0x003F) {
        group = 0xFFFE;
        element = 0xE000;
        DICOM_Warning(window, "Fix Philips bug: tag (3F3F,003F) replaced by (FFFE,E000)");
    }

    bool delimiter = false;
    if (group == 0xFFFE) {
        mode &= 0x01 | 0xC0;
        delimiter = element == 0xE00D || element == 0xE0DD;
    }

    uint8_t vr_bytes[2] = {0, 0};
    vr = 0;
    if (!(mode & Mode_Explicit)) {
        if (!fields.u32(mode, length)) {
            Log_Message(window, LOG_TRACE_2, "%sfailed to read size (VR:%c%c)", Fail_Prefix, '0', '0');
            return delimiter ? Header_Read::Complete : Header_Read::Failed;
        }
        return Header_Read::Go_On;
    }
    if (!fields.bytes(1, &vr_bytes[0])) {
        Log_Message(window, LOG_TRACE_2, "%sfailed to read VR byte[0]", Fail_Prefix);
        return Header_Read::Failed;
    }
    if (!fields.bytes(1, &vr_bytes[1])) {
        Log_Message(window, LOG_TRACE_2, "%sfailed to read VR byte[1]", Fail_Prefix);
        return Header_Read::Failed;
    }
    vr = static_cast<uint16_t>((vr_bytes[0] << 8) | vr_bytes[1]);
    bool length_read = true;
    if (VR_Has_Long_Length(vr) || vr == VR_OX) {
        uint16_t reserved = 0;
        if (!fields.u16(mode, reserved)) return Header_Read::Failed;
        if (reserved != 0 && group == 0x0040 && element == 0x0275 && vr != VR_OX) {
            DICOM_Warning(window, "Fix Siemens bug: tag (0040,0275) is skipped");
            group = 0xFFFF;
            element = 0xFFFF;
            vr = VR_OB;
            length_out = reserved;
            return Header_Read::Complete;
        }
        length_read = fields.u32(mode, length);
    } else {
        uint8_t length_bytes[2] = {0, 0};
        length_read = fields.bytes(2, length_bytes);
        length = DICOM_Read_16(mode, length_bytes);
        const bool pseudo = vr == 0x3F3F || vr == 0x7878;  // "??" and "xx"
        if (length_read && !pseudo && !(is_upper_letter(vr_bytes[0]) && is_upper_letter(vr_bytes[1]))) {
            // Not a VR: these four bytes are the 32-bit length of an implicit-VR element.
            const uint8_t stream[4] = {vr_bytes[0], vr_bytes[1], length_bytes[0], length_bytes[1]};
            length = DICOM_Read_32(mode, stream);
            vr = 0;
            mode &= 0x0F & ~Mode_Explicit;
        }
    }
    if (!length_read) {
        Log_Message(window, LOG_TRACE_2, "%sfailed to read size (VR:%c%c)", Fail_Prefix,
                    vr_char(vr_bytes[0]), vr_char(vr_bytes[1]));
        return Header_Read::Failed;
    }
    return Header_Read::Go_On;
}

// The usual header, explicit VR little endian, straight from buffered bytes. false (nothing
// changed) for anything else: other modes, items and delimiters, vendor repairs, a VR that
// is no pair of capitals, traced reading.
bool read_plain_explicit(const uint8_t* bytes, int mode, uint16_t& group, uint16_t& element, uint16_t& vr,
                         uint32_t& length, std::size_t& used) {
    if ((mode & (Mode_Big_Endian | Mode_Word_Swap)) != 0 || !(mode & Mode_Explicit) || Trace_On(LOG_TRACE_5)) {
        return false;
    }
    const uint16_t g = DICOM_Read_16(0, bytes);
    if (g == 0xFFFE || g == 0x3F3F) return false;
    if (!is_upper_letter(bytes[4]) || !is_upper_letter(bytes[5])) return false;
    const uint16_t code = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    if (VR_Has_Long_Length(code) || code == VR_OX) {
        if (DICOM_Read_16(0, bytes + 6) != 0) return false;
        length = DICOM_Read_32(0, bytes + 8);
        used = 12;
    } else {
        length = DICOM_Read_16(0, bytes + 6);
        used = 8;
    }
    group = g;
    element = DICOM_Read_16(0, bytes + 2);
    vr = code;
    return true;
}

}  // namespace

int NEMA_Get_Data_Element_General(Win_Handle window, Byte_Source& source, int mode, uint16_t& group,
                                  uint16_t& element, uint16_t& vr, int32_t& length_out, uint32_t limit) {
    if (Trace_On(LOG_TRACE_4)) Log_Message(window, LOG_TRACE_4, "in NEMA_Get_Data_Element(mode:%04X)", mode & 0xFF);
    const uint64_t start = source.tell();

    uint32_t length = 0;
    Header_Read header;
    std::size_t used = 0;
    if (const uint8_t* held = source.held_at(Longest_Header)) {
        if (read_plain_explicit(held, mode, group, element, vr, length, used)) {
            source.seek(start + used);
            header = Header_Read::Go_On;
        } else {
            header = read_header(window, Held_Fields(source, held), mode, group, element, vr, length, length_out);
        }
    } else {
        header = read_header(window, Read_Fields(window, source), mode, group, element, vr, length, length_out);
    }
    if (header == Header_Read::Failed) return 0;
    if (header == Header_Read::Complete) return 1;

    if (limit != 0 && static_cast<int64_t>(static_cast<int32_t>(length)) >= static_cast<int64_t>(limit)) {
        Log_Message(window, LOG_TRACE_2, "%sfailed size to big (=%08X)", Fail_Prefix, length);
        return 0;
    }

    const int repair = mode & Mode_Repair_Mask;
    if (repair == Mode_Repair_GE && length == 13) {
        length_out = 10;
        DICOM_Warning(window, "Fix GE bug: lenght from 13 to 10 in tag (" DICOM_HI("%04x") "," DICOM_HI(
                        "%04x") ")",
                    group, element);
        return 1;
    }
    if (length != 0xFFFFFFFFu && (length & 1)) {
        DICOM_Warning(window, "tag lenght is odd in tag (" DICOM_HI("%04x") "," DICOM_HI("%04x") ")",
                    group, element);
        if (repair == Mode_Repair_GE) {
            Log_Message(window, DICOM_Warning_Kind,
                        "\x05 Oups! We assumed this was a GE 13/10 bug, it no longer appears that way");
            Log_Message(window, DICOM_Warning_Kind, "\x05 Please contact Corvanthis for further assistance.");
        }
    }
    if (group == 0xFEFF && element == 0x00E0) return 0;

    if (group == 0x0009 && vr == VR_Code("UL") && length == 6) {
        uint32_t next = 0;
        if (peek_32(window, source, mode, next) && next == 0x20202020u) {
            vr = VR_Code("CS");
            length_out = 4;
            DICOM_Warning(window, "Fix Siemens bug: lenght changed from 6 to 4 in tag (" DICOM_HI(
                            "%04x") "," DICOM_HI("%04x") ")",
                        group, element);
            return 1;
        }
    }
    if (group == 0x7FE0 && element == 0x0010 && length == 0xFFFFFFFFu) {
        uint32_t start_word = 0;
        if (peek_32(window, source, mode, start_word) &&
            (start_word == 0xFFD8FFE0u || start_word == 0xE0FFD8FFu)) {
            length = jpeg_length(window, source, mode, limit);
            if (length == 0) return 0;
            DICOM_Warning(window, "Fix Siemens bug: lenght changed from -1 to %d in tag (" DICOM_HI(
                            "%04x") "," DICOM_HI("%04x") ")",
                        static_cast<int>(length), group, element);
        }
    }
    if (length >= 0x80000000u && length != 0xFFFFFFFFu) return 0;

    if (Trace_On(LOG_TRACE_1)) {
        Log_Message(window, LOG_TRACE_1, "[%06X] --> (%04x,%04x) VR:%c%c lenght:%08X (%d)",
                    static_cast<unsigned>(start), group, element, vr_char(static_cast<uint8_t>(vr >> 8)),
                    vr_char(static_cast<uint8_t>(vr & 0xFF)), length, static_cast<int>(length));
    }
    length_out = static_cast<int32_t>(length);
    return 1;
}
