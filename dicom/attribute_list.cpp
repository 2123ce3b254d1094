#include "dicom/attribute_list.h"

#include <memory>
#include <new>

#include "dicom/attribute_copy.h"
#include "dicom/nesting.h"
#include "dicom/trace.h"
#include "dicom/warning.h"

namespace {

constexpr const char* Source_File = "Prog_Lib/Corvanthis_DICOM/NEMA_Tag_Attribute";
constexpr std::size_t Item_Room = 8;

bool matches(const DICOM_Tag& tag, uint16_t group, uint16_t element) {
    return (group == 0xFFFF || tag.group == group) && (element == 0xFFFF || tag.element == element);
}

uint32_t tag_key(uint16_t group, uint16_t element) { return (uint32_t{group} << 16) | element; }
uint32_t tag_key(const DICOM_Tag& tag) { return tag_key(tag.group, tag.element); }

char vr_char(unsigned byte) { return byte ? static_cast<char>(byte) : '-'; }

// Appends to list a sequence element standing for the sequence root records at depth, with one
// empty item slot. nullptr (reported) when memory runs out.
DICOM_Tag* append_placeholder(Win_Handle window, const DICOM_Root* root, DICOM_Tag_List& list,
                              int depth) {
    try {
        list.emplace_back();
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "calloc", "insert", 1, 64);
        return nullptr;
    }
    DICOM_Tag& placeholder = list.back();
    placeholder.depth = static_cast<uint8_t>(depth);
    DICOM_Root_Get_Entry(root, depth, &placeholder.group, &placeholder.element, &placeholder.flags);
    placeholder.vr = VR_SQ;
    placeholder.vr_def = VR_SQ;
    try {
        placeholder.item.resize(1);
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "calloc", "insert->item", 1, 4);
        return nullptr;
    }
    return &placeholder;
}

// The list of the current item of the sequence that root records at the depth of list's
// elements; the sequence element and the item slot are created when missing.
DICOM_Tag_List* item_slot(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& list) {
    const int depth = list.front().depth;
    if (depth >= root->depth || depth + 1 >= DICOM_Max_Depth) return nullptr;
    const int index = DICOM_Attribute_Sequence_End(window, root, depth + 1);
    if (index < 0) return nullptr;

    uint16_t group = 0, element = 0;
    DICOM_Root_Get_Entry(root, depth, &group, &element);
    for (DICOM_Tag& tag : list) {
        if (tag.group != group || tag.element != element) continue;
        if (index >= tag.item_nb()) {
            try {
                tag.item.resize(static_cast<size_t>(index) + 1);
            } catch (const std::bad_alloc&) {
                Log_Memory_Error(window, __LINE__, Source_File, "realloc", "pt->item",
                                 tag.item_nb() + 1, 4);
                return nullptr;
            }
        }
        return &tag.item[static_cast<size_t>(index)];
    }
    DICOM_Tag* placeholder = append_placeholder(window, root, list, depth);
    return placeholder ? &placeholder->item[0] : nullptr;
}

// Steps from the top-level list down to the current item's list, calling on_step after each
// step. nullptr when a step fails, unless keep_last is set: then the list reached so far.
template <class On_Step>
DICOM_Tag_List* reach_current(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                              bool keep_last, On_Step on_step) {
    while (!list->empty() && list->front().depth < root->depth) {
        DICOM_Tag_List* slot = item_slot(window, root, *list);
        if (!slot) return keep_last ? list : nullptr;
        list = slot;
        on_step();
    }
    return list;
}

void delete_in(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& list, uint16_t group,
               uint16_t element) {
    for (DICOM_Tag& tag : list) {
        if (matches(tag, group, element)) DICOM_Attribute_Free(window, &tag);
    }
    std::erase_if(list, [&](const DICOM_Tag& tag) { return matches(tag, group, element); });

    for (DICOM_Tag& tag : list) {
        if (tag.item.empty()) continue;
        DICOM_Attribute_Sequence_Start(window, root, tag.group, tag.element, tag.flags, 0);
        for (DICOM_Tag_List& item : tag.item) {
            if (item.empty()) break;  // an unfilled slot ends the items
            DICOM_Attribute_Item_Start(window, root, 0);
            Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Delete(%04x,%04x)", group, element);
            delete_in(window, root, item, group, element);
            DICOM_Attribute_Item_Stop(window, root, 0);
        }
        DICOM_Attribute_Sequence_Stop(window, root, 0);
    }
}

bool points_into(const DICOM_Tag_List& list, const DICOM_Tag* tag) {
    return !list.empty() && tag >= list.data() && tag < list.data() + list.size();
}

void trace_insert(Win_Handle window, const DICOM_Tag& tag) {
    if (Trace_On(LOG_TRACE_5)) DICOM_Attribute_Trace_Insert(window, tag);
}

// Insert, with source's value and description either copied or taken.
DICOM_Tag* insert(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list, DICOM_Tag* source,
                  int level, bool take) {
    if (!root || !list || !source) return nullptr;
    if (take && root->depth == 0 && source->item.empty() && !points_into(*list, source)) {
        // The top level, as a reader's elements mostly go: nothing to reach, the element moves in whole.
        trace_insert(window, *source);
        try {
            list->emplace_back(std::move(*source));
        } catch (const std::bad_alloc&) {
            Log_Memory_Error(window, __LINE__, Source_File, "calloc", "insert", 1, 64);
            return nullptr;
        }
        DICOM_Attribute_Settle_Taken(window, root, &list->back());
        return &list->back();
    }
    auto trace = [&] { trace_insert(window, *source); };
    trace();
    list = reach_current(window, root, list, false, [&] {
        level++;
        trace();
    });
    if (!list) {
        Log_Message(window, DICOM_Warning_Kind,
                    "\xF1\x05    \x02"
                    "Failed to insert tag(\x01%04X\x02,\x01%04X\x02)",
                    source->group, source->element);
        return nullptr;
    }

    // An empty list of an outer level: its sequence element does not exist yet.
    if (list->empty() && root->depth > level && level >= 0 && level < DICOM_Max_Depth) {
        DICOM_Tag* placeholder = append_placeholder(window, root, *list, level);
        if (!placeholder) return nullptr;
        return insert(window, root, &placeholder->item[0], source, level + 1, take);
    }

    // The source may be an element of this very list, which the append may move. (Held by
    // pointer: an empty optional element would be cleared on every call.)
    std::unique_ptr<DICOM_Tag> source_copy;
    // An element without items is moved in whole: no empty element made first and filled.
    const bool whole = take && source->item.empty();
    try {
        if (points_into(*list, source)) {
            source_copy = std::make_unique<DICOM_Tag>(*source);
            source = source_copy.get();
        }
        // An item's list starts with room for a few elements rather than growing one at a time.
        if (list->capacity() == 0) list->reserve(Item_Room);
        if (whole) list->emplace_back(std::move(*source));
        else list->emplace_back();
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "calloc", "insert", 1, 64);
        return nullptr;
    }
    DICOM_Tag* inserted = &list->back();
    if (whole) {
        // Moving left source with neither value nor description.
        DICOM_Attribute_Settle_Taken(window, root, inserted);
        return inserted;
    }
    // Taking: the copy goes without value and description, which then move over as they are
    // (a copy onto a new element would have carried them unchanged).
    Tag_Bytes value;
    Tag_Text description;
    if (take) {
        value = std::move(source->data);
        description = std::move(source->description);
        source->data.clear();
        source->description.clear();
    }
    if (!DICOM_Attribute_Copy_Tag(window, root, list, inserted, source)) {
        DICOM_Warning(window, "Failed in DICOM_Attribute_Copy(%04x,%04x)", source->group, source->element);
        return nullptr;
    }
    if (take) {
        if (source->length != 0) inserted->data = std::move(value);
        if (!description.empty()) inserted->description = std::move(description);
    }
    return inserted;
}

}  // namespace

DICOM_Tag* DICOM_Attribute_Insert(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                  const DICOM_Tag* source, int level) {
    // Not taking: source is only read.
    return insert(window, root, list, const_cast<DICOM_Tag*>(source), level, false);
}

DICOM_Tag* DICOM_Attribute_Insert_Taking(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                         DICOM_Tag* source, int level) {
    return insert(window, root, list, source, level, true);
}

void DICOM_Attribute_Trace_Insert(Win_Handle window, const DICOM_Tag& tag) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Insert(%04x,%04x) %c%c %d bytes", tag.group, tag.element,
                vr_char(tag.vr >> 8u), vr_char(tag.vr & 0xFFu), tag.length);
}

DICOM_Tag* DICOM_Attribute_Insert_Last_Moving(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list) {
    DICOM_Tag source = std::move(list->back());
    list->pop_back();
    return insert(window, root, list, &source, 0, true);
}

DICOM_Tag* DICOM_Attribute_Get(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                               uint16_t group, uint16_t element) {
    if (!root || !list) return nullptr;
    auto trace = [&] {
        if (Trace_On(LOG_TRACE_5)) Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Get(%04x,%04x)", group, element);
    };
    trace();
    list = reach_current(window, root, list, true, trace);
    if (group != 0xFFFF && element != 0xFFFF) {
        // The usual search for one tag: one comparison per element.
        const uint32_t key = tag_key(group, element);
        for (DICOM_Tag& tag : *list) {
            if (tag_key(tag) == key) return &tag;
        }
        return nullptr;
    }
    for (DICOM_Tag& tag : *list) {
        if (matches(tag, group, element)) return &tag;
    }
    return nullptr;
}

int DICOM_Attribute_Delete(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                           uint16_t group, uint16_t element) {
    if (!root || !list) return 0;
    auto trace = [&] {
        Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Delete(%04x,%04x)", group, element);
    };
    trace();
    if (list->empty()) return 0;
    list = reach_current(window, root, list, false, trace);
    if (!list || list->empty()) return 0;
    delete_in(window, root, *list, group, element);
    return 1;
}

void DICOM_Attribute_Free(Win_Handle window, DICOM_Tag* tag) {
    if (!tag) return;
    if (Trace_On(LOG_TRACE_5)) Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Free(%04x,%04x)", tag->group, tag->element);
    for (DICOM_Tag_List& item : tag->item) {
        if (item.empty()) break;
        for (DICOM_Tag& inner : item) DICOM_Attribute_Free(window, &inner);
    }
    tag->item = {};
    tag->data = {};
    tag->description = {};
}

DICOM_Tag* DICOM_Attribute_Place(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                 uint16_t group, uint16_t element) {
    if (!root || !list) return nullptr;
    list = reach_current(window, root, list, false, [] {});
    if (!list) return nullptr;
    return DICOM_Attribute_Place_In(window, root, list, group, element);
}

DICOM_Tag* DICOM_Attribute_Place_In(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list,
                                    uint16_t group, uint16_t element) {
    if (!root || !list) return nullptr;
    DICOM_Root_Set_Entry(root, root->depth, group, element, 0);

    // After the last element whose successor does not come after the new tag.
    const uint32_t key = tag_key(group, element);
    size_t position = 0;
    if (!list->empty() && tag_key(list->front()) <= key) {
        size_t index = 0;
        while (index + 1 < list->size() && tag_key((*list)[index + 1]) <= key) ++index;
        if (tag_key((*list)[index]) == key) return &(*list)[index];
        position = index + 1;
    }

    DICOM_Tag placed;
    placed.depth = static_cast<uint8_t>(root->depth);
    placed.group = group;
    placed.element = element;
    try {
        auto where = list->insert(list->begin() + static_cast<std::ptrdiff_t>(position), std::move(placed));
        return &*where;
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "calloc", "insert", 1, 64);
        return nullptr;
    }
}

DICOM_Tag_List* DICOM_Attribute_Current_List(Win_Handle window, DICOM_Root* root,
                                             DICOM_Tag_List* list) {
    if (!root || !list) return nullptr;
    return reach_current(window, root, list, false, [] {});
}
