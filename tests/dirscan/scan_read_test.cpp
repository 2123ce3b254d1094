// Reading whole files written by the tests: nesting, encapsulated fragments, truncation,
// the load limit and the system calls per file.
#include <gtest/gtest.h>

#include <algorithm>

#include "dicom/byte_order.h"
#include "dicom/element_helpers.h"
#include "dicom/element_reader.h"
#include "support/log_recorder.h"
#include "dicom/stream_builder.h"
#include "dicom/value_access.h"
#include "dirscan/scan_read.h"
#include "walk_fixture.h"

namespace {

class ScanRead : public ::testing::Test {
protected:
    std::optional<DICOM_Tag_List> read(Stream_Builder& s, const std::string& name = "f.dcm") {
        EXPECT_TRUE(s.save(at(name)));
        return DICOMDIR_Scan_Read(nullptr, at(name));
    }
    std::string at(const std::string& name) const { return folder_.path() + "/" + name; }

    // A file's elements after its meta information, written with the creator names they are
    // handed: definitions are looked up once per process, so each read names creators of its own.
    using Elements = void (*)(Stream_Builder& s, const std::string& creators);
    struct Two_Reads {
        std::optional<DICOM_Tag_List> whole, part;
        std::vector<std::string> whole_log, part_log;  // the whole read's naming the part's creators
        std::string creators;                          // the part's
    };
    // Reads the file whole, then for the kept subset keep.
    Two_Reads read_twice(Elements elements, const std::vector<uint32_t>& keep) {
        static int count = 0;
        const std::string whole_name = "WHOLE" + std::to_string(++count) + "-";
        const std::string part_name = "PARTX" + std::to_string(count) + "-";
        const auto write = [&](const std::string& creators) {
            Stream_Builder s(8);
            s.preamble().meta("1.2.840.10008.1.2.1");
            elements(s, creators);
            EXPECT_TRUE(s.save(at(creators)));
            return at(creators);
        };
        Two_Reads reads;
        reads.creators = part_name;
        Log_Recorder log;
        reads.whole = DICOMDIR_Scan_Read(nullptr, write(whole_name));
        reads.whole_log = Log_Recorder::texts();
        Log_Recorder::lines().clear();
        File_Source source;
        reads.part = DICOMDIR_Scan_Read(nullptr, write(part_name), source, &keep);
        reads.part_log = Log_Recorder::texts();
        for (std::string& line : reads.whole_log)
            for (std::size_t at = line.find(whole_name); at != std::string::npos; at = line.find(whole_name, at))
                line.replace(at, whole_name.size(), part_name);
        return reads;
    }
    Scratch_Folder folder_;
};

// Preamble, meta information (explicit little endian) and (0010,0010) "DOE^JOHN".
Stream_Builder small_file() {
    Stream_Builder s(8);
    s.preamble().meta("1.2.840.10008.1.2.1").text(0x0010, 0x0010, "PN", "DOE^JOHN");
    return s;
}

TEST_F(ScanRead, SequencesNestedThreeDeepDefinedAndUndefined) {
    // (0008,1115) SQ undefined > item undefined > (0008,1140) SQ defined > item defined >
    // (0008,1199) SQ undefined > item > (0008,1155) UI; then (0010,0010) back at the top.
    Stream_Builder level3(8);
    level3.header(0x0008, 0x1199, "SQ", 0xFFFFFFFF).item().text(0x0008, 0x1155, "UI", "1.2.3", '\0');
    level3.item_end().sequence_end();
    const auto defined = static_cast<uint32_t>(level3.size());
    Stream_Builder s(8);
    s.preamble().meta("1.2.840.10008.1.2.1").header(0x0008, 0x1115, "SQ", 0xFFFFFFFF).item();
    s.header(0x0008, 0x1140, "SQ", defined + 8).item(defined).bytes_of(level3.bytes());
    s.item_end().sequence_end().text(0x0010, 0x0010, "PN", "TOP");
    auto set = read(s);
    ASSERT_TRUE(set);
    const DICOM_Tag_List* list = &*set;
    for (uint16_t element : {0x1115, 0x1140, 0x1199}) {
        const DICOM_Tag* sq = find_element(*list, 0x0008, element);
        ASSERT_TRUE(sq && sq->item_nb() == 1) << std::hex << element;
        list = &sq->item[0];
    }
    const DICOM_Tag* leaf = find_element(*list, 0x0008, 0x1155);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->depth, 3);
    EXPECT_EQ(text_of(leaf), std::string("1.2.3\0", 6));
    const DICOM_Tag* top = find_element(*set, 0x0010, 0x0010);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->depth, 0);
    EXPECT_EQ(text_of(top), "TOP ");
}

TEST_F(ScanRead, EncapsulatedFragmentsLoadUpTo1024Bytes) {
    Stream_Builder s(8);
    s.preamble().meta("1.2.840.10008.1.2.4.50").text(0x0010, 0x0010, "PN", "X").header(0x7FE0, 0x0010, "OB", 0xFFFFFFFF);
    s.item(0);                                        // empty offset table
    s.item(1024).raw(std::string(1024, '\x11'));      // loaded
    const uint32_t skipped_at = static_cast<uint32_t>(s.size()) + 8;
    s.item(1025).raw(std::string(1025, '\x22'));      // skipped
    s.sequence_end();
    s.text(0xFFFC, 0xFFFC, "OB", "");                 // trailing padding tag
    auto set = read(s);
    ASSERT_TRUE(set);
    const DICOM_Tag* pixels = find_element(*set, 0x7FE0, 0x0010);
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(pixels->item_nb(), 3);
    const DICOM_Tag& loaded = pixels->item[1][0];
    EXPECT_EQ(loaded.group, 0xFFFE);
    EXPECT_EQ(loaded.data.size(), 1024u);
    const DICOM_Tag& left = pixels->item[2][0];
    EXPECT_TRUE(left.data.empty());
    EXPECT_EQ(left.length, 1025);
    EXPECT_EQ(left.pos_data, skipped_at);
}

TEST_F(ScanRead, BigEndianFileWithBlankPaddedSyntaxAndUnElementsReadsToTheEnd) {
    Stream_Builder s(9);
    s.preamble();
    s.set_mode(8);
    s.text(0x0002, 0x0010, "UI", "1.2.840.10008.1.2.2 ");  // padded with a blank, not a NUL
    s.set_mode(9);
    s.text(0x0008, 0x0060, "CS", "MR");                   // 00 08 00 60 "CS" 00 02 "MR"
    s.header(0x0008, 0x1140, "UN", 0xFFFFFFFF);           // a sequence sent as UN: its items are
    s.set_mode(0);                                        // little endian, implicit VR
    // Its item: a UID of the dictionary, then a private element no dictionary knows.
    s.item().text(0x0008, 0x1150, "", "1.2", '\0').text(0x0009, 0x1001, "", "AB").item_end().sequence_end();
    s.set_mode(9);
    s.header(0x0010, 0x0010, "UN", 8).raw("DOE^JOHN");    // 00 10 00 10 "UN" 00 00 | 00 00 00 08 | name
    s.header(0x0020, 0x0013, "UN", 2).raw("7 ");          // Instance Number, IS
    s.header(0x0028, 0x0103, "UN", 2).bytes_of({1, 0});   // Pixel Representation 1, little endian
    s.us(0x0028, 0x0010, 512);                            // 00 28 00 10 "US" 00 02 02 00
    s.text(0x0040, 0x0254, "LO", "LAST");
    auto set = read(s);
    ASSERT_TRUE(set);
    ASSERT_EQ(uint32_t{set->back().group} << 16 | set->back().element, 0x00400254u);
    DICOM_Tag* name = const_cast<DICOM_Tag*>(find_element(*set, 0x0010, 0x0010));
    ASSERT_NE(name, nullptr);
    const std::vector<Person_Name>* names = NEMA_Value_Name(nullptr, name, 0);
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->at(0).given, "JOHN");
    EXPECT_EQ(find_element(*set, 0x0020, 0x0013)->vr, VR_Code("IS"));
    EXPECT_EQ(find_element(*set, 0x0008, 0x1140)->vr, VR_UN);
    for (const auto& [element, value] : {std::pair<uint16_t, int>{0x0103, 1}, {0x0010, 512}}) {  // sent as UN, as US
        const DICOM_Tag* tag = find_element(*set, 0x0028, element);
        EXPECT_EQ(DICOM_Read_16(tag->syntax, tag->data.data()), value) << std::hex << element;
    }
    EXPECT_EQ(text_of(find_element(*set, 0x0008, 0x1150, true)), std::string("1.2\0", 4));
    EXPECT_EQ(find_element(*set, 0x0009, 0x1001, true)->vr_def, VR_UN) << "not the VR of the element before";
}

// Meta group (with its length when asked) naming the deflated syntax, then (0002,0012) after
// it, still in the plain meta group; the data set follows in explicit little endian, to be
// deflated from data_set_start.
Stream_Builder deflated_head(bool group_length, std::size_t& data_set_start) {
    Stream_Builder meta(8);
    meta.text(0x0002, 0x0010, "UI", "1.2.840.10008.1.2.1.99", '\0');  // 8 + 22
    meta.text(0x0002, 0x0012, "UI", "1.2.3.4", '\0');                 // 8 + 8
    Stream_Builder s(8);
    s.preamble();
    if (group_length) {
        s.header(0x0002, 0x0000, "UL", 4).u32(static_cast<uint32_t>(meta.size()), false);
    }
    s.bytes_of(meta.bytes());
    data_set_start = s.size();
    return s;
}

TEST_F(ScanRead, DeflatedDataSetReadUpToItsTopLevelPixelData) {
    std::size_t start = 0;
    Stream_Builder s = deflated_head(true, start);
    s.text(0x0010, 0x0010, "PN", "DEFLATE^ME");
    s.header(0x0088, 0x0200, "SQ", 0xFFFFFFFF).item();  // icon image: pixel data inside an item
    s.block(0x7FE0, 0x0010, "OB", 2000).item_end().sequence_end();
    s.text(0x0040, 0x0254, "LO", "AFTER ICON");
    s.block(0x7FE0, 0x0010, "OB", 5000);                 // the image: reading ends here
    s.text(0xFFFC, 0xFFFC, "OB", "PADS");
    Stream_Builder file;
    file.bytes_of(s.deflated(start));
    auto set = read(file);
    ASSERT_TRUE(set);
    DICOM_Tag* name = const_cast<DICOM_Tag*>(find_element(*set, 0x0010, 0x0010));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->syntax, Mode_Explicit | Mode_Deflated);
    EXPECT_EQ(text_of(find_element(*set, 0x0040, 0x0254)), "AFTER ICON");
    EXPECT_EQ(uint32_t{set->back().group} << 16 | set->back().element, 0x7FE00010u);
    // Offsets are in the inflated stream: with the file registered, the value still never loads.
    const Value_Source_Scope values(at("f.dcm"));
    EXPECT_EQ(NEMA_Value_Load(nullptr, &set->back()), 0);

    Log_Recorder log;
    std::vector<uint8_t> damaged = s.deflated(start);
    damaged[start] = 0xFF;
    Stream_Builder broken;
    broken.bytes_of(damaged);
    EXPECT_FALSE(read(broken, "damaged.dcm"));
    EXPECT_TRUE(log.has("ERROR: Damaged deflated data set (invalid block type)"));
}

TEST_F(ScanRead, DeflateBombPassesInBoundedMemory) {
    // No meta group length: the next group tells where the data set starts. A private value of
    // 128 MiB of zeros (about 128 KiB deflated) comes before the name.
    std::size_t start = 0;
    Stream_Builder s = deflated_head(false, start);
    s.text(0x0009, 0x0010, "LO", "BOMB");
    constexpr uint32_t Bomb = 128u << 20;
    s.header(0x0009, 0x1000, "OB", Bomb);
    Stream_Builder tail(8);
    tail.text(0x0010, 0x0010, "PN", "AFTER^BOMB");
    std::vector<uint8_t> file(s.bytes().begin(), s.bytes().begin() + static_cast<long>(start));
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> zeros(1 << 20), out(1 << 20);
    auto pack = [&](const uint8_t* bytes, std::size_t n, int flush) {
        z.next_in = const_cast<Bytef*>(bytes);
        z.avail_in = static_cast<uInt>(n);
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            file.insert(file.end(), out.data(), out.data() + (out.size() - z.avail_out));
        } while (z.avail_out == 0);
    };
    pack(s.bytes().data() + start, s.size() - start, Z_NO_FLUSH);
    for (uint32_t done = 0; done < Bomb; done += zeros.size()) pack(zeros.data(), zeros.size(), Z_NO_FLUSH);
    pack(tail.bytes().data(), tail.size(), Z_FINISH);
    deflateEnd(&z);
    ASSERT_LT(file.size(), 1u << 20);

    const long before = Test_Peak_Memory_KiB();
    Memory_Source source(file);
    auto set = DICOMDIR_Scan_Read(nullptr, source);
    const long after = Test_Peak_Memory_KiB();
    ASSERT_TRUE(set);
    EXPECT_EQ(text_of(find_element(*set, 0x0010, 0x0010)), "AFTER^BOMB");
    EXPECT_LT(after - before, 16 * 1024);
}

// What follows (0010,0010) "DOE^JOHN": a value cut short is kept, shortened and flagged; a header
// cut short ends the set before it; a zero-filled tail is no truncation.
TEST_F(ScanRead, TruncationAndTails) {
    const struct {
        const char* name;
        std::string tail;
        uint16_t last, last_length;  // element and length of the set's last element
        const char* said;
        const char* truncated;  // what the warning says after "is truncated", nullptr: none
    } cases[] = {
        // (0010,0020) LO claiming 64 bytes where 10 are left.
        {"cut_value", std::string("\x10\x00\x20\x00LO\x40\x00" "ABCDEFGHIJ", 18), 0x0020, 10,
         "Invalid tag length (size=64)!", ": it ends inside an element"},
        {"cut_header", "\x10\x00\x20\x00LO", 0x0010, 8, "", ""},
        {"zero_tail", std::string(64, '\0'), 0x0010, 8, "--> ****** NULL element ******", nullptr},
    };
    for (const auto& c : cases) {
        Log_Recorder log(3);
        Stream_Builder s = small_file();
        s.raw(c.tail);
        auto set = read(s, std::string(c.name) + ".dcm");
        ASSERT_TRUE(set) << c.name;
        EXPECT_EQ(set->back().group, 0x0010) << c.name;
        EXPECT_EQ(set->back().element, c.last) << c.name;
        EXPECT_EQ(set->back().length, c.last_length) << c.name;
        EXPECT_EQ(bool(set->back().flags & Tag_Flag::Error), c.last == 0x0020) << c.name;
        EXPECT_TRUE(log.has(c.said)) << c.name;
        const std::string warning = "WARNING: " + at(c.name) + ".dcm is truncated";
        EXPECT_EQ(log.has(warning + (c.truncated ? c.truncated : "")), c.truncated != nullptr) << c.name;
    }
}

// One open per file through the prefix test; a missing file and one without elements give no set.
TEST_F(ScanRead, OneOpenPerFileThroughThePrefixTest) {
    Stream_Builder s = small_file();
    const std::string path = at("p.dcm");
    ASSERT_TRUE(s.save(path));
    File_Source source;
    ASSERT_EQ(DICOMDIR_Scan_Open(path, source), Scan_Prefix::DICOM);
    auto set = DICOMDIR_Scan_Read(nullptr, path, source);
    ASSERT_TRUE(set);
    EXPECT_EQ(text_of(find_element(*set, 0x0010, 0x0010)), "DOE^JOHN");
    // open, one read for prefix and header (short: no status query needed), close
    EXPECT_EQ(source.system_calls(), 3u);
    EXPECT_FALSE(source.is_open());

    Stream_Builder other;
    ASSERT_TRUE(other.raw(std::string(200, 'x')).save(at("x.txt")));
    File_Source plain;
    EXPECT_EQ(DICOMDIR_Scan_Open(at("x.txt"), plain), Scan_Prefix::Not_DICOM);
    File_Source missing;
    EXPECT_EQ(DICOMDIR_Scan_Open(at("none"), missing), Scan_Prefix::Unreadable);
    Log_Recorder log;
    EXPECT_FALSE(DICOMDIR_Scan_Read(nullptr, at("none")));
    EXPECT_TRUE(log.has("ERROR: Unable to open file"));
    Stream_Builder empty(8);
    empty.preamble();  // no elements: nothing to format
    EXPECT_FALSE(read(empty));
    EXPECT_TRUE(log.has("Failed in DICOM_Attribute_Format()"));
}

// Reading for the tree keeps only the elements it takes, yet reports all that a whole read
// does, in the same order: a private block's creator is still looked up at the block's first
// element, which is left out, and the notice that it has no definition file comes there, also
// for a block right after another one left out.
TEST_F(ScanRead, AKeptSubsetReportsWhatTheWholeSetDoes) {
    const Two_Reads reads = read_twice(
        [](Stream_Builder& s, const std::string& creators) {
            // A sequence before any group from 0008 on, as a directory file has: what it holds is nested.
            s.header(0x0004, 0x1220, "SQ", 0xFFFFFFFF).item().text(0x0008, 0x1150, "UI", "1.2").item_end().sequence_end();
            s.text(0x0008, 0x0060, "LO", "MR");  // CS expected
            // A sequence first, whose item holds the file's first private elements: nested, they stay.
            s.header(0x0008, 0x1140, "SQ", 0xFFFFFFFF).item().text(0x0009, 0x0010, "LO", creators + "4");
            s.text(0x0009, 0x1001, "LO", "IN").item_end().sequence_end();
            // Two blocks of one group, both left out, one right after the other.
            s.text(0x0009, 0x0010, "LO", creators + "1").text(0x0009, 0x0011, "LO", creators + "3");
            s.text(0x0009, 0x1001, "LO", "AB").text(0x0009, 0x1002, "LO", "AB").text(0x0009, 0x1101, "LO", "EF");
            s.text(0x0010, 0x0010, "PN", "DOE^JOHN").text(0x0010, 0x0020, "SH", "ID");  // LO expected
            s.text(0x0011, 0x0010, "LO", creators + "2").text(0x0011, 0x1001, "LO", "CD");  // kept
        },
        {0x00100010, 0x00111001});
    EXPECT_EQ(reads.part_log, reads.whole_log);
    for (const char* block : {"1", "3"}) {
        const std::string notice = "Found no private attribute file for creator:" + reads.creators + block;
        EXPECT_TRUE(std::any_of(reads.part_log.begin(), reads.part_log.end(),
                                [&](const std::string& line) { return line.find(notice) != std::string::npos; }))
            << notice;
    }
    const auto& whole = reads.whole;
    const auto& part = reads.part;
    ASSERT_TRUE(whole && part);
    EXPECT_EQ(whole->size(), 16u);  // with the meta information, the sequences and their delimiters
    std::vector<uint32_t> kept;
    for (const DICOM_Tag& tag : *part) kept.push_back(uint32_t{tag.group} << 16 | tag.element);
    EXPECT_EQ(kept, (std::vector<uint32_t>{0x00041220, 0xFFFEE0DD, 0x00081140, 0xFFFEE0DD, 0x00090010, 0x00090011,
                                           0x00100010, 0x00110010, 0x00111001}));
    const auto directory = std::find_if(whole->begin(), whole->end(), [](const DICOM_Tag& tag) { return tag.element == 0x1220; });
    ASSERT_TRUE(directory != whole->end() && directory->item_nb() == 1 && part->front().item_nb() == 1);
    EXPECT_EQ(tags_of(part->front().item[0]), tags_of(directory->item[0]));
    const auto sequence = std::find_if(whole->begin(), whole->end(), [](const DICOM_Tag& tag) { return tag.element == 0x1140; });
    ASSERT_TRUE(sequence != whole->end() && sequence->item_nb() == 1 && part->at(2).item_nb() == 1);
    EXPECT_EQ(tags_of(part->at(2).item[0]), tags_of(sequence->item[0]));  // the nested private elements too
    EXPECT_EQ(sequence->item[0].size(), 4u);  // item tag, creator, element, end of item
}

// Appends count private elements of group, from element first on, each "AB".
void fill(Stream_Builder& s, uint16_t group, uint16_t first, int count) {
    for (int i = 0; i < count; ++i) s.text(group, static_cast<uint16_t>(first + i), "LO", "AB");
}

// Runs of private elements, which the reader passes over element by element in the buffer,
// report and keep what a whole read does wherever a run breaks: at a new block or group, a
// creator, a kept element, an element out of order, a VR the checks speak of, an odd length, the
// buffer's end, the file's end, and once the file holds more than one file may.
TEST_F(ScanRead, PrivateRunsReportWhatTheWholeSetDoes) {
    struct Case {
        const char* name;
        Elements elements;
        bool refused;
    };
    const Case cases[] = {
        {"blocks, groups and a kept element",
         [](Stream_Builder& s, const std::string& creators) {
             s.text(0x0009, 0x0010, "LO", creators + "1").text(0x0009, 0x0011, "LO", creators + "2");
             fill(s, 0x0009, 0x1000, 6);
             fill(s, 0x0009, 0x1100, 3);
             s.text(0x0010, 0x0020, "SH", "ID");  // LO expected
             s.text(0x0011, 0x0010, "LO", creators + "3");
             fill(s, 0x0011, 0x1000, 4);  // (0011,1002) kept
             fill(s, 0x0013, 0x1000, 2);  // no creator
         },
         false},
        {"out of order, and VRs and lengths the checks speak of",
         [](Stream_Builder& s, const std::string& creators) {
             s.text(0x0009, 0x0010, "LO", creators + "1").text(0x0009, 0x0011, "LO", creators + "2");
             fill(s, 0x0009, 0x1001, 2);
             fill(s, 0x0009, 0x1001, 3);  // (0009,1001) again
             s.text(0x0009, 0x1100, "XY", "AB");  // no VR of a stream: the checks replace it
             fill(s, 0x0009, 0x1200, 1);
             s.text(0x0010, 0x1010, "LO", "AB");  // AS expected
             fill(s, 0x0011, 0x1008, 2);
             s.text(0x0011, 0x100A, "UN", "AB");
             fill(s, 0x0011, 0x100B, 2);
             s.header(0x0011, 0x100D, "LO", 3).raw("ABC");
             fill(s, 0x0011, 0x100E, 2);
         },
         false},
        {"longer than the buffer",
         [](Stream_Builder& s, const std::string& creators) {
             s.text(0x0009, 0x0010, "LO", creators + "1");
             for (uint16_t i = 0; i < 100; ++i) s.text(0x0009, static_cast<uint16_t>(0x1000 + i), "LT", std::string(1000, 'A'));
             s.text(0x0010, 0x0010, "PN", "DOE^JOHN");
         },
         false},
        {"too many bytes of values",
         [](Stream_Builder& s, const std::string& creators) {
             s.text(0x0009, 0x0010, "LO", creators + "1");
             for (uint16_t i = 0; i < 34000; ++i) s.text(0x0009, static_cast<uint16_t>(0x1000 + i), "LT", std::string(1000, 'A'));
         },
         true},
        {"cut short",
         [](Stream_Builder& s, const std::string& creators) {
             s.text(0x0009, 0x0010, "LO", creators + "1");
             fill(s, 0x0009, 0x1000, 3);
             s.header(0x0009, 0x1003, "LO", 200).raw(std::string(20, 'A'));
         },
         false},
        {"an item and a delimiter after runs",
         [](Stream_Builder& s, const std::string& creators) {
             s.text(0x0009, 0x0010, "LO", creators + "1");
             fill(s, 0x0009, 0x1000, 4);
             s.item(10).text(0x0009, 0x1010, "LO", "CD");
             fill(s, 0x0009, 0x1011, 3);
             s.sequence_end().text(0x0010, 0x0010, "PN", "DOE^JOHN");
         },
         false},
        {"too many elements",
         [](Stream_Builder& s, const std::string&) {
             for (uint16_t group = 0x0009; group <= 0x0011; group += 2) {
                 for (uint32_t element = 0x1000; element <= 0xFFFF; ++element)
                     s.header(group, static_cast<uint16_t>(element), "LO", 0);
             }
         },
         true},
    };
    const std::vector<uint32_t> keep = {0x00100010, 0x00111002};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Two_Reads reads = read_twice(c.elements, keep);
        EXPECT_EQ(reads.part_log, reads.whole_log);
        const auto& whole = reads.whole;
    const auto& part = reads.part;
        ASSERT_EQ(!whole, c.refused);
        ASSERT_EQ(!part, c.refused);
        if (c.refused) continue;
        // Every element kept is there, and no other data element: the meta group, the creators
        // and items stay besides.
        std::vector<uint32_t> expected, kept;
        for (uint32_t tag : tags_of(*whole))
            if (std::binary_search(keep.begin(), keep.end(), tag)) expected.push_back(tag);
        for (uint32_t tag : tags_of(*part)) {
            const uint32_t group = tag >> 16, element = tag & 0xFFFF;
            if (group >= 0x0008 && group != 0xFFFE && !((group & 1) && element < 0x1000)) kept.push_back(tag);
        }
        EXPECT_EQ(kept, expected);
    }
}

}  // namespace
