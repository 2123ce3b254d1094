// Nesting the reader's flat list: sequences and items from delimiters and defined lengths,
// with the order, VR, retired and private checks.
#include "dicom/attribute_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dicom/attribute_list.h"
#include "dicom/byte_order.h"
#include "dicom/dictionary.h"
#include "dicom/element_reader_markup.h"
#include "dicom/library_warning.h"
#include "dicom/warning.h"
#include "dicom/nesting.h"
#include "dicom/trace.h"
#include "dicom/un_element.h"

namespace {

constexpr int64_t Unset = -1;

bool is_tag(const DICOM_Tag* node, uint16_t group, uint16_t element) {
    return node != nullptr && node->group == group && node->element == element;
}

char hi(uint16_t vr) { return static_cast<char>(vr >> 8); }
char lo(uint16_t vr) { return static_cast<char>(vr & 0xFF); }

// Checks the explicit VR against the dictionary and settles what can be settled.
void check_vr(Win_Handle window, DICOM_Tag& node, bool signed_pixels) {
    if (node.vr == VR_UN) DICOM_UN_Resolve(node, signed_pixels);
    if (node.vr == VR_OX) {
        DICOM_Warning(window, DICOM_TAG_FORMAT " Explicit VR=OX is invalid!", node.group,
                    node.element);
        node.flags |= Tag_Flag::Error;
        node.vr = VR_OW;
    } else if (node.vr != 0 && !DICOM_VR_Allowed_In_Stream(node.vr)) {
        node.vr = 0;
    }
    if (node.vr != 0 && node.dict != nullptr && !NEMA_db_Allows_VR(*node.dict, node.vr)) {
        const int count = std::abs(node.dict->count) > 3 ? 3 : std::abs(node.dict->count);
        const uint16_t* allowed = node.dict->vr;
        const char* fmt = count == 1   ? "%s Explicit VR (=%c%c) does not match definition! (=%c%c)"
                          : count == 2 ? "%s Explicit VR (=%c%c) does not match definition! (=%c%c or %c%c)"
                                       : "%s Explicit VR (=%c%c) does not match definition! (=%c%c, %c%c or %c%c)";
        char prefix[64];
        std::snprintf(prefix, sizeof prefix, DICOM_NOTICE_PREFIX DICOM_TAG_FORMAT " ", node.group, node.element);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        Log_Message(window, DICOM_Notice_Kind, fmt, prefix, hi(node.vr), lo(node.vr), hi(allowed[0]), lo(allowed[0]),
                    hi(allowed[1]), lo(allowed[1]), hi(allowed[2]), lo(allowed[2]));
#pragma GCC diagnostic pop
        return;
    }
    if (node.vr_def == VR_RT) {
        node.vr_def = node.length == 2 ? VR_Code("US") : node.length == 4 ? VR_Code("UL") : VR_OB;
    }
    if (node.vr == 0 && node.vr_def == 0) node.flags |= Tag_Flag::VR_Unknown;
}

// Whether the node at i opens a sequence that ends only by its delimiter, as the loop below
// decides it.
bool opens_delimited(const DICOM_Tag_List& flat, std::size_t i) {
    const DICOM_Tag& node = flat[i];
    const DICOM_Tag* next = i + 1 < flat.size() ? &flat[i + 1] : nullptr;
    if (node.length != Undefined_Length) return false;
    const uint16_t vr = node.effective_vr();
    return vr == VR_SQ || vr == VR_OB || vr == VR_OW || vr == VR_UN || (vr == 0 && is_tag(next, 0xFFFE, 0xE000));
}

// The sequences of undefined length whose delimiter (FFFE,E0DD) does come, matched innermost
// first: inside them an element out of order is out of order, not a sign that the delimiter
// was lost. The answer stays valid until the thread's next call.
// Kept per thread, reused from file to file.
thread_local std::vector<bool> delimited;
thread_local std::vector<std::size_t> open;

const std::vector<bool>& delimited_sequences(const DICOM_Tag_List& flat) {
    delimited.assign(flat.size(), false);
    open.clear();
    for (std::size_t i = 0; i < flat.size(); ++i) {
        if (is_tag(&flat[i], 0xFFFE, 0xE0DD)) {
            if (!open.empty()) {
                delimited[open.back()] = true;
                open.pop_back();
            }
        } else if (opens_delimited(flat, i)) {
            open.push_back(i);
        }
    }
    return delimited;
}

struct Format_State {
    Win_Handle window;
    DICOM_Root root;
    int64_t end_of_sequence[DICOM_Max_Depth];  // file offset where the sequence of that depth ends
    int64_t end_of_item[DICOM_Max_Depth];
    bool delimited[DICOM_Max_Depth];  // the sequence of that depth has its delimiter ahead

    int depth() const { return root.depth; }

    void stop_sequence() {
        // Leaving a depth forgets its item end too, so that a later item there is not closed by it.
        end_of_item[depth()] = Unset;
        end_of_sequence[depth()] = Unset;
        delimited[depth()] = false;
        DICOM_Attribute_Sequence_Stop(window, &root, 0);
    }
    void start_sequence(const DICOM_Tag& node, bool with_delimiter = false) {
        DICOM_Attribute_Sequence_Start(window, &root, node.group, node.element, node.flags, 0);
        end_of_sequence[depth()] = Unset;
        end_of_item[depth()] = Unset;
        delimited[depth()] = with_delimiter;
    }
    void close_item_by_size(uint32_t pos) {
        int64_t& end = end_of_item[depth()];
        if (end != Unset && end <= pos) {
            end = Unset;
            DICOM_Attribute_Item_Stop(window, &root, 0);
            Log_Message(window, LOG_TRACE_4, "\"Stop of Item\" from size");
        }
    }
    void close_by_size(uint32_t pos) {
        while (end_of_sequence[depth()] != Unset && end_of_sequence[depth()] <= pos && depth() > 0) {
            stop_sequence();
            Log_Message(window, LOG_TRACE_4, "\"Stop of Sequence\" from size");
        }
        close_item_by_size(pos);
    }
};

bool is_private_creator(const DICOM_Tag& node) {
    return (node.group & 1) && node.element >= 0x0010 && node.element <= 0x00FF;
}

// Whether a top-level element stays out of the result for a caller that keeps only some tags.
// It is checked all the same. Sequences and item tags stay, for they shape the nesting; private
// creators too, which completion looks up. Private data elements stay unless private_too.
// Membership in a sorted list of tags, asked in mostly ascending order as a data set's top
// level comes: the place of the last answer moves on, and is searched for only when a tag
// comes out of order.
class Tag_Cursor {
public:
    explicit Tag_Cursor(const std::vector<uint32_t>* tags) : tags_(tags) {}
    bool holds(uint32_t tag) {
        const std::vector<uint32_t>& tags = *tags_;
        if (at_ > 0 && tags[at_ - 1] >= tag)
            at_ = static_cast<std::size_t>(std::lower_bound(tags.begin(), tags.end(), tag) - tags.begin());
        while (at_ < tags.size() && tags[at_] < tag) ++at_;
        return at_ < tags.size() && tags[at_] == tag;
    }

private:
    const std::vector<uint32_t>* tags_;
    std::size_t at_ = 0;  // the first tag not below the last one asked for
};

bool left_out(const DICOM_Tag& node, const DICOM_Tag* next, int depth, Tag_Cursor* keep, bool private_too) {
    if (keep == nullptr || depth != 0 || node.group == 0xFFFE) return false;
    if ((node.group & 1) && (!private_too || is_private_creator(node))) return false;
    const uint16_t vr = node.effective_vr();
    if (node.length == Undefined_Length || vr == VR_SQ || (vr == 0 && is_tag(next, 0xFFFE, 0xE000))) return false;
    return !keep->holds(uint32_t{node.group} << 16 | node.element);
}

// Lists a private data element left out. Its block's creator is looked up where it stood: once
// for a run of one block's elements with nothing kept between them.
void note_left_private(std::vector<Left_Out_Private>& left, uint32_t before, uint16_t group, uint16_t element) {
    if (!left.empty()) {
        const Left_Out_Private& last = left.back();
        if (last.before == before && DICOM_Same_Private_Run(last.group, last.element, group, element)) return;
    }
    left.push_back({before, group, element});
}

int64_t end_offset(const DICOM_Tag& node) {
    return static_cast<int64_t>(node.pos_data) + static_cast<uint32_t>(node.length);
}
unsigned trace_offset(int64_t offset) { return static_cast<unsigned>(offset); }

}  // namespace

std::optional<DICOM_Tag_List> DICOM_Attribute_Format(Win_Handle window, DICOM_Tag_List& flat, bool take_values) {
    return DICOM_Attribute_Format(window, flat, take_values, DICOM_Tag_List());
}

std::optional<DICOM_Tag_List> DICOM_Attribute_Format(Win_Handle window, DICOM_Tag_List& flat, bool take_values,
                                                     DICOM_Tag_List storage, const std::vector<uint32_t>* keep,
                                                     std::vector<Left_Out_Private>* left_private,
                                                     std::span<const Format_Skipped> skipped) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Format()");
    if (flat.empty() && skipped.empty()) return std::nullopt;
    Format_State state{window, {}, {}, {}, {}};
    DICOM_Attribute_Sequence_Reset(window, &state.root);
    for (int d = 0; d < DICOM_Max_Depth; ++d) state.end_of_sequence[d] = state.end_of_item[d] = Unset;
    const std::vector<bool>& delimited = delimited_sequences(flat);
    bool order_warned = false;
    bool signed_pixels = false;  // Pixel Representation 1 read so far
    std::size_t left = 0;  // elements left out: they count as inserted
    if (left_private != nullptr) left_private->clear();
    std::optional<Tag_Cursor> kept;
    if (keep != nullptr) kept.emplace(keep);
    DICOM_Tag_List out = std::move(storage);
    out.clear();
    out.reserve(flat.size());  // the top level never holds more

    // The elements passed over before flat[before], at the top level: left out and noted, and the
    // order check goes on from the last of them.
    std::size_t next_skipped = 0;
    std::size_t next_before = skipped.empty() ? SIZE_MAX : skipped[0].before;
    const auto pass_over = [&](std::size_t before) {
        // Of a run, the first is noted: the others would join its note.
        const std::size_t first = next_skipped;
        while (next_skipped < skipped.size() && skipped[next_skipped].before <= before) {
            const Format_Skipped& run = skipped[next_skipped++];
            left += run.count;
            if (left_private != nullptr && (run.group & 1))
                note_left_private(*left_private, static_cast<uint32_t>(out.size()), run.group, run.first);
        }
        next_before = next_skipped < skipped.size() ? skipped[next_skipped].before : SIZE_MAX;
        if (next_skipped == first) return;
        const Format_Skipped& last = skipped[next_skipped - 1];
        DICOM_Root_Set_Entry(&state.root, 0, last.group, last.last, 0);
    };

    for (std::size_t i = 0; i < flat.size(); ++i) {
        if (i >= next_before) pass_over(i);
        DICOM_Tag& node = flat[i];
        const DICOM_Tag* next = i + 1 < flat.size() ? &flat[i + 1] : nullptr;
        if (Trace_On(LOG_TRACE_5)) {
            Log_Message(window, LOG_TRACE_5, "DICOM_Attribute_Format (%04x,%04x) (pos:%04X)", node.group,
                        node.element, node.pos);
        }
        if (node.dict != nullptr && node.dict->count <= 0) {
            node.flags |= Tag_Flag::Retired;
            Log_Message(window, DICOM_Notice_Kind, DICOM_NOTICE_PREFIX DICOM_TAG_FORMAT " Retired from DICOM (%s)", node.group,
                        node.element, node.dict->name);
        }
        if (node.group & 1) node.flags |= Tag_Flag::Private;

        state.close_by_size(node.pos);

        if (is_tag(&node, 0xFFFE, 0xE0DD)) {
            Log_Message(window, LOG_TRACE_4, "\"Stop of Sequence\" tag (%04x,%04x) size=%d (End_Of_Item:%04X)",
                        node.group, node.element, node.length, trace_offset(state.end_of_item[state.depth()]));
            state.stop_sequence();
        } else if (is_tag(&node, 0xFFFE, 0xE000)) {
            DICOM_Attribute_Item_Start(window, &state.root, 0);
            state.end_of_item[state.depth()] = node.length != Undefined_Length ? end_offset(node) : Unset;
            Log_Message(window, LOG_TRACE_4, "\"Start of Item\" tag (%04x,%04x) size=%d (End_Of_Item[%d]:%04X)",
                        node.group, node.element, node.length, state.depth(), trace_offset(state.end_of_item[state.depth()]));
        }

        uint16_t g = 0, e = 0;
        DICOM_Root_Get_Entry(&state.root, state.depth(), &g, &e);
        if ((node.flags & Tag_Flag::Origin_Mask) == Tag_Flag::Origin_DICOM && node.group != 0xFFFE &&
            node.group != 0xFFFF && g != 0xFFFE && g != 0xFFFF &&
            (node.group < g || (node.group == g && node.element < e))) {
            if (state.depth() == 0) {
                if (!order_warned) {
                    DICOM_Warning(window, DICOM_TAG_FORMAT " tags should be sorted!",
                                node.group, node.element);
                    order_warned = true;
                }
            } else if (state.end_of_sequence[state.depth()] < 1 && !state.delimited[state.depth()]) {
                DICOM_Warning(window, DICOM_TAG_FORMAT " missing end of sequence tag!",
                            node.group, node.element);
                state.stop_sequence();
            }
        }

        check_vr(window, node, signed_pixels);
        if (node.group == 0x0028 && node.element == 0x0103 && node.data.size() >= 2) {
            signed_pixels = DICOM_Read_16(node.syntax, node.data.data()) == 1;
        }

        DICOM_Tag* copy = nullptr;
        if (left_out(node, next, state.depth(), kept ? &*kept : nullptr, left_private != nullptr)) {
            // What inserting it would leave behind: the order check goes on from its tag.
            DICOM_Root_Set_Entry(&state.root, 0, node.group, node.element, 0);
            ++left;
            if (node.group & 1)
                note_left_private(*left_private, static_cast<uint32_t>(out.size()), node.group, node.element);
        } else {
            copy = take_values ? DICOM_Attribute_Insert_Taking(window, &state.root, &out, &node, 0)
                               : DICOM_Attribute_Insert(window, &state.root, &out, &node, 0);
        }
        auto mark_deleted = [&] {
            if (copy != nullptr) copy->flags |= Tag_Flag::Deleted;
        };

        const uint16_t vr = node.effective_vr();
        if (vr == VR_SQ) {
            state.start_sequence(node, delimited[i]);
            if (node.length == Undefined_Length) {
                if (next == nullptr || next->group != 0xFFFE) {
                    DICOM_Warning(window, DICOM_TAG_FORMAT " Syntax Error! VR=SQ should be followed by an \"item\" tag",
                                node.group, node.element);
                    state.stop_sequence();
                    mark_deleted();
                }
            } else {
                state.end_of_sequence[state.depth()] = end_offset(node);
            }
            Log_Message(window, LOG_TRACE_4, "\"Start of Sequence\" tag (%04x,%04x) size=%d (End_Of_Sequence[%d]:%04X)",
                        node.group, node.element, node.length, state.depth(), trace_offset(state.end_of_sequence[state.depth()]));
        } else if (node.length == Undefined_Length && vr == VR_UT) {
            DICOM_Warning(window, DICOM_TAG_FORMAT " Syntax Error! Variable length tag is not allowed for VR=%c%c",
                        node.group, node.element, hi(vr), lo(vr));
            mark_deleted();
        } else if (node.length == Undefined_Length && (vr == VR_OB || vr == VR_OW || vr == VR_UN)) {
            state.start_sequence(node, delimited[i]);
            if (!is_tag(next, 0xFFFE, 0xE000)) {
                DICOM_Warning(window, DICOM_TAG_FORMAT
                            " Syntax Error! VR=%c%c Variable length tag should be followed by an \"item\" tag",
                            node.group, node.element, hi(vr), lo(vr));
                state.stop_sequence();
                mark_deleted();
            }
            Log_Message(window, LOG_TRACE_4, "\"Start of Sequence\" tag (%04x,%04x) size=%d (End_Of_Sequence:%04X)",
                        node.group, node.element, node.length, trace_offset(state.end_of_sequence[state.depth()]));
        } else if (vr == 0 && is_tag(next, 0xFFFE, 0xE000)) {
            // No VR, but items follow: an implicit sequence.
            state.start_sequence(node, delimited[i]);
            if (node.length != Undefined_Length) {
                state.end_of_sequence[state.depth()] = end_offset(node);
                if (copy != nullptr) copy->length = Undefined_Length;
            }
            continue;
        }
        if (is_tag(&node, 0xFFFE, 0xE00D)) {
            Log_Message(window, LOG_TRACE_4, "\"Stop of Item\" tag (%04x,%04x) size=%d (End_Of_Item:%04X)", node.group,
                        node.element, node.length, trace_offset(state.end_of_item[state.depth()]));
            DICOM_Attribute_Item_Stop(window, &state.root, 0);
            state.close_item_by_size(node.pos);
        }
    }
    if (next_before != SIZE_MAX) pass_over(flat.size());
    if (out.empty() && left == 0) return std::nullopt;
    return out;
}

void Attribute_Format_Thread_Prepare() { delimited.reserve(0); }
