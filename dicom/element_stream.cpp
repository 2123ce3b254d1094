#include "dicom/element_stream.h"

#include "dicom/byte_order.h"
#include "dicom/element_reader.h"
#include "dicom/inflate_source.h"

Element_Stream::Element_Stream(Byte_Source& file) : file_(file), current_(&file), base_mode_(Mode_Explicit) {}

Element_Stream::~Element_Stream() = default;

void Element_Stream::meta_element(const DICOM_Tag& tag) {
    if (tag.element == 0x0000 && tag.data.size() >= 4) {
        meta_end_ = uint64_t{tag.pos_data} + 4 + DICOM_Read_32(0, tag.data.data());
    } else if (tag.element == 0x0010 && (tag.flags & Tag_Flag::Syntax_Mark)) {
        base_mode_ = tag.syntax;
        deflate_pending_ = (tag.syntax & Mode_Deflated) != 0 && !inflating_;
        unsettled_ = true;
    }
}

void Element_Stream::start_inflating() {
    // The meta group goes on while its length says so and the next group is 0002; the length
    // is not relied on alone, and without it the next group decides.
    const uint64_t at = file_.tell();
    if (meta_end_ == 0 || at < meta_end_) {
        uint8_t group[2];
        const long got = file_.fetch(group, 2);
        file_.seek(at);
        if (got == 2 && group[0] == 0x02 && group[1] == 0x00) return;
    }
    deflate_pending_ = false;
    inflating_ = following_ = true;
    inflated_ = std::make_unique<Inflate_Source>(file_);
    current_ = inflated_.get();
}

void Element_Stream::follow(const DICOM_Tag& tag) {
    unsettled_ = true;
    struct Following {
        Element_Stream& stream;
        ~Following() { stream.following_ = stream.inflating_ || !stream.open_.empty(); }
    } following{*this};
    while (!open_.empty() && open_.back().end != Delimited && open_.back().end <= tag.pos) open_.pop_back();
    if (tag.group == 0xFFFE) {
        if (tag.element != 0xE0DD) return;
        // Closes the innermost delimited one, with what was left open inside it.
        for (std::size_t n = open_.size(); n > 0; --n) {
            if (open_[n - 1].end == Delimited) {
                open_.resize(n - 1);
                break;
            }
        }
        return;
    }
    if (inflating_ && open_.empty() && tag.group == 0x7FE0 && tag.element == 0x0010) done_ = true;
    if (open_.size() >= Most_Open) return;
    if (tag.length == Undefined_Length) {
        const int inside = tag.vr == VR_UN ? (base_mode_ & Mode_Deflated) | Mode_Explicit : mode();
        // Only what changes the mode, and what is inside it, needs following in a plain file.
        if (following_ || inside != mode()) open_.push_back({Delimited, inside});
    } else if (inflating_ && tag.effective_vr() == VR_SQ) {
        open_.push_back({uint64_t{tag.pos_data} + static_cast<uint32_t>(tag.length), mode()});
    }
}

int Element_Stream::check(Win_Handle window) const {
    if (!inflated_ || inflated_->damage().empty()) return 1;
    Log_Message(window, LOG_WARNING, "\xF1\x04" "ERROR:\x02 Damaged deflated data set (%s)", inflated_->damage().c_str());
    Log_Message(window, LOG_WARNING, "file: (%s)", file_.name().c_str());
    return 0;
}
