// The media check's DICOMDIR reader on hand-made byte streams: the encodings other makers use,
// values of undefined length inside records, and nesting meant to exhaust the reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dirscan/media_check_internal.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Encoding {
    bool explicit_vr = true, big = false;
    const char* syntax = "1.2.840.10008.1.2.1";
};

void put(Bytes& out, uint32_t value, int width, bool big) {
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (big ? width - 1 - i : i);
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// One element; length 0xFFFFFFFF writes an undefined length and no value.
Bytes element(const Encoding& e, uint16_t group, uint16_t number, const char* vr, const std::string& value,
              uint32_t length = 0) {
    const bool meta = group == 0x0002, item = group == 0xFFFE;
    const bool big = e.big && !meta, explicit_vr = (e.explicit_vr || meta) && !item;
    std::string padded = value;
    if (padded.size() % 2) padded.push_back(std::string(vr) == "UI" ? '\0' : ' ');
    if (length == 0) length = static_cast<uint32_t>(padded.size());
    Bytes out;
    put(out, group, 2, big);
    put(out, number, 2, big);
    const std::string code = vr;
    if (explicit_vr) {
        out.insert(out.end(), code.begin(), code.end());
        if (code == "SQ" || code == "OB" || code == "UN") {
            put(out, 0, 2, big);
            put(out, length, 4, big);
        } else {
            put(out, length, 2, big);
        }
    } else {
        put(out, length, 4, big);
    }
    if (length != 0xFFFFFFFF) out.insert(out.end(), padded.begin(), padded.end());
    return out;
}

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes ul(const Encoding& e, uint16_t number, uint32_t value) {
    Bytes out = element(e, 0x0004, number, "UL", "", 4);
    Bytes number_bytes;
    put(number_bytes, value, 4, e.big);
    out.insert(out.end(), number_bytes.begin(), number_bytes.end());
    return out;
}

// A DICOMDIR with one PATIENT record holding a sequence of undefined length, items of both kinds
// of length and nesting_depth more sequences inside.
Bytes directory(const Encoding& e, const char* sop_class = "1.2.840.10008.1.3.10", int nesting_depth = 1) {
    Bytes out(128, 0);
    for (char c : std::string("DICM")) out.push_back(static_cast<uint8_t>(c));
    Bytes meta = element(e, 0x0002, 0x0002, "UI", sop_class);
    append(meta, element(e, 0x0002, 0x0010, "UI", e.syntax));
    Bytes length = element(e, 0x0002, 0x0000, "UL", "", 4);
    put(length, static_cast<uint32_t>(meta.size()), 4, false);
    append(out, length);
    append(out, meta);
    const std::size_t first_at = out.size();
    append(out, ul(e, 0x1200, 0));
    append(out, ul(e, 0x1202, 0));
    append(out, element(e, 0x0004, 0x1220, "SQ", "", 0xFFFFFFFF));
    const auto record = static_cast<uint32_t>(out.size());
    append(out, element(e, 0xFFFE, 0xE000, "", "", 0xFFFFFFFF));
    append(out, ul(e, 0x1400, 0));
    append(out, ul(e, 0x1420, 0));
    append(out, element(e, 0x0004, 0x1430, "CS", "PATIENT"));
    append(out, element(e, 0x0010, 0x0010, "PN", "DOE^JANE"));
    for (int i = 0; i < nesting_depth; ++i) {
        append(out, element(e, 0x0088, 0x0200, "SQ", "", 0xFFFFFFFF));
        append(out, element(e, 0xFFFE, 0xE000, "", "", 0xFFFFFFFF));
    }
    append(out, element(e, 0x0028, 0x0010, "US", "xx"));
    for (int i = 0; i < nesting_depth; ++i) {
        append(out, element(e, 0xFFFE, 0xE00D, "", "", 0));
        append(out, element(e, 0xFFFE, 0xE0DD, "", "", 0));
    }
    const Bytes defined_item = element(e, 0x0008, 0x0100, "SH", "CODE");
    Bytes defined = element(e, 0xFFFE, 0xE000, "", "", static_cast<uint32_t>(defined_item.size()));
    append(defined, defined_item);
    append(out, element(e, 0x0040, 0xA043, "SQ", "", static_cast<uint32_t>(defined.size())));
    append(out, defined);
    append(out, element(e, 0x0010, 0x0020, "LO", "ID7"));
    append(out, element(e, 0xFFFE, 0xE00D, "", "", 0));
    append(out, element(e, 0xFFFE, 0xE0DD, "", "", 0));
    Bytes first;
    put(first, record, 4, e.big);
    for (std::size_t at : {first_at + 8, first_at + 20}) std::copy(first.begin(), first.end(), out.begin() + at);
    return out;
}

struct Read {
    bool ok;
    Media_Directory directory;
    std::vector<Check_Finding> findings;
};

Read read(const Bytes& bytes) {
    Read result;
    Check_Report report(result.findings);
    result.ok = Media_Read(bytes, result.directory, report);
    return result;
}

}  // namespace

// The record, the values after nested sequences and the offsets come through in each encoding.
TEST(Media_Read, ReadsEveryUncompressedEncoding) {
    const Encoding encodings[] = {{}, {false, false, "1.2.840.10008.1.2"}, {true, true, "1.2.840.10008.1.2.2"}};
    for (const Encoding& e : encodings) {
        SCOPED_TRACE(e.syntax);
        Read r = read(directory(e));
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.findings.empty()) << Check_Finding_Line(r.findings.front());
        EXPECT_FALSE(r.directory.cut_at);
        ASSERT_EQ(r.directory.records.size(), 1u);
        const Media_Record& record = r.directory.records[0];
        EXPECT_EQ(record.type, "PATIENT");
        EXPECT_EQ(record.value(Media_Tag(0x0010, 0x0020)), "ID7") << "read on after the nested sequences";
        EXPECT_EQ(r.directory.first, record.offset);
        EXPECT_EQ(r.directory.last, record.offset);
        Check_Report report(r.findings);
        Media_Check_Structure(r.directory, report);
        EXPECT_TRUE(r.directory.records[0].reached);
    }
}

TEST(Media_Read, RefusesWhatIsNoDirectory) {
    const struct {
        const char* name;
        Bytes bytes;
        const char* finding;
        bool records_read;
    } cases[] = {
        {"no DICM", Bytes(200, 0), "no \"DICM\"", false},
        {"other SOP class", directory({}, "1.2.840.10008.5.1.4.1.1.7"), "Media Storage SOP Class", true},
        {"compressed", directory({true, false, "1.2.840.10008.1.2.4.50"}), "Transfer Syntax", false},
        {"nesting bomb", directory({}, "1.2.840.10008.1.3.10", 5000), "nests sequences deeper", false},
        {"empty file", Bytes(), "no \"DICM\"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Read r = read(c.bytes);
        ASSERT_FALSE(r.findings.empty());
        EXPECT_NE(r.findings[0].text.find(c.finding), std::string::npos) << r.findings[0].text;
        EXPECT_EQ(r.directory.records.size(), c.records_read ? 1u : 0u);
    }
}
