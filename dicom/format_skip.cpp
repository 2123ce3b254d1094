// The format pass's nesting, followed ahead of it for well-formed sequences and items.
#include "dicom/format_skip.h"

namespace {

constexpr uint16_t Item_Start = 0xE000;
constexpr uint16_t Item_End = 0xE00D;
constexpr uint16_t Sequence_End = 0xE0DD;

}  // namespace

Format_Skip_Guide::Format_Skip_Guide(const std::vector<uint32_t>& keep) : keep_(keep) {
    keeps_private_ = std::any_of(keep.begin(), keep.end(), [](uint32_t tag) { return (tag >> 16) & 1; });
}

bool Format_Skip_Guide::open(bool item, const DICOM_Tag& tag) {
    if (open_ == static_cast<int>(frames_.size())) return give_up();
    // The format pass nests fewer than DICOM_Max_Depth sequences deep, and warns past that.
    if (!item && open_ / 2 + 2 >= DICOM_Max_Depth) return give_up();
    const int64_t end = tag.length == Undefined_Length ? -1 : int64_t{tag.pos_data} + static_cast<uint32_t>(tag.length);
    frames_[open_++] = {end, item};
    return false;
}

// Sequences and items that end by size end before an element at pos, innermost first, as the
// format pass closes them. One that ended while a deeper one stays open is not followed.
bool Format_Skip_Guide::close_ended(uint32_t pos) {
    while (open_ > 0 && frames_[open_ - 1].end >= 0 && frames_[open_ - 1].end <= pos) --open_;
    for (int i = 0; i < open_; ++i)
        if (frames_[i].end >= 0 && frames_[i].end <= pos) return give_up();
    return true;
}

bool Format_Skip_Guide::follow(const DICOM_Tag& tag, uint16_t vr) {
    const bool in_sequence = open_ > 0 && !frames_[open_ - 1].item;  // between items
    // An item tag where no sequence waits for one (as after an element of unknown VR, which it
    // would make a sequence) or a delimiter of nothing open is not followed.
    if (tag.group == 0xFFFE) {
        const bool delimited = open_ > 0 && frames_[open_ - 1].end < 0;
        if (tag.element == Item_Start && in_sequence) return open(true, tag);
        if ((tag.element == Item_End && open_ > 0 && !in_sequence && delimited) ||
            (tag.element == Sequence_End && in_sequence && delimited)) {
            --open_;
            return false;
        }
        return give_up();
    }
    // A sequence holds items only.
    if (in_sequence) return give_up();
    if (vr == VR_SQ) {
        if (open_ == 0) note_top(key_of(tag));
        return open(false, tag);
    }
    // Anything else of undefined length may open what the guide does not follow.
    if (tag.length == Undefined_Length) return give_up();
    return false;  // an element inside an item
}
