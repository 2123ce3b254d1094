#include "dicom/inflate_source.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

struct Inflate_Source::Stream {
    z_stream z{};
    bool ready = false;
};

namespace {

// The most deflate can inflate one byte to (a long run costs about 1032 bytes of output per byte).
constexpr uint64_t Most_Ratio = 1032;

}  // namespace

Inflate_Source::Inflate_Source(Byte_Source& compressed)
    : compressed_(compressed), stream_(std::make_unique<Stream>()),
      window_(std::make_unique_for_overwrite<uint8_t[]>(Window)),
      input_(std::make_unique_for_overwrite<uint8_t[]>(Input)) {
    name_ = compressed.name();
    const uint64_t start = compressed.tell();
    position_ = start;
    held_ = window_.get();
    held_offset_ = start;
    held_length_ = 0;
    // Until the stream ends, its size is only known to stay below what its bytes can inflate to.
    size_ = std::min(start + compressed.remaining() * Most_Ratio + Window, Position_Limit);
    // Raw deflate: no zlib header, a window of up to 32 KiB.
    stream_->ready = inflateInit2(&stream_->z, -15) == Z_OK;
    if (!stream_->ready) {
        damage_ = "the inflater cannot start";
        finish(start);
    }
}

Inflate_Source::~Inflate_Source() {
    if (stream_->ready) inflateEnd(&stream_->z);
}

long Inflate_Source::read(uint8_t* destination, std::size_t count) {
    std::size_t done = 0;
    while (done < count && position_ >= held_offset_) {
        const uint64_t end = held_offset_ + held_length_;
        if (position_ >= end) {
            if (!inflate_step()) break;
            continue;
        }
        const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(count - done, end - position_));
        std::memcpy(destination + done, window_.get() + (position_ - held_offset_), n);
        done += n;
        position_ += n;
    }
    return static_cast<long>(done);
}

void Inflate_Source::finish(uint64_t end) {
    ended_ = true;
    size_ = end;
}

bool Inflate_Source::take_input() {
    const long got = compressed_.read(input_.get(), Input);
    if (got < 0) {
        damage_ = std::strerror(errno);
        return false;
    }
    stream_->z.next_in = input_.get();
    stream_->z.avail_in = static_cast<uInt>(got);
    return got > 0;
}

bool Inflate_Source::inflate_step() {
    if (ended_) return false;
    const std::size_t keep = std::min(History, held_length_);
    std::memmove(window_.get(), window_.get() + held_length_ - keep, keep);
    held_offset_ += held_length_ - keep;
    held_length_ = keep;

    z_stream& z = stream_->z;
    const uint64_t start = held_offset_ + keep;
    const uint64_t left = start < Position_Limit ? Position_Limit - start : 0;
    const std::size_t room = static_cast<std::size_t>(std::min<uint64_t>(Window - keep, left));
    z.next_out = window_.get() + keep;
    z.avail_out = static_cast<uInt>(room);
    while (z.avail_out > 0) {
        if (z.avail_in == 0 && !take_input()) {
            ended_ = true;  // cut short: what came out so far is the data set, as in a cut file
            break;
        }
        const int result = inflate(&z, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            ended_ = true;
            break;
        }
        if (result != Z_OK && !(result == Z_BUF_ERROR && z.avail_in == 0)) {
            damage_ = z.msg != nullptr ? z.msg : "inflate error " + std::to_string(result);
            ended_ = true;
            break;
        }
    }
    held_length_ = keep + (room - z.avail_out);
    if (room == 0) ended_ = true;  // the 32-bit offsets end here
    if (ended_) finish(held_offset_ + held_length_);
    return held_length_ > keep;
}
