// Where the reading loop takes each element from, and in which mode.
//
// Elements come from the file until the meta group of a deflated file ends, then from its
// inflated data set. Their mode is the one the transfer syntax names, except inside a UN of
// undefined length: a sequence its writer did not know, whose items are little endian in every
// file (each element explicit when it carries a VR, else implicit, as the header decoder tells).
//
// A deflated data set is read up to its top-level pixel data: nothing the walk takes comes
// after it, and passing over it would mean inflating it. To know what is top level, the
// sequences of a deflated data set are followed as their headers go by.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dicom/byte_source.h"
#include "dicom/tag.h"
#include "util/log.h"

class Inflate_Source;

class Element_Stream {
public:
    // Reads file from its position on, meta group first (explicit VR little endian).
    explicit Element_Stream(Byte_Source& file);
    ~Element_Stream();
    Element_Stream(const Element_Stream&) = delete;
    Element_Stream& operator=(const Element_Stream&) = delete;

    // Whether the source, mode, limit or the end may have changed since settle(): the reading
    // loop keeps them at hand and asks again only then.
    bool unsettled() const { return unsettled_; }
    void settle() { unsettled_ = deflate_pending_ || inflating_; }

    // The source of the next element.
    Byte_Source& source() {
        if (deflate_pending_) start_inflating();
        return *current_;
    }
    // The mode of the next element.
    int mode() const { return open_.empty() ? base_mode_ : open_.back().mode; }
    // What lengths and offsets are bounded by: the source's size, at most 2^32 - 2.
    uint32_t limit() const {
        const uint64_t size = current_->size();
        return size > 0xFFFFFFFEu ? 0xFFFFFFFEu : static_cast<uint32_t>(size);
    }
    // Whether reading is over before the next element.
    bool done() const { return done_; }

    // After an element's header: tag, VR, length, offsets and dictionary VR known. Outside a
    // deflated data set only a UN of undefined length can change anything.
    void header_read(const DICOM_Tag& tag) {
        if (!following_ && (tag.length != Undefined_Length || tag.vr != VR_UN)) return;
        follow(tag);
    }
    // Whether header_read may act on the next header that is not a UN of undefined length: a
    // reader passing over elements without telling it must stop while this holds.
    bool following() const { return following_; }
    // After the element is in the list with its value: the mode a Transfer Syntax UID sets
    // (its syntax field), the end of the meta group that the group's length tells.
    void element_read(const DICOM_Tag& tag) {
        if (tag.group == 0x0002) meta_element(tag);
    }

    // 1 when what was read can be used; 0 after reporting a damaged deflated stream.
    int check(Win_Handle window) const;

private:
    static constexpr uint64_t Delimited = UINT64_MAX;
    static constexpr std::size_t Most_Open = 64;
    // A sequence (or value of undefined length) being read: where it ends, and the mode inside.
    struct Open {
        uint64_t end;
        int mode;
    };

    void follow(const DICOM_Tag& tag);
    void meta_element(const DICOM_Tag& tag);
    void start_inflating();

    Byte_Source& file_;
    Byte_Source* current_;
    std::unique_ptr<Inflate_Source> inflated_;
    int base_mode_;
    std::vector<Open> open_;
    uint64_t meta_end_ = 0;  // 0 until the meta group's length is read
    bool deflate_pending_ = false;
    bool inflating_ = false;
    bool following_ = false;  // a change of mode open, or a deflated data set: every header counts
    bool done_ = false;
    bool unsettled_ = true;
};
