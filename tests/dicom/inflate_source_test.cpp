// Inflating a deflated data set through a fixed window: whole streams, steps back, damage.
#include "dicom/inflate_source.h"

#include <gtest/gtest.h>

#include "stream_builder.h"

namespace {

constexpr std::size_t Plain_Head = 10;  // bytes before the deflated part, as a meta group is

// Plain_Head bytes of 'M', then n bytes that compress poorly, deflated after the head.
struct Sample {
    std::vector<uint8_t> data;
    std::vector<uint8_t> file;
    explicit Sample(std::size_t n) {
        Stream_Builder s;
        s.bytes().assign(Plain_Head, 'M');
        for (std::size_t i = 0; i < n; ++i) data.push_back(static_cast<uint8_t>((i * 7919) ^ (i >> 9)));
        s.bytes_of(data);
        file = s.deflated(Plain_Head);
    }
};

std::vector<uint8_t> read_all(Byte_Source& source, std::size_t chunk) {
    std::vector<uint8_t> out, part(chunk);
    for (long got; (got = source.read(part.data(), chunk)) > 0;) out.insert(out.end(), part.begin(), part.begin() + got);
    return out;
}

TEST(InflateSource, ReadsAcrossItsWindowAndStepsBackWithinItsHistory) {
    const Sample sample(5 * Inflate_Source::Window + 123);
    Memory_Source file(sample.file);
    file.seek(Plain_Head);
    Inflate_Source source(file);
    EXPECT_EQ(source.tell(), Plain_Head);  // positions go on from the file's
    source.seek(Plain_Head + 3 * Inflate_Source::Window);  // passed over, as a long value is
    std::vector<uint8_t> later(4);
    ASSERT_EQ(source.read(later.data(), 4), 4);
    EXPECT_TRUE(std::equal(later.begin(), later.end(), sample.data.begin() + 3 * Inflate_Source::Window));
    // Back by a header's length: still held. Back to the start: gone.
    source.seek(source.tell() - 12);
    EXPECT_EQ(source.read(later.data(), 4), 4);
    source.seek(Plain_Head);
    EXPECT_EQ(source.read(later.data(), 4), 0);

    Memory_Source again_file(sample.file);
    again_file.seek(Plain_Head);
    Inflate_Source again(again_file);
    EXPECT_EQ(read_all(again, 1000), sample.data);  // reads that straddle every step
    EXPECT_EQ(again.size(), Plain_Head + sample.data.size());
    EXPECT_TRUE(again.damage().empty());
}

TEST(InflateSource, DamagedStreamIsToldFromACutOne) {
    const Sample sample(Inflate_Source::Window);
    std::vector<uint8_t> cut(sample.file.begin(), sample.file.begin() + static_cast<long>(sample.file.size() / 2));
    Memory_Source cut_file(cut);
    cut_file.seek(Plain_Head);
    Inflate_Source short_source(cut_file);
    const std::vector<uint8_t> part = read_all(short_source, 4096);
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), sample.data.size());
    EXPECT_TRUE(std::equal(part.begin(), part.end(), sample.data.begin()));
    EXPECT_TRUE(short_source.damage().empty());
    EXPECT_EQ(short_source.size(), Plain_Head + part.size());

    std::vector<uint8_t> damaged = sample.file;
    damaged[Plain_Head] = 0xFF;  // final block of the reserved type 3
    Memory_Source damaged_file(damaged);
    damaged_file.seek(Plain_Head);
    Inflate_Source broken(damaged_file);
    EXPECT_TRUE(read_all(broken, 4096).empty());
    EXPECT_EQ(broken.damage(), "invalid block type");
}

}  // namespace
