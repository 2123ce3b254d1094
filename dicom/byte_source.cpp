// Memory and buffered file sources.
#include "dicom/byte_source.h"

#include <cerrno>
#include <cstring>

Memory_Source::Memory_Source(std::span<const uint8_t> bytes) : bytes_(bytes) {
    size_ = bytes.size();
    held_ = bytes.data();
    held_length_ = bytes.size();
}

long Memory_Source::read(uint8_t* destination, std::size_t count) {
    const std::size_t available = static_cast<std::size_t>(remaining());
    const std::size_t n = count < available ? count : available;
    if (n > 0) std::memcpy(destination, bytes_.data() + position_, n);
    position_ += n;
    return static_cast<long>(n);
}

File_Source::File_Source(std::size_t buffer_size, std::size_t head_size)
    : buffer_(std::make_unique_for_overwrite<uint8_t[]>(buffer_size > 0 ? buffer_size : 1)),
      buffer_size_(buffer_size > 0 ? buffer_size : 1),
      head_size_(head_size > 0 && head_size < buffer_size_ ? head_size : buffer_size_) {}

File_Source::~File_Source() { close(); }

bool File_Source::open(const std::string& path) {
    return open_descriptor(path) && take_size();
}

bool File_Source::open_head(const std::string& path) { return open_descriptor(path) && read_head(); }

bool File_Source::open_head_in(int folder, const std::string& name, const std::string& path) {
    return open_descriptor(path, folder, name.c_str()) && read_head();
}

bool File_Source::read_head() {
    ++system_calls_;
    // A pipe or folder fails this read; the status query after it then refuses it.
    const long got = File_Read_At(fd_, buffer_.get(), head_size_, 0);
    if (got > 0) {
        buffer_length_ = static_cast<std::size_t>(got);
        held_ = buffer_.get();
        held_offset_ = 0;
        held_length_ = buffer_length_;
    }
    if (got >= 0 && static_cast<std::size_t>(got) < head_size_) {
        // A plain file reads short only at its end. What was listed as a plain file and read
        // short without blocking is taken as one: a status query per file costs more than the
        // rest of its opening.
        size_ = static_cast<uint64_t>(got);
        return true;
    }
    // A larger file, or a failed read: the size and the kind from the system.
    return take_size();
}

bool File_Source::open_descriptor(const std::string& path, Platform_File folder, const char* name) {
    close();
    name_ = path;
    position_ = 0;
    size_ = 0;
    buffer_length_ = 0;
    held_length_ = 0;
    buffer_offset_ = 0;
    ++system_calls_;
    // A named pipe or device put where a file was listed never holds the reader up; whether it
    // is a plain file is asked with its size.
    const unsigned flags = Open_Never_Block | Open_Plain_Before_Reading;
    fd_ = name != nullptr ? File_Open_Read_In(folder, name, path, flags) : File_Open_Read(path, flags);
    return fd_ != No_Platform_File;
}

bool File_Source::take_size() {
    File_Status status;
    ++system_calls_;
    const bool known = File_Get_Status(fd_, status);
    if (!known || !status.plain) {
        const int error = known ? (status.folder ? EISDIR : ENODEV) : errno;
        close();
        errno = error;
        return false;
    }
    size_ = status.size;
    return true;
}

void File_Source::close() {
    held_length_ = 0;
    if (fd_ == No_Platform_File) return;
    ++system_calls_;
    File_Close(fd_);
    fd_ = No_Platform_File;
}

// Loads the buffer with up to want bytes from offset on; false with errno set on a system error.
bool File_Source::fill(uint64_t offset, std::size_t want) {
    if (want > buffer_size_) want = buffer_size_;
    // The size taken at opening bounds the reads: no call just to learn of the end.
    const uint64_t left = offset < size_ ? size_ - offset : 0;
    if (want > left) want = static_cast<std::size_t>(left);
    buffer_offset_ = offset;
    buffer_length_ = 0;
    held_length_ = 0;
    while (buffer_length_ < want) {
        ++system_calls_;
        const long got = File_Read_At(fd_, buffer_.get() + buffer_length_, want - buffer_length_,
                                      offset + buffer_length_);
        if (got < 0) return false;
        if (got == 0) break;
        buffer_length_ += static_cast<std::size_t>(got);
    }
    held_ = buffer_.get();
    held_offset_ = buffer_offset_;
    held_length_ = buffer_length_;
    return true;
}

long File_Source::read(uint8_t* destination, std::size_t count) {
    // Already buffered: the usual case for the small reads of element headers.
    if (fd_ != No_Platform_File && position_ >= buffer_offset_ && position_ + count <= buffer_offset_ + buffer_length_) {
        std::memcpy(destination, buffer_.get() + (position_ - buffer_offset_), count);
        position_ += count;
        return static_cast<long>(count);
    }
    return read_with(destination, count, buffer_size_);
}

long File_Source::read_small(uint8_t* destination, std::size_t count) { return read_with(destination, count, count); }

long File_Source::read_with(uint8_t* destination, std::size_t count, std::size_t fill_size) {
    if (fd_ == No_Platform_File) {
        errno = EBADF;
        return -1;
    }
    std::size_t done = 0;
    while (done < count) {
        const uint64_t at = position_;
        if (at < buffer_offset_ || at >= buffer_offset_ + buffer_length_) {
            if (!fill(at, fill_size)) return -1;
            if (buffer_length_ == 0) break;  // end of file
        }
        const std::size_t in_buffer = static_cast<std::size_t>(buffer_offset_ + buffer_length_ - at);
        const std::size_t n = count - done < in_buffer ? count - done : in_buffer;
        std::memcpy(destination + done, buffer_.get() + (at - buffer_offset_), n);
        done += n;
        position_ += n;
    }
    return static_cast<long>(done);
}
