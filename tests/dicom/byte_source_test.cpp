// The buffered file source must deliver exactly what a plain read of the file delivers,
// wherever the reads fall relative to its buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "dicom/byte_source.h"
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

}  // namespace
