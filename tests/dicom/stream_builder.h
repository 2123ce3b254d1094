// Builds small DICOM streams byte by byte for the reader's tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

#include "dicom/vr.h"

class Stream_Builder {
public:
    // mode: 0 implicit little endian, 8 explicit little endian, 9 explicit big endian.
    explicit Stream_Builder(int mode = 8) : mode_(mode) {}

    void set_mode(int mode) { mode_ = mode; }
    std::vector<uint8_t>& bytes() { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    // 128-byte preamble and "DICM".
    Stream_Builder& preamble() {
        bytes_.assign(128, 0);
        raw("DICM");
        return *this;
    }
    Stream_Builder& raw(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    Stream_Builder& bytes_of(const std::vector<uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    Stream_Builder& u16(uint16_t v, bool big) {
        if (big) push(v >> 8), push(v);
        else push(v), push(v >> 8);
        return *this;
    }
    Stream_Builder& u32(uint32_t v, bool big) {
        if (big) u16(static_cast<uint16_t>(v >> 16), true), u16(static_cast<uint16_t>(v), true);
        else u16(static_cast<uint16_t>(v), false), u16(static_cast<uint16_t>(v >> 16), false);
        return *this;
    }

    // Element header in the current mode (group 0002 always explicit little endian; items and
    // delimiters never carry a VR). vr "" writes an implicit header.
    Stream_Builder& header(uint16_t group, uint16_t element, const char* vr, uint32_t length) {
        const bool meta = group == 0x0002;
        const bool big = !meta && (mode_ & 1) != 0;
        const bool item = group == 0xFFFE;
        const bool explicit_vr = vr[0] != '\0' && (meta || ((mode_ & 8) != 0 && !item));  // no VR: implicit
        u16(group, big);
        u16(element, big);
        if (!explicit_vr) return u32(length, big);
        raw(std::string(vr, 2));
        if (VR_Has_Long_Length(static_cast<uint16_t>((vr[0] << 8) | vr[1]))) return u16(0, big).u32(length, big);
        return u16(static_cast<uint16_t>(length), big);
    }
    // Element with a text value, padded to even length with pad.
    Stream_Builder& text(uint16_t group, uint16_t element, const char* vr, std::string value, char pad = ' ') {
        if (value.size() & 1) value.push_back(pad);
        header(group, element, vr, static_cast<uint32_t>(value.size()));
        return raw(value);
    }
    Stream_Builder& us(uint16_t group, uint16_t element, uint16_t value) {
        const bool big = group != 0x0002 && (mode_ & 1) != 0;
        header(group, element, "US", 2);
        return u16(value, big);
    }
    Stream_Builder& block(uint16_t group, uint16_t element, const char* vr, std::size_t length, uint8_t fill = 0x5A) {
        header(group, element, vr, static_cast<uint32_t>(length));
        bytes_.insert(bytes_.end(), length, fill);
        return *this;
    }
    Stream_Builder& item(uint32_t length = 0xFFFFFFFF) { return header(0xFFFE, 0xE000, "", length); }
    Stream_Builder& item_end() { return header(0xFFFE, 0xE00D, "", 0); }
    Stream_Builder& sequence_end() { return header(0xFFFE, 0xE0DD, "", 0); }

    // File meta information naming the transfer syntax.
    Stream_Builder& meta(const std::string& transfer_syntax) {
        const int keep = mode_;
        mode_ = 8;
        text(0x0002, 0x0002, "UI", "1.2.840.10008.5.1.4.1.1.7", '\0');
        text(0x0002, 0x0010, "UI", transfer_syntax, '\0');
        mode_ = keep;
        return *this;
    }

    // The stream with every byte from offset from on deflated (raw deflate, as a deflated
    // transfer syntax has it).
    std::vector<uint8_t> deflated(std::size_t from) const {
        std::vector<uint8_t> out(bytes_.begin(), bytes_.begin() + static_cast<long>(from));
        z_stream z{};
        deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
        std::vector<uint8_t> packed(deflateBound(&z, static_cast<uLong>(bytes_.size() - from)));
        z.next_in = const_cast<Bytef*>(bytes_.data() + from);
        z.avail_in = static_cast<uInt>(bytes_.size() - from);
        z.next_out = packed.data();
        z.avail_out = static_cast<uInt>(packed.size());
        deflate(&z, Z_FINISH);
        out.insert(out.end(), packed.begin(), packed.begin() + static_cast<long>(z.total_out));
        deflateEnd(&z);
        return out;
    }

    // Writes the bytes to path; false when it cannot.
    bool save(const std::string& path) const {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) return false;
        const bool ok = std::fwrite(bytes_.data(), 1, bytes_.size(), f) == bytes_.size();
        return std::fclose(f) == 0 && ok;
    }

private:
    void push(unsigned v) { bytes_.push_back(static_cast<uint8_t>(v)); }
    int mode_;
    std::vector<uint8_t> bytes_;
};
