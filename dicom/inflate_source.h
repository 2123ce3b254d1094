// The data set of a deflated file: a raw deflate stream after the meta group, inflated a step
// at a time as reads ask for bytes, through a window of fixed size.
//
// Memory stays the same whatever the stream inflates to: a stream made to inflate to gigabytes
// costs time to pass over, never room. Positions go on from where the stream starts in the
// file, so the offsets of its elements follow those of the meta group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "dicom/byte_source.h"

class Inflate_Source final : public Byte_Source {
public:
    // Bytes kept behind the newest ones, for a reader that steps back to look again.
    static constexpr std::size_t History = 4 * 1024;
    static constexpr std::size_t Window = 64 * 1024;
    static constexpr std::size_t Input = 16 * 1024;
    // Offsets of the element model are 32-bit: nothing is inflated beyond this position.
    static constexpr uint64_t Position_Limit = 0xFFFFFFFEu;

    // Inflates compressed from its position to its end.
    explicit Inflate_Source(Byte_Source& compressed);
    ~Inflate_Source() override;
    Inflate_Source(const Inflate_Source&) = delete;
    Inflate_Source& operator=(const Inflate_Source&) = delete;

    // Short at the end of the stream, where it is damaged, and before the bytes still held
    // (a reader never steps back further than a header and a loaded value).
    long read(uint8_t* destination, std::size_t count) override;
    bool is_file() const override { return compressed_.is_file(); }

    // The stream is damaged (not merely cut short): what zlib says of it, else empty.
    const std::string& damage() const { return damage_; }

private:
    // Inflates the next step into the window, keeping History bytes of the last; false when
    // nothing more comes.
    bool inflate_step();
    // Reads the next block of compressed bytes; false at their end.
    bool take_input();
    void finish(uint64_t end);

    struct Stream;
    Byte_Source& compressed_;
    std::unique_ptr<Stream> stream_;
    std::unique_ptr<uint8_t[]> window_;
    std::unique_ptr<uint8_t[]> input_;
    bool ended_ = false;
    std::string damage_;
};
