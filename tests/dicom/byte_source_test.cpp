// The buffered file source must deliver exactly what a plain read of the file delivers,
// wherever the reads fall relative to its buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "dicom/byte_source.h"
#include "dicom/inflate_source.h"
#include "stream_builder.h"
#include "support/test_system.h"

namespace {

namespace fs = std::filesystem;

TEST(ByteSource, FileReadsMatchMemoryAcrossRefills) {
    std::vector<uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    const fs::path path = fs::temp_directory_path() / ("byte_source_" + std::to_string(Test_Process_Id()));
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    File_Source file(64);  // a small buffer, so reads straddle and skip past it
    ASSERT_TRUE(file.open(path.string()));
    Memory_Source memory(bytes);
    EXPECT_EQ(file.size(), 1000u);
    // (position, count) pairs: inside, straddling, backwards, skipping far ahead, past the end.
    const std::pair<uint64_t, std::size_t> steps[] = {{0, 10}, {60, 10}, {5, 3}, {100, 200}, {900, 50}, {990, 40}, {2000, 4}};
    for (const auto& [at, count] : steps) {
        std::vector<uint8_t> a(count), b(count);
        file.seek(at);
        memory.seek(at);
        const long got_file = file.read(a.data(), count);
        const long got_memory = memory.read(b.data(), count);
        EXPECT_EQ(got_file, got_memory) << at;
        EXPECT_EQ(a, b) << at;
        EXPECT_EQ(file.tell(), memory.tell()) << at;
    }
    const uint64_t calls = file.system_calls();
    file.seek(0);
    uint8_t byte = 0;
    file.read(&byte, 1);
    file.read(&byte, 1);
    EXPECT_EQ(file.system_calls(), calls + 1);  // one refill serves both reads
    file.close();
    EXPECT_FALSE(file.is_open());
    EXPECT_EQ(file.read(&byte, 1), -1);

    // Opening with a small head: a file longer than the head needs its size from the system,
    // and reads past the head refill a whole buffer.
    File_Source headed(256, 16);
    ASSERT_TRUE(headed.open_head(path.string()));
    EXPECT_EQ(headed.size(), 1000u);
    EXPECT_EQ(headed.system_calls(), 3u);  // open, head read, status query
    std::vector<uint8_t> part(40);
    headed.seek(10);
    EXPECT_EQ(headed.read(part.data(), part.size()), 40);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), bytes.begin() + 10));
    EXPECT_EQ(headed.system_calls(), 4u);
    headed.close();
    File_Source whole(256, 2000);  // a head larger than the buffer is the buffer
    ASSERT_TRUE(whole.open_head(path.string()));
    EXPECT_EQ(whole.system_calls(), 3u);
    whole.close();  // Windows removes an open file only once it is closed
    fs::remove(path);
    EXPECT_FALSE(file.open(path.string()));
}

// Inflating a deflated data set through a fixed window: whole streams, steps back, damage.

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
