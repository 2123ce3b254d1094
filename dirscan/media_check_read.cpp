// Reading a DICOMDIR as hostile input: every length is checked against what is left, nesting is
// bounded, and a fault ends the reading with what was read so far.
#include <algorithm>
#include <cstring>

#include "dicom/byte_source.h"
#include "dicom/element_reader.h"
#include "dirscan/media_check_internal.h"

namespace {

constexpr const char* Directory_SOP_Class = "1.2.840.10008.1.3.10";
constexpr std::size_t Max_Value = 64 * 1024;  // longer values are passed over, never loaded
constexpr int Max_Depth = 16;                 // sequences in sequences inside a record

struct Header {
    uint64_t at = 0;  // offset of the tag
    uint16_t group = 0, element = 0, vr = 0;
    int32_t length = 0;
    uint32_t tag() const { return Media_Tag(group, element); }
    bool undefined() const { return length == Undefined_Length; }
};

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ') ++start;
    return text.substr(start);
}

class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes, Media_Directory& directory, Check_Report& report)
        : source_(bytes), directory_(directory), report_(report) {}

    bool read() {
        if (source_.size() < 132 || std::memcmp(bytes_at(128), "DICM", 4) != 0) {
            report_.error("DICOMDIR is no DICOM file: no \"DICM\" after the 128-byte preamble");
            return false;
        }
        source_.seek(132);
        if (!read_meta()) return false;
        read_data_set();
        return true;
    }

private:
    const uint8_t* bytes_at(uint64_t offset) {
        source_.seek(offset);
        return source_.held_at(4);
    }

    bool header(Header& h, int mode) {
        h.at = source_.tell();
        h.length = 0;
        return NEMA_Get_Data_Element(nullptr, source_, mode, h.group, h.element, h.vr, h.length,
                                     static_cast<uint32_t>(std::min<uint64_t>(source_.size(), 0xFFFFFFFF))) == 1;
    }

    // The value of h, trimmed; passed over when long. false when the file ends inside it.
    bool value(const Header& h, std::string* text) {
        const auto length = static_cast<uint32_t>(h.length);
        if (length > source_.remaining()) return cut(h.at);
        if (text && length <= Max_Value) {
            text->resize(length);
            source_.fetch(reinterpret_cast<uint8_t*>(text->data()), length);
        } else {
            source_.seek(source_.tell() + length);
        }
        return true;
    }

    bool cut(uint64_t at) {
        if (!directory_.cut_at) directory_.cut_at = at;
        return false;
    }

    bool read_meta() {
        std::map<uint32_t, std::string> meta;
        while (source_.remaining() >= 2) {
            const uint8_t* group = source_.held_at(2);
            if (!group || (group[0] | group[1] << 8) != 0x0002) break;
            Header h;
            if (!header(h, Mode_Explicit) || h.undefined() || !value(h, &meta[h.tag()])) {
                report_.error("DICOMDIR's meta header cannot be read (at byte " + std::to_string(h.at) + ")");
                return false;
            }
        }
        for (auto& entry : meta) entry.second = trimmed(std::move(entry.second));
        const std::string& class_uid = meta[Media_Tag(0x0002, 0x0002)];
        if (class_uid != Directory_SOP_Class)
            report_.error("DICOMDIR's Media Storage SOP Class is \"" + class_uid + "\", not " + Directory_SOP_Class,
                          nullptr, {}, Media_Tag(0x0002, 0x0002));
        const std::string& syntax = meta[Media_Tag(0x0002, 0x0010)];
        if (syntax == "1.2.840.10008.1.2.1") mode_ = Mode_Explicit;
        else if (syntax == "1.2.840.10008.1.2") mode_ = 0;
        else if (syntax == "1.2.840.10008.1.2.2") mode_ = Mode_Explicit | Mode_Big_Endian;
        else {
            report_.error("DICOMDIR's Transfer Syntax \"" + syntax + "\" is not one of the uncompressed ones",
                          nullptr, {}, Media_Tag(0x0002, 0x0010));
            return false;
        }
        return true;
    }

    uint32_t number(const std::string& raw) const {
        if (raw.size() < 4) return 0;
        const auto b = reinterpret_cast<const uint8_t*>(raw.data());
        return (mode_ & Mode_Big_Endian) ? uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3]
                                         : uint32_t(b[3]) << 24 | b[2] << 16 | b[1] << 8 | b[0];
    }

    void read_data_set() {
        while (source_.remaining() > 0) {
            Header h;
            if (!header(h, mode_)) return (void)cut(h.at);
            if (h.tag() == Media_Tag(0x0004, 0x1220)) {
                if (!read_records(h)) return;
                continue;
            }
            if (h.undefined()) {
                if (!skip_delimited(0)) return;
                continue;
            }
            std::string raw;
            if (!value(h, &raw)) return;
            if (h.tag() == Media_Tag(0x0004, 0x1200)) directory_.first = number(raw);
            if (h.tag() == Media_Tag(0x0004, 0x1202)) directory_.last = number(raw);
        }
    }

    // The items of the record sequence; false when the file ends inside it.
    bool read_records(const Header& sequence) {
        const uint64_t end = sequence.undefined() ? UINT64_MAX : source_.tell() + uint32_t(sequence.length);
        while (source_.tell() < end) {
            Header h;
            if (!header(h, mode_)) return cut(h.at);
            if (h.tag() == Media_Tag(0xFFFE, 0xE0DD)) return true;
            if (h.tag() != Media_Tag(0xFFFE, 0xE000)) {
                report_.error("DICOMDIR holds " + Media_Tag_Name(h.tag()) + " at byte " + std::to_string(h.at) +
                              " where a directory record should start");
                return cut(h.at);
            }
            Media_Record record;
            record.offset = static_cast<uint32_t>(h.at);
            const uint64_t item_end = h.undefined() ? UINT64_MAX : source_.tell() + uint32_t(h.length);
            if (!read_record(record, item_end)) {  // a record cut short is lost from its start
                directory_.cut_at = record.offset;
                return false;
            }
            directory_.records.push_back(std::move(record));
        }
        return true;
    }

    bool read_record(Media_Record& record, uint64_t end) {
        while (source_.tell() < end) {
            Header h;
            if (!header(h, mode_)) return cut(h.at);
            if (h.tag() == Media_Tag(0xFFFE, 0xE00D)) return true;
            if (h.undefined()) {
                record.values[h.tag()];
                if (!skip_delimited(0)) return false;
                continue;
            }
            std::string raw;
            if (!value(h, &raw)) return false;
            switch (h.tag()) {
            case Media_Tag(0x0004, 0x1400): record.next = number(raw); break;
            case Media_Tag(0x0004, 0x1420): record.lower = number(raw); break;
            case Media_Tag(0x0004, 0x1410): record.active = raw.size() < 2 || raw[0] != 0 || raw[1] != 0; break;
            default: break;
            }
            std::string& text = record.values[h.tag()] = trimmed(std::move(raw));
            if (h.tag() == Media_Tag(0x0004, 0x1430)) record.type = text;
        }
        return source_.tell() == end || cut(source_.tell());
    }

    // Passes over a value of undefined length: items and nested sequences up to its delimiter.
    bool skip_delimited(int depth) {
        if (depth >= Max_Depth) {
            report_.error("DICOMDIR nests sequences deeper than " + std::to_string(Max_Depth) + " levels at byte " +
                          std::to_string(source_.tell()));
            return cut(source_.tell());
        }
        while (true) {
            Header h;
            if (!header(h, mode_)) return cut(h.at);
            if (h.tag() == Media_Tag(0xFFFE, 0xE0DD) || h.tag() == Media_Tag(0xFFFE, 0xE00D)) return true;
            if (h.undefined()) {
                if (!skip_delimited(depth + 1)) return false;
            } else if (!value(h, nullptr)) {
                return false;
            }
        }
    }

    Memory_Source source_;
    Media_Directory& directory_;
    Check_Report& report_;
    int mode_ = Mode_Explicit;
};

}  // namespace

int Media_Directory::at(uint32_t offset) const {
    const auto found = std::lower_bound(records.begin(), records.end(), offset,
                                        [](const Media_Record& r, uint32_t o) { return r.offset < o; });
    return found != records.end() && found->offset == offset ? static_cast<int>(found - records.begin()) : -1;
}

bool Media_Read(const std::vector<uint8_t>& bytes, Media_Directory& directory, Check_Report& report) {
    directory.size = bytes.size();
    return Reader(bytes, directory, report).read();
}
