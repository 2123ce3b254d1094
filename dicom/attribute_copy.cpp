#include "dicom/attribute_copy.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "dicom/attribute_list.h"
#include "dicom/nesting.h"
#include "dicom/trace.h"
#include "dicom/vr.h"
#include "dicom/warning.h"

namespace {

constexpr const char* Source_File = "Prog_Lib/Corvanthis_DICOM/NEMA_Tag_Copy";

// How an Append source's value joins the value already held, by the source's VR.
enum class Append_Form { Text, Line, Bytes, Refused, Ignored };

Append_Form append_form(uint16_t vr) {
    // Two dates, times or UIDs in one value mean nothing; a sequence is no value to join.
    static constexpr uint16_t refused[] = {VR_Code("DA"), VR_Code("DT"), VR_Code("SQ"), VR_Code("TM"),
                                           VR_Code("UI")};
    if (std::find(std::begin(refused), std::end(refused), vr) != std::end(refused)) return Append_Form::Refused;
    if (vr == VR_Code("OX")) return Append_Form::Bytes;  // the library's pixel data of either width
    const VR_Traits* traits = VR_Find(vr);
    if (!traits) return Append_Form::Ignored;
    if (traits->binary()) return Append_Form::Bytes;
    if (traits->chars == VR_Chars::Lines) return Append_Form::Line;
    return traits->multiple ? Append_Form::Text : Append_Form::Ignored;  // UR holds one value
}

// The source's value bytes, never more than its length says.
std::span<const uint8_t> value_bytes(const DICOM_Tag& tag) {
    const size_t length = tag.length > 0 ? static_cast<size_t>(tag.length) : tag.data.size();
    return {tag.data.data(), std::min(length, tag.data.size())};
}

bool replace_value(Win_Handle window, DICOM_Tag& target, const DICOM_Tag& source) {
    target.length = source.length;
    try {
        // A source whose value was left on disk leaves none here either: the old bytes would no
        // longer match the length.
        target.data.assign(source.data.begin(), source.data.end());
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "malloc", "target->data", source.length, 1);
        return false;
    }
    return true;
}

bool append_value(Win_Handle window, DICOM_Tag& target, const DICOM_Tag& source) {
    const Append_Form form = append_form(source.effective_vr());
    if (form == Append_Form::Ignored) return true;
    const int64_t added = int64_t{source.length} + (form == Append_Form::Bytes ? 0 : 2);
    const int64_t new_length = int64_t{target.length} + added;
    if (form == Append_Form::Refused || target.length < 0 || source.length < 0 ||
        new_length > std::numeric_limits<int32_t>::max()) {
        DICOM_Warning(window, "Unable to append to tag (\x01%04x\x02,\x01%04x\x02)", target.group,
                      target.element);
        return true;
    }

    const size_t old_length = static_cast<size_t>(target.length);
    const std::span<const uint8_t> bytes = value_bytes(source);
    target.length = static_cast<int32_t>(new_length);
    if (target.data.empty() && bytes.empty()) return true;  // nothing loaded on either side
    try {
        target.data.resize(static_cast<size_t>(new_length));
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "realloc", "target->data", static_cast<long>(new_length), 1);
        return false;
    }
    if (bytes.empty()) return true;
    uint8_t* out = target.data.data() + old_length;
    if (form == Append_Form::Text) *out++ = '\\';
    if (form == Append_Form::Line) *out++ = '\n';
    std::memcpy(out, bytes.data(), bytes.size());
    out += bytes.size();
    if (form != Append_Form::Bytes) *out = ' ';
    return true;
}

// Header, value, description and dictionary entry.
bool copy_header_and_value(Win_Handle window, const DICOM_Root* root, DICOM_Tag& target,
                           const DICOM_Tag& source) {
    const bool append = source.flags & Tag_Flag::Append;
    target.depth = static_cast<uint8_t>(root->depth);
    target.group = source.group;
    target.element = source.element;
    target.flags |= source.flags;
    if (source.syntax) target.syntax = source.syntax;
    if (source.type) target.type = source.type;
    if (source.vr) target.vr = source.vr;
    if (source.flags & Tag_Flag::VR_Unknown) {
        target.vr_def = VR_UN;
    } else if (source.vr_def) {
        target.vr_def = source.vr_def;
    }
    if (source.pos) target.pos = source.pos;
    if (source.pos_data) target.pos_data = source.pos_data;

    if (source.length != 0) {
        const bool ok = (target.length == 0 || !append) ? replace_value(window, target, source)
                                                        : append_value(window, target, source);
        if (!ok) return false;
    }
    if (source.has_description()) {
        try {
            target.description = source.description;  // an empty one leaves none
        } catch (const std::bad_alloc&) {
            Log_Memory_Error_Strdup(window, __LINE__, Source_File, "target->description");
            return false;
        }
    }
    if (source.dict) target.dict = source.dict;
    return true;
}

int copy_run(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& destination,
             std::span<const DICOM_Tag> source);

// The items of a sequence: into target's first slots, or after its own items for Append.
bool copy_items(Win_Handle window, DICOM_Root* root, DICOM_Tag& target, const DICOM_Tag& source) {
    const bool append = source.flags & Tag_Flag::Append;
    const size_t held = target.item.size();
    const size_t count = append ? held + source.item.size() : std::max(held, source.item.size());
    try {
        target.item.resize(count);
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "realloc", "target->item", static_cast<long>(count), 4);
        return false;
    }

    const size_t first = append ? held : 0;
    DICOM_Attribute_Sequence_Start(window, root, source.group, source.element, source.flags, LOG_TRACE_5);
    for (size_t skipped = 0; skipped < first; ++skipped) DICOM_Attribute_Item_Start(window, root, LOG_TRACE_5);
    for (size_t index = 0; index < source.item.size(); ++index) {
        if (source.flags & Tag_Flag::Forced) break;
        if (source.item[index].empty()) break;  // an unfilled slot ends the items
        DICOM_Attribute_Item_Start(window, root, LOG_TRACE_5);
        copy_run(window, root, target.item[first + index], source.item[index]);  // warned inside
        DICOM_Attribute_Item_Stop(window, root, LOG_TRACE_5);
    }
    for (size_t skipped = 0; skipped < first; ++skipped) DICOM_Attribute_Item_Stop(window, root, LOG_TRACE_5);
    DICOM_Attribute_Sequence_Stop(window, root, LOG_TRACE_5);
    return true;
}

int copy_run(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& destination,
             std::span<const DICOM_Tag> source) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Copy()");
    for (const DICOM_Tag& node : source) {
        if (Trace_On(LOG_TRACE_4)) Log_Message(window, LOG_TRACE_4, "DICOM_Attribute_Copy (%04x,%04x)", node.group, node.element);
        DICOM_Tag* target = DICOM_Attribute_Place_In(window, root, &destination, node.group, node.element);
        if (!target || !DICOM_Attribute_Copy_Tag(window, root, &destination, target, &node)) {
            Log_Message(window, DICOM_Warning_Kind,
                        "    \xF1\x05Warning:\x02 Failed in DICOM_Attribute_Copy(\x01%04x\x02,\x01%04x\x02)",
                        node.group, node.element);
            return 0;
        }
    }
    return 1;
}

}  // namespace

int DICOM_Attribute_Copy_Tag(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                             DICOM_Tag* target, const DICOM_Tag* source) {
    if (!root || !target || !source) return 0;
    if (target == source) {  // copying onto itself: work from a snapshot
        std::optional<DICOM_Tag> snapshot;
        try {
            snapshot.emplace(*source);
        } catch (const std::bad_alloc&) {
            Log_Memory_Error(window, __LINE__, Source_File, "malloc", "target->data", source->length, 1);
            return 0;
        }
        return DICOM_Attribute_Copy_Tag(window, root, list, target, &*snapshot);
    }

    if (Trace_On(LOG_TRACE_4)) {
        Log_Message(window, LOG_TRACE_4, "in DICOM_Attribute_Copy_Tag(%04x,%04x)", source->group, source->element);
    }
    DICOM_Root_Set_Entry(root, root->depth, source->group, source->element, 0);

    const bool keep = (target->flags & Tag_Flag::Forced) ||
                      (target->flags != 0 && target->length != 0 && !(source->flags & Tag_Flag::Append));
    if (!keep && !copy_header_and_value(window, root, *target, *source)) return 0;
    if (source->item.empty()) return 1;
    return copy_items(window, root, *target, *source) ? 1 : 0;
}

int DICOM_Attribute_Copy(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                         std::span<const DICOM_Tag> source) {
    if (source.empty()) {
        Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Copy()");
        return 1;
    }
    if (!root || !list) return 0;
    DICOM_Tag_List* destination = DICOM_Attribute_Current_List(window, root, list);
    if (!destination) {
        Log_Message(window, DICOM_Warning_Kind,
                    "    \xF1\x05Warning:\x02 Failed in DICOM_Attribute_Copy(\x01%04x\x02,\x01%04x\x02)",
                    source.front().group, source.front().element);
        return 0;
    }
    // Copying a list into itself: the placing would move the elements being read.
    const bool overlaps = !destination->empty() && source.data() >= destination->data() &&
                          source.data() < destination->data() + destination->size();
    if (!overlaps) return copy_run(window, root, *destination, source);
    std::optional<DICOM_Tag_List> snapshot;
    try {
        snapshot.emplace(source.begin(), source.end());
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "malloc", "target->data", static_cast<long>(source.size()), 64);
        return 0;
    }
    return copy_run(window, root, *destination, *snapshot);
}
