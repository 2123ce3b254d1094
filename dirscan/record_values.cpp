// Checking the values of a new directory record and the standard keys of its level.
#include "dirscan/record_values.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <span>

#include "dicom/attribute_list.h"
#include "dicom/dictionary.h"
#include "dicom/record_types.h"
#include "dicom/value_check.h"
#include "dicom/vr.h"
#include "dirscan/dicomdir_writer.h"

namespace {

// The keys each level's record must carry: the standard's keys of PATIENT, STUDY, SERIES and
// IMAGE, and Study Instance UID, Type 1C in a study record (required when the record references
// no file), which every study record of this program's meets: it is taken as Type 1.
constexpr Record_Key Study_Instance_UID_Key = {0x0020, 0x000D, 1};

struct Level_Keys {
    std::span<const Record_Key> standard;
    bool study_instance_uid = false;
};

const Level_Keys& keys_of(int level) {
    static const std::array<Level_Keys, 5> levels = {{
        {},
        {Record_Type_Find("PATIENT")->keys},
        {Record_Type_Find("STUDY")->keys, true},
        {Record_Type_Find("SERIES")->keys},
        {Record_Type_Find("IMAGE")->keys},
    }};
    return levels[level >= 0 && level <= 4 ? level : 0];
}

uint32_t tag_of(const Record_Key& key) { return uint32_t{key.group} << 16 | key.element; }

// The level's keys in tag order.
template <class Each>
void for_each_key(int level, Each&& each) {
    const Level_Keys& keys = keys_of(level);
    bool uid_due = keys.study_instance_uid;
    for (const Record_Key& key : keys.standard) {
        if (uid_due && tag_of(key) > tag_of(Study_Instance_UID_Key)) {
            each(Study_Instance_UID_Key);
            uid_due = false;
        }
        each(key);
    }
    if (uid_due) each(Study_Instance_UID_Key);
}

const char* level_name(int level) {
    static constexpr const char* Names[] = {"root", "patient", "study", "series", "image"};
    return level >= 0 && level <= 4 ? Names[level] : "";
}

// "Study Date (0008,0020)", or the tag alone for an attribute the dictionary does not know.
std::string attribute_name(uint16_t group, uint16_t element) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "(%04X,%04X)", group, element);
    const NEMA_db_Entry* entry = NEMA_db_Get(group, element);
    return entry != nullptr && entry->name[0] != '\0' ? std::string(entry->name) + " " + tag : std::string(tag);
}

// "WARNING: FILE: Study Date (0008,0020) DETAIL; the study record needs a value" (needs_value),
// or "...; left out of the study record".
void warn(Win_Handle window, const std::string& file, uint16_t group, uint16_t element, const char* detail,
          bool needs_value, int level) {
    Log_Message(window, LOG_WARNING,
                needs_value ? "\xF1\x05WARNING:\x02 %s: %s %s; the %s record needs a value"
                            : "\xF1\x05WARNING:\x02 %s: %s %s; left out of the %s record",
                file.c_str(), attribute_name(group, element).c_str(), detail, level_name(level));
}

// What keeps the value in slot out of a record as vr, written into detail; nullptr when it may
// go in.
const char* value_fault(const Dir_Tag& slot, uint16_t vr, const NEMA_db_Entry* dict, char (&detail)[160],
                        std::size_t& kept_length) {
    const uint32_t limit = VR_Has_Long_Length(vr) ? 0xFFFFFFFEu : 0xFFFEu;  // even, as written
    if (static_cast<uint32_t>(slot.length) > limit) {
        std::snprintf(detail, sizeof detail, "holds %d bytes, more than its length field can hold", slot.length);
    } else if (!slot.loaded()) {
        std::snprintf(detail, sizeof detail, "holds %d bytes, more than is read for a record", slot.length);
    } else {
        const DICOM_Value_Verdict verdict =
            DICOM_Value_Check(vr, slot.data, static_cast<std::size_t>(slot.length), dict);
        if (verdict.valid) {
            kept_length = verdict.length;
            return nullptr;
        }
        std::snprintf(detail, sizeof detail, "(VR %c%c, %d bytes) holds %s", static_cast<char>(vr >> 8),
                      static_cast<char>(vr & 0xFF), slot.length, verdict.fault);
    }
    return detail;
}

// Whether the value in slot may go into a record as vr; a value that may not is warned about
// (left out of the record of level) and the slot emptied. A valid value loses its padding.
bool keep_value(Win_Handle window, Dir_Tag& slot, uint16_t vr, const NEMA_db_Entry* dict, const std::string& file,
                int level) {
    if (slot.empty() || slot.length < 0) return true;
    char detail[160];
    std::size_t kept = 0;
    if (value_fault(slot, vr, dict, detail, kept) == nullptr) {
        slot.length = static_cast<int32_t>(kept);
        return true;
    }
    warn(window, file, slot.group, slot.element, detail, false, level);
    slot = Dir_Tag{};
    return false;
}

// The VR a record writes the attribute with: the dictionary's, so that every reader takes the
// value as the standard defines it. The file's own VR stays where the dictionary allows it
// (US or SS, OB or OW); attributes the dictionary does not know keep it.
uint16_t record_vr(const Dir_Tag& slot, const NEMA_db_Entry* dict) {
    const uint16_t stream = DICOMDIR_Record_VR(slot);
    if (dict == nullptr) return stream;
    const int count = std::min(std::abs(dict->count), 3);
    for (int i = 0; i < count; ++i)
        if (dict->vr[i] == stream) return stream;
    if (count == 0 || dict->vr[0] == VR_RT) return stream;
    if (dict->vr[0] == VR_OX) return stream == VR_OW ? VR_OW : VR_OB;
    return dict->vr[0];
}

// The key as an element without value, with the dictionary's VR.
void empty_key(Dir_Tag& slot, uint16_t group, uint16_t element) {
    const NEMA_db_Entry* entry = NEMA_db_Get(group, element);
    slot = Dir_Tag{};
    slot.group = group;
    slot.element = element;
    slot.vr_def = entry != nullptr ? entry->vr[0] : VR_UN;
    slot.syntax = 8;
}

// A configured standard key absent from the file: Type 2 is written empty; Type 1, like an
// empty value of a Type 1 key, is reported. A key whose value was left out is written empty
// either way: readers find the records by their keys (a patient by its ID), and the warning
// has said why it is empty.
void settle_standard_key(Win_Handle window, Dir_Tag& slot, uint16_t group, uint16_t element, int level,
                         const std::string& file, bool left_out) {
    const int type = Kestrapol_Key_Type(level, group, element);
    if (type == 0) return;
    if (left_out || (type == 2 && slot.empty())) {
        empty_key(slot, group, element);
    } else if (type == 1 && (slot.empty() || slot.length == 0)) {
        warn(window, file, group, element, slot.empty() ? "is missing" : "is empty", true, level);
    }
}

}  // namespace

int Kestrapol_Key_Type(int level, uint16_t group, uint16_t element) {
    int type = 0;
    for_each_key(level, [&](const Record_Key& key) {
        if (key.group == group && key.element == element) type = key.type;
    });
    return type;
}

void Kestrapol_Add_Required_Keys(Dir_Tag_Lists& lists) {
    Dir_Tag_Selection* selections[] = {&lists.patient, &lists.study, &lists.series, &lists.image};
    const auto add = [&](Dir_Tag_Selection& selection, const Record_Key& key) {
        const uint32_t wanted = tag_of(key);
        std::size_t at = selection.group.size();
        for (std::size_t i = 0; i < selection.group.size(); ++i) {
            const uint32_t listed = uint32_t{selection.group[i]} << 16 | selection.element[i];
            if (listed == wanted) return;
            if (listed > wanted && at == selection.group.size()) at = i;
        }
        // Before the first larger tag: an ascending list stays ascending.
        selection.group.insert(selection.group.begin() + static_cast<long>(at), key.group);
        selection.element.insert(selection.element.begin() + static_cast<long>(at), key.element);
    };
    for (int level = Dir_Patient_Level; level <= Dir_Image_Level; ++level)
        for_each_key(level, [&](const Record_Key& key) { add(*selections[level - 1], key); });
}

void Kestrapol_Record_Values(Win_Handle window, Dir_Node& node, int level, const Dir_Tag_Selection& selection,
                             DICOM_Root* root, DICOM_Tag_List* set, const std::string& file) {
    node.tag.resize(selection.group.size());
    for (std::size_t i = 0; i < selection.group.size(); ++i) {
        const uint16_t group = selection.group[i], element = selection.element[i];
        const DICOM_Tag* attribute = DICOM_Attribute_Get(window, root, set, group, element);
        Dir_Tag& slot = node.tag[i];
        DICOMDIR_Tag_Copy(&slot, attribute, node.arena);
        const NEMA_db_Entry* dict = attribute ? attribute->dict : nullptr;
        if (dict == nullptr && attribute != nullptr && (group & 1) == 0) dict = NEMA_db_Get(group, element);
        const uint16_t vr = record_vr(slot, dict);
        if (!slot.empty() && vr != slot.effective_vr()) {
            Log_Message(window, LOG_TRACE_1, "%s: (%04X,%04X) sent as %c%c, taken as %c%c", file.c_str(), group,
                        element, static_cast<char>(slot.effective_vr() >> 8),
                        static_cast<char>(slot.effective_vr() & 0xFF), static_cast<char>(vr >> 8),
                        static_cast<char>(vr & 0xFF));
            slot.vr = vr;
        }
        const bool kept = keep_value(window, slot, vr, dict, file, level);
        settle_standard_key(window, slot, group, element, level, file, !kept);
    }
}

bool Kestrapol_Reference_Usable(Win_Handle window, const DICOM_Tag* attribute, uint16_t group, uint16_t element,
                                const std::string& file) {
    char detail[160];
    const char* fault = "is missing";
    if (attribute != nullptr) {
        Dir_Tag slot;  // looks at the file's bytes, keeps nothing
        slot.group = group;
        slot.element = element;
        slot.length = attribute->length;
        slot.data = attribute->data.data();
        std::size_t kept = 0;
        if (attribute->length == 0) fault = "is empty";
        else if (attribute->length < 0 || attribute->data.size() < static_cast<std::size_t>(attribute->length))
            fault = "cannot be read";
        else fault = value_fault(slot, VR_Code("UI"), NEMA_db_Get(group, element), detail, kept);
    }
    if (fault == nullptr) return true;
    Log_Message(window, LOG_WARNING, "\xF1\x05WARNING:\x02 %s: %s %s; the file is left out of the DICOMDIR",
                file.c_str(), attribute_name(group, element).c_str(), fault);
    return false;
}

void Kestrapol_Record_Reference(Dir_Reference& slot, const DICOM_Tag* attribute, std::pmr::memory_resource* arena,
                                std::string_view shared) {
    // Checked as usable before: only the padding is left to strip.
    const bool loaded = attribute != nullptr && attribute->length > 0 &&
                        attribute->data.size() >= static_cast<std::size_t>(attribute->length);
    const uint8_t* bytes = loaded ? attribute->data.data() : nullptr;
    const std::size_t length = loaded ? DICOM_Value_Unpadded(bytes, static_cast<std::size_t>(attribute->length)) : 0;
    slot = Dir_Reference{};
    if (length == 0) return;
    if (shared.size() >= length && std::memcmp(shared.data(), bytes, length) == 0) {
        slot.data = reinterpret_cast<const uint8_t*>(shared.data());
    } else {
        auto* copy = static_cast<uint8_t*>(arena->allocate(length, 1));
        std::memcpy(copy, bytes, length);
        slot.data = copy;
    }
    slot.length = static_cast<int32_t>(length);
}
