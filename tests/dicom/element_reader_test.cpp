// Header decoding per transfer mode, the vendor repairs and the bounds on lengths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "dicom/element_reader.h"
#include "dicom/byte_order.h"
#include "element_helpers.h"
#include "support/log_recorder.h"
#include "stream_builder.h"

namespace {

struct Header {
    int result = -1;
    uint16_t group = 0, element = 0, vr = 0;
    int32_t length = 0;
    uint64_t end = 0;  // source position after the call
};

// The same bytes, but never held in memory: every field comes through a read call.
class Unheld_Source final : public Byte_Source {
public:
    explicit Unheld_Source(const std::vector<uint8_t>& bytes) : bytes_(bytes) { size_ = bytes.size(); }
    long read(uint8_t* destination, std::size_t count) override {
        const std::size_t n = std::min<std::size_t>(count, static_cast<std::size_t>(remaining()));
        if (n > 0) std::memcpy(destination, bytes_.data() + position_, n);
        position_ += n;
        return static_cast<long>(n);
    }

private:
    const std::vector<uint8_t>& bytes_;
};

Header decode_from(Byte_Source& source, int mode, uint32_t limit, uint64_t at) {
    source.seek(at);
    Header h;
    h.result = NEMA_Get_Data_Element(nullptr, source, mode, h.group, h.element, h.vr, h.length, limit);
    h.end = source.tell();
    return h;
}

// Decodes from memory, and checks that a header read field by field through calls gives the
// same element.
Header decode(const std::vector<uint8_t>& bytes, int mode, uint32_t limit = 0, uint64_t at = 0) {
    Memory_Source held(bytes);
    const Header h = decode_from(held, mode, limit, at);
    Unheld_Source unheld(bytes);
    const Header u = decode_from(unheld, mode, limit, at);
    EXPECT_EQ(std::tie(h.result, h.group, h.element, h.vr, h.end), std::tie(u.result, u.group, u.element, u.vr, u.end));
    if (h.result == 1) {
        EXPECT_EQ(h.length, u.length);
    }
    return h;
}
Header decode(Stream_Builder& s, int mode, uint32_t limit = 0) { return decode(s.bytes(), mode, limit); }

TEST(ElementReader, ImplicitElementInExplicitModeIsRecognised) {
    // 10 00 20 00 | 0C 00 00 00: the "VR" bytes 0C 00 are no letters, so the four bytes are
    // the implicit 32-bit length 12.
    const Header h = decode(Stream_Builder(0).header(0x0010, 0x0020, "", 12), 8);
    EXPECT_EQ(h.result, 1);
    EXPECT_EQ(h.vr, 0);
    EXPECT_EQ(h.length, 12);
}

TEST(ElementReader, VendorRepairs) {
    Log_Recorder log;
    const auto siemens_ul = [](const char* value) {
        return Stream_Builder(8).header(0x0009, 0x1001, "UL", 6).raw(value).bytes();
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int mode;
        uint32_t tag;
        uint16_t vr;  // 0: not looked at
        int32_t length;
    } cases[] = {
        {"(3F3F,0000) is an item", Stream_Builder(0).header(0x3F3F, 0x0000, "", 4).bytes(), 0, 0xFFFEE000, 0, 4},
        // Its length bytes read as capitals: still an item, in explicit mode and held in memory too.
        {"item length like a VR", Stream_Builder(0).header(0x3F3F, 0x0000, "", 0x4F42).raw("ITEM").bytes(), 8,
         0xFFFEE000, 0, 0x4F42},
        {"(3F3F,003F) stays", Stream_Builder(0).header(0x3F3F, 0x003F, "", 4).bytes(), 0, 0x3F3F003F, 0, 4},
        // (0040,0275) SQ with reserved field 0x0010: a throw-away OB element of 16 bytes.
        {"(0040,0275) reserved",
         Stream_Builder(8).u16(0x0040, false).u16(0x0275, false).raw("SQ").u16(0x0010, false).u32(~0u, false).bytes(),
         8, 0xFFFFFFFF, VR_OB, 16},
        {"UL 6 then blanks is CS 4", siemens_ul("    AB"), 8, 0x00091001, VR_Code("CS"), 4},
        {"UL 6 then other bytes", siemens_ul("1234AB"), 8, 0x00091001, VR_Code("UL"), 6},
        {"GE length 13 is 10", Stream_Builder(0).header(0x0019, 0x1001, "", 13).bytes(), Mode_Repair_GE, 0x00191001,
         0, 10},
        {"odd length kept", Stream_Builder(0).header(0x0019, 0x1001, "", 13).bytes(), 0, 0x00191001, 0, 13},
    };
    for (const auto& c : cases) {
        const Header h = decode(c.bytes, c.mode);
        EXPECT_EQ(h.result, 1) << c.what;
        EXPECT_EQ(uint32_t{h.group} << 16 | h.element, c.tag) << c.what;
        if (c.vr) {
            EXPECT_EQ(h.vr, c.vr) << c.what;
        }
        EXPECT_EQ(h.length, c.length) << c.what;
        EXPECT_EQ(h.end, 8u) << c.what;
    }
    EXPECT_TRUE(log.has("tag lenght is odd in tag (0019,1001)"));
}

TEST(ElementReader, UnencapsulatedJpegLengthFoundUpToEndMarker) {
    // (7FE0,0010) OB undefined length, value FF D8 FF E0 00 00 FF D9: the end marker ends at 8.
    Stream_Builder s(8);
    s.header(0x7FE0, 0x0010, "OB", 0xFFFFFFFF).bytes_of({0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0xFF, 0xD9, 0, 0});
    Header h = decode(s.bytes(), 8, static_cast<uint32_t>(s.size()));
    EXPECT_EQ(h.result, 1);
    EXPECT_EQ(h.length, 8);
    EXPECT_EQ(h.end, 12u);  // back at the value start
    EXPECT_EQ(decode(s.bytes(), 8, 0).result, 0);  // no limit: never searched
    Stream_Builder t(8);     // no end marker within the value
    t.header(0x7FE0, 0x0010, "OB", 0xFFFFFFFF).bytes_of({0xFF, 0xD8, 0xFF, 0xE0, 0, 0});
    EXPECT_EQ(decode(t.bytes(), 8, static_cast<uint32_t>(t.size())).result, 0);
}

TEST(ElementReader, LengthsAreBoundedByTheSource) {
    EXPECT_EQ(decode(Stream_Builder(0).header(0x0010, 0x0010, "", 100), 0, 100).result, 0);  // "size to big"
    EXPECT_EQ(decode(Stream_Builder(0).header(0x0010, 0x0010, "", 100), 0, 101).result, 1);
    EXPECT_EQ(decode(Stream_Builder(0).header(0x0010, 0x0010, "", 0x80000000u), 0).result, 0);
    EXPECT_EQ(decode(Stream_Builder(0).header(0xFEFF, 0x00E0, "", 0), 0).result, 0);  // item tag byte-swapped
}

TEST(ElementReader, TruncatedHeaders) {
    Stream_Builder s(8);
    s.text(0x0010, 0x0010, "PN", "DOE^J");
    for (std::size_t cut = 0; cut < 8; ++cut) {
        std::vector<uint8_t> part(s.bytes().begin(), s.bytes().begin() + static_cast<long>(cut));
        EXPECT_EQ(decode(part, 8).result, 0) << cut;
    }
    // A sequence delimitation that ends the stream without its length still counts.
    EXPECT_EQ(decode(Stream_Builder(8).u16(0xFFFE, false).u16(0xE0DD, false), 8).result, 1);
}

TEST(ElementReader, TransferSyntaxUidPaddedWithBlanksOrNuls) {
    const std::pair<std::string, int> cases[] = {{"1.2.840.10008.1.2.2 ", 9},
                                                 {std::string("1.2.840.10008.1.2 \0", 19), 0},
                                                 {" 1.2.840.10008.1.2.2", 8}};  // no padding: unknown, left
    for (const auto& [uid, mode] : cases) {
        DICOM_Tag tag = make_element(0x0002, 0x0010, "UI", uid);
        tag.syntax = 8;
        NEMA_Transfer_Syntax(nullptr, nullptr, &tag, 0);
        EXPECT_EQ(tag.syntax, mode) << uid;
    }
}

TEST(ElementReader, RawReadsAndSkip) {
    const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6};
    Memory_Source source(bytes);
    Tag_Bytes block;
    ASSERT_TRUE(NEMA_Read_Block(nullptr, source, Mode_Word_Swap, 4, block));
    EXPECT_EQ(block, (std::vector<uint8_t>{2, 1, 4, 3}));
    EXPECT_FALSE(NEMA_Read_Block(nullptr, source, 0, 0x7FFFFFFF, block));  // more than is left: no allocation
    source.seek(0);
    EXPECT_EQ(NEMA_Skip(nullptr, source, 0xFFFFFFFF), 1);
    EXPECT_EQ(source.tell(), 0u);
    EXPECT_EQ(NEMA_Skip(nullptr, source, 4), 1);
    uint16_t v = 0;
    EXPECT_EQ(NEMA_Read_16(nullptr, source, 1, v), 1);
    EXPECT_EQ(v, 0x0506);
    EXPECT_EQ(NEMA_Read_16(nullptr, source, 0, v), 0);  // past the end
    // Bit 1 swaps the 16-bit words of a 32-bit value.
    EXPECT_EQ(DICOM_Read_32(2, bytes.data()), 0x03040102u);
    EXPECT_EQ(DICOM_Read_32(3, bytes.data()), 0x02010403u);
}

}  // namespace
