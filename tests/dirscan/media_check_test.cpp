// The media check's DICOMDIR reader on hand-made byte streams: the encodings other makers use,
// values of undefined length inside records, and nesting meant to exhaust the reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dicom/stream_builder.h"
#include "dirscan/media_check_internal.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A DICOMDIR in mode (as Stream_Builder's) with one PATIENT record holding a sequence of
// undefined length, items of both kinds of length and nesting_depth more sequences inside.
Bytes directory(int mode, const char* syntax, const char* sop_class = "1.2.840.10008.1.3.10", int nesting_depth = 1) {
    const bool big = mode & 1;
    Stream_Builder meta(8), code(mode), s(mode);
    meta.text(0x0002, 0x0002, "UI", sop_class, '\0').text(0x0002, 0x0010, "UI", syntax, '\0');
    s.preamble().header(0x0002, 0x0000, "UL", 4).u32(static_cast<uint32_t>(meta.size()), false).bytes_of(meta.bytes());
    const std::size_t first_at = s.size();
    s.header(0x0004, 0x1200, "UL", 4).u32(0, big).header(0x0004, 0x1202, "UL", 4).u32(0, big);
    s.header(0x0004, 0x1220, "SQ", 0xFFFFFFFF);
    const auto record = static_cast<uint32_t>(s.size());
    s.item().header(0x0004, 0x1400, "UL", 4).u32(0, big).header(0x0004, 0x1420, "UL", 4).u32(0, big);
    s.text(0x0004, 0x1430, "CS", "PATIENT").text(0x0010, 0x0010, "PN", "DOE^JANE");
    for (int i = 0; i < nesting_depth; ++i) s.header(0x0088, 0x0200, "SQ", 0xFFFFFFFF).item();
    s.text(0x0028, 0x0010, "US", "xx");
    for (int i = 0; i < nesting_depth; ++i) s.item_end().sequence_end();
    code.text(0x0008, 0x0100, "SH", "CODE");
    s.header(0x0040, 0xA043, "SQ", static_cast<uint32_t>(code.size() + 8)).item(static_cast<uint32_t>(code.size()));
    s.bytes_of(code.bytes()).text(0x0010, 0x0020, "LO", "ID7").item_end().sequence_end();
    for (std::size_t at : {first_at + 8, first_at + 20})  // the first and last record
        for (int i = 0; i < 4; ++i) s.bytes()[at + i] = static_cast<uint8_t>(record >> (8 * (big ? 3 - i : i)));
    return s.bytes();
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
    const std::pair<int, const char*> encodings[] = {
        {8, "1.2.840.10008.1.2.1"}, {0, "1.2.840.10008.1.2"}, {9, "1.2.840.10008.1.2.2"}};
    for (const auto& [mode, syntax] : encodings) {
        SCOPED_TRACE(syntax);
        Read r = read(directory(mode, syntax));
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
        {"other SOP class", directory(8, "1.2.840.10008.1.2.1", "1.2.840.10008.5.1.4.1.1.7"),
         "Media Storage SOP Class", true},
        {"compressed", directory(8, "1.2.840.10008.1.2.4.50"), "Transfer Syntax", false},
        {"nesting bomb", directory(8, "1.2.840.10008.1.2.1", "1.2.840.10008.1.3.10", 5000), "nests sequences deeper",
         false},
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
