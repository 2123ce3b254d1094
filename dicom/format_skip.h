// Which data elements a reader may pass over without listing them for the format pass.
//
// A caller that keeps a subset of the top level (DICOM_Attribute_Format with keep and
// left_private) gets nothing from the elements it does not keep but, for private ones, their
// note: in a typical image file they are most of the elements read. A reader that passes one
// over saves building it, copying its value and formatting it; the format pass then counts it
// (and notes a private one) where it stood (Format_Skipped), as if it had seen it.
//
// That is only sound where the format pass would certainly have left the element out without a
// word and without changing its nesting: at the top level, in order, with an explicit VR that
// its checks accept as it is, and for a public element one its definition allows and that is not
// retired. The guide follows the nesting as the format pass will see it, for well-formed
// sequences and items; at anything else (a missing delimiter, a stray item, an item longer than
// its sequence, a value of undefined length outside a sequence) it stops passing elements over
// for the rest of the file, and the format pass sees every element from there on.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dicom/attribute_format.h"
#include "dicom/dictionary.h"
#include "dicom/tag.h"

class Format_Skip_Guide {
public:
    // keep: the tags the caller keeps at the top level (ascending), as given to the format pass.
    explicit Format_Skip_Guide(const std::vector<uint32_t>& keep);

    // tag: the next element as read (tag, VRs, length and offsets, dictionary entry), every
    // element of the file in order, whether it is passed over or not. True when the reader may
    // pass it over: its value unread, and listed only as a Format_Skipped.
    // (Inline: the reader asks for nearly every element; most are plain ones at the top level.)
    [[gnu::always_inline]] bool may_skip(const DICOM_Tag& tag) {
        if (lost_ || (open_ > 0 && !close_ended(tag.pos))) return false;
        const uint16_t vr = tag.effective_vr();
        const bool unknown_vr_before = unknown_vr_;
        unknown_vr_ = vr == 0;
        if (open_ > 0 || tag.group == 0xFFFE || vr == VR_SQ || tag.length == Undefined_Length)
            return follow(tag, vr);
        // A plain element at the top level. Out of order would be reported; after an element of
        // unknown VR the format pass looks at this one to tell whether that one opens a sequence.
        const uint32_t key = key_of(tag);
        const bool in_order = key > top_last_;
        top_last_ = in_order ? key : top_last_;
        return in_order && !unknown_vr_before && skippable(tag, key);
    }

    // The answer of may_skip for a private element at the top level whose header is plain (an
    // explicit VR with a 16-bit length), asked for the elements that follow one passed over:
    // cheaper, for the runs of private elements that make up most of many files. A no leaves
    // the guide as it was, for may_skip to be asked about the same element.
    [[gnu::always_inline]] bool may_skip_private(uint16_t group, uint16_t element, uint16_t vr) {
        if (lost_ || open_ > 0 || unknown_vr_) return false;
        const uint32_t key = uint32_t{group} << 16 | element;
        if (key <= top_last_ || !DICOM_VR_Allowed_In_Stream(vr) || !private_skippable(element, key)) return false;
        top_last_ = key;
        return true;
    }

private:
    struct Frame {
        int64_t end;  // the offset where it ends by size, -1 when a delimiter ends it
        bool item;    // an item, else a sequence
    };

    bool give_up() {
        lost_ = true;
        return false;
    }
    bool open(bool item, const DICOM_Tag& tag);
    bool close_ended(uint32_t pos);
    bool follow(const DICOM_Tag& tag, uint16_t vr);
    static uint32_t key_of(const DICOM_Tag& tag) { return uint32_t{tag.group} << 16 | tag.element; }
    void note_top(uint32_t key) {
        if (key > top_last_) top_last_ = key;
    }
    bool skippable(const DICOM_Tag& tag, uint32_t key) {
        // An explicit VR the checks leave as it is: a VR no stream had is dropped (OX reported).
        if (tag.vr == 0 || !DICOM_VR_Allowed_In_Stream(tag.vr)) return false;
        if ((tag.group & 1) != 0) return private_skippable(tag.element, key);
        // A public element, not kept: asked in ascending order, the place of the last answer
        // moves on.
        while (keep_at_ < keep_.size() && keep_[keep_at_] < key) ++keep_at_;
        if (keep_at_ < keep_.size() && keep_[keep_at_] == key) return false;
        // The meta group is the stream's; UN is resolved against the definition; Pixel
        // Representation decides how later UN elements resolve; a retired element or a VR its
        // definition does not allow is reported.
        if (tag.group < 0x0008 || tag.vr == VR_UN || key == Pixel_Representation) return false;
        return tag.dict == nullptr || (tag.dict->count > 0 && NEMA_db_Allows_VR(*tag.dict, tag.vr));
    }
    // A private element: creators are kept, and looked up for the others. It has no dictionary
    // entry to hold its VR against.
    bool private_skippable(uint16_t element, uint32_t key) const {
        if (element >= 0x0010 && element <= 0x00FF) return false;
        return !keeps_private_ || !std::binary_search(keep_.begin(), keep_.end(), key);
    }
    static constexpr uint32_t Pixel_Representation = 0x00280103;

    const std::vector<uint32_t>& keep_;
    bool keeps_private_ = false;  // some kept tag is in an odd group
    std::size_t keep_at_ = 0;     // the first kept tag not below the last public one asked for
    std::array<Frame, 2 * DICOM_Max_Depth> frames_;  // set as they open: a guide is made per file
    int open_ = 0;                // frames open, innermost last
    bool lost_ = false;           // the nesting went where the guide does not follow
    bool unknown_vr_ = false;     // the last element's VR is unknown: it may open a sequence
    // The highest tag met at the top level. (A first element (0000,0000) leaves it 0 and is taken
    // as out of order, which costs nothing: it is no private element.)
    uint32_t top_last_ = 0;
};
