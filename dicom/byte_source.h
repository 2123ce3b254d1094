// Bounded sources of bytes for the element reader: an open file read through one large buffer,
// or a block of memory. Positions are absolute offsets from the start of the file or block.
//
// A file source costs one open, one status query and one large read for the head of a typical
// file (no status query when opened with its head and shorter than the buffer); later reads are served from the buffer, and long values are passed over by moving the
// position, refilling only when a read falls outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "util/platform_file.h"

class Byte_Source {
public:
    virtual ~Byte_Source() = default;

    // Copies up to count bytes at the current position and advances by what was copied.
    // Returns the number copied (less than count at the end), or -1 on a system error (errno set).
    virtual long read(uint8_t* destination, std::size_t count) = 0;

    // The same as read; bytes the source already holds in memory are copied without a call,
    // as the many small reads of element headers are.
    long fetch(uint8_t* destination, std::size_t count) {
        if (holds(count)) {
            std::memcpy(destination, held_ + (position_ - held_offset_), count);
            position_ += count;
            return static_cast<long>(count);
        }
        return read(destination, count);
    }
    // Whether the next count bytes are in memory, for fetch to copy without a call.
    bool holds(std::size_t count) const {
        return position_ >= held_offset_ && count <= held_length_ && position_ - held_offset_ <= held_length_ - count;
    }

    // The next count bytes when the source holds them in memory (position unchanged), else nullptr.
    const uint8_t* held_at(std::size_t count) const {
        return holds(count) ? held_ + (position_ - held_offset_) : nullptr;
    }

    // The bytes held in memory from the position on: empty when the source holds none there.
    std::span<const uint8_t> held() const {
        if (!holds(0)) return {};
        const std::size_t at = position_ - held_offset_;
        return {held_ + at, held_length_ - at};
    }

    // Moves the position; any offset is accepted (reads beyond the end then come up short).
    void seek(uint64_t offset) { position_ = offset; }
    uint64_t tell() const { return position_; }
    uint64_t size() const { return size_; }
    // Bytes left between the position and the end (0 beyond the end).
    uint64_t remaining() const { return position_ < size_ ? size_ - position_ : 0; }

    // Gives up what the source holds open; reads then fail.
    virtual void close() {}

    // File sources report their name in messages; memory sources have none.
    virtual bool is_file() const { return false; }
    const std::string& name() const { return name_; }

protected:
    // Bytes in memory from file offset held_offset_ on (none unless a source sets them).
    const uint8_t* held_ = nullptr;
    uint64_t held_offset_ = 0;
    std::size_t held_length_ = 0;
    uint64_t position_ = 0;
    uint64_t size_ = 0;
    std::string name_;
};

// A block of memory, not owned.
class Memory_Source final : public Byte_Source {
public:
    explicit Memory_Source(std::span<const uint8_t> bytes);
    long read(uint8_t* destination, std::size_t count) override;

private:
    std::span<const uint8_t> bytes_;
};

// A file opened read-only, closed by the destructor or close().
class File_Source final : public Byte_Source {
public:
    static constexpr std::size_t Default_Buffer_Size = 64 * 1024;

    // head_size: what opening with the head reads (at most buffer_size; 0: buffer_size). A
    // small head spares copying a buffer's worth of bulk data after a short header.
    explicit File_Source(std::size_t buffer_size = Default_Buffer_Size, std::size_t head_size = 0);
    ~File_Source() override;
    File_Source(const File_Source&) = delete;
    File_Source& operator=(const File_Source&) = delete;

    // Opens path and takes its size. false with errno set on failure; only a plain file is
    // opened (errno ENODEV or EISDIR otherwise), and a named pipe never blocks the call.
    bool open(const std::string& path);
    // The same for a plain file, reading its first buffer at once: a file shorter than the
    // buffer tells its size by the short read and costs no status query.
    bool open_head(const std::string& path);
    // The same for the file name in the open folder folder (path is what messages show): the
    // system does not look up the folders of the path again.
    bool open_head_in(int folder, const std::string& name, const std::string& path);
    void close() override;
    bool is_open() const { return fd_ != No_Platform_File; }
    bool is_file() const override { return true; }

    long read(uint8_t* destination, std::size_t count) override;
    // The same with a read of just count bytes when they are not buffered: for a quick look
    // at a file that may not be read any further.
    long read_small(uint8_t* destination, std::size_t count);

    // System calls made since construction (open, status query, reads, close).
    uint64_t system_calls() const { return system_calls_; }

private:
    bool open_descriptor(const std::string& path, Platform_File folder = No_Platform_File, const char* name = nullptr);
    bool read_head();
    bool take_size();
    bool fill(uint64_t offset, std::size_t want);
    long read_with(uint8_t* destination, std::size_t count, std::size_t fill_size);

    Platform_File fd_ = No_Platform_File;
    std::unique_ptr<uint8_t[]> buffer_;  // left uninitialised: only filled bytes are read
    std::size_t buffer_size_;
    std::size_t head_size_;
    uint64_t buffer_offset_ = 0;   // file offset of buffer_[0]
    std::size_t buffer_length_ = 0;
    uint64_t system_calls_ = 0;
};
