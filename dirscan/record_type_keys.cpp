// Record types by SOP class and the keys they carry.
#include "dirscan/record_type_keys.h"

#include <algorithm>
#include <cstring>

#include "dicom/attribute_list.h"
#include "dicom/dictionary.h"
#include "dicom/encoder.h"
#include "dicom/value_access.h"
#include "dirscan/record_values.h"

bool Kestrapol_Record_Types_By_Class = false;

namespace {

std::string class_of(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* set, const Dir_Node& image) {
    if (DICOM_Tag* attribute = DICOM_Attribute_Get(window, root, set, 0x0008, 0x0016)) {
        const std::vector<std::string>* values = NEMA_Value_Str(window, attribute, 0);
        if (values && !values->empty()) return values->front();
    }
    std::string uid(image.sop_class_uid.text());
    while (!uid.empty() && (uid.back() == '\0' || uid.back() == ' ')) uid.pop_back();
    return uid;
}

void warn_missing(Win_Handle window, const std::string& file, uint16_t group, uint16_t element, bool empty,
                  std::string_view type) {
    const NEMA_db_Entry* entry = NEMA_db_Get(group, element);
    Log_Message(window, LOG_WARNING, "\xF1\x05WARNING:\x02 %s: %s%s(%04X,%04X) %s; the %.*s record needs a value",
                file.c_str(), entry && entry->name[0] ? entry->name : "", entry && entry->name[0] ? " " : "", group,
                element, empty ? "is empty" : "is missing", static_cast<int>(type.size()), type.data());
}

// A whole element as a record carries it, its bytes in the tree's arena.
Dir_Tag encoded(uint16_t group, uint16_t element, const std::vector<uint8_t>& bytes, std::pmr::memory_resource* arena) {
    Dir_Tag slot;
    slot.group = group;
    slot.element = element;
    slot.vr = slot.vr_def = VR_SQ;
    slot.syntax = 8;
    slot.encoded = true;
    slot.length = static_cast<int32_t>(bytes.size());
    auto* data = static_cast<uint8_t*>(arena->allocate(bytes.size(), 1));
    std::memcpy(data, bytes.data(), bytes.size());
    slot.data = data;
    return slot;
}

// A sequence key: copied whole; an empty sequence when a Type 2 one is absent.
void add_sequence(Win_Handle window, Dir_Node& image, const Record_Key& key, std::string_view type,
                  DICOM_Root* root, DICOM_Tag_List* set, const std::string& file) {
    const DICOM_Tag* attribute = DICOM_Attribute_Get(window, root, set, key.group, key.element);
    if (attribute && attribute->effective_vr() == VR_SQ) {
        if (key.type == 1 && attribute->item.empty()) warn_missing(window, file, key.group, key.element, true, type);
        const std::vector<uint8_t> bytes = DICOM_Attribute_To_Str(window, 8, *attribute);
        if (!bytes.empty()) image.tag.push_back(encoded(key.group, key.element, bytes, image.arena));
        return;
    }
    if (key.type == 1) {
        warn_missing(window, file, key.group, key.element, false, type);
        return;
    }
    // Tag, "SQ", two zero bytes and a length of 0: a sequence without items.
    const std::vector<uint8_t> empty = {static_cast<uint8_t>(key.group & 0xFF), static_cast<uint8_t>(key.group >> 8),
                                        static_cast<uint8_t>(key.element & 0xFF),
                                        static_cast<uint8_t>(key.element >> 8), 'S', 'Q', 0, 0, 0, 0, 0, 0};
    image.tag.push_back(encoded(key.group, key.element, empty, image.arena));
}

// Conditional keys (Type 1C) that a record carries when its file has them: a presentation
// state's references, a verified report's time.
struct Conditional_Key {
    std::string_view type;
    Record_Key key;
};
constexpr Conditional_Key Conditional_Keys[] = {
    {"PRESENTATION", {0x0008, 0x1115, 1, true}},  // Referenced Series Sequence
    {"PRESENTATION", {0x0070, 0x0402, 1, true}},  // Blending Sequence
    {"SR DOCUMENT", {0x0040, 0xA030, 1, false}},  // Verification DateTime
};

}  // namespace

const Record_Type& Kestrapol_Record_Type_Of(std::string_view sop_class) {
    const Record_Type& type = Record_Type_For_SOP_Class(sop_class);
    const Record_Type* series = Record_Type_Find("SERIES");
    if (series && std::find(series->lower.begin(), series->lower.end(), type.name) == series->lower.end())
        return *Record_Type_Find("IMAGE");
    return type;
}

namespace {

// Gives image the record type and the keys of type that it lacks.
void set_type(Win_Handle window, Dir_Node& image, const Record_Type& type, DICOM_Root* root, DICOM_Tag_List* set,
              const std::string& file) {
    image.record_type = type;
    const auto present = [&image](const Record_Key& key) {
        return std::any_of(image.tag.begin(), image.tag.end(), [&key](const Dir_Tag& slot) {
            return slot.group == key.group && slot.element == key.element;
        });
    };
    Dir_Tag_Selection plain;
    std::vector<Record_Key> plain_keys;
    std::vector<Record_Key> keys(type.keys.begin(), type.keys.end());
    for (const Conditional_Key& conditional : Conditional_Keys) {
        if (conditional.type != type.name) continue;
        // Only when present: then it is required as Type 1 is.
        if (DICOM_Attribute_Get(window, root, set, conditional.key.group, conditional.key.element))
            keys.push_back(conditional.key);
    }
    for (const Record_Key& key : keys) {
        if (present(key)) continue;
        if (key.sequence) {
            add_sequence(window, image, key, type.name, root, set, file);
            continue;
        }
        plain.group.push_back(key.group);
        plain.element.push_back(key.element);
        plain_keys.push_back(key);
    }
    // Values taken and checked as configured ones are; the type's own keys settled here.
    Dir_Node values(image.arena);
    Kestrapol_Record_Values(window, values, Dir_Image_Level, plain, root, set, file);
    for (std::size_t i = 0; i < plain_keys.size(); ++i) {
        Dir_Tag& slot = values.tag[i];
        const Record_Key& key = plain_keys[i];
        if (slot.empty() && key.type == 2) {
            const NEMA_db_Entry* entry = NEMA_db_Get(key.group, key.element);
            slot = Dir_Tag{};
            slot.group = key.group;
            slot.element = key.element;
            slot.vr_def = entry != nullptr ? entry->vr[0] : VR_UN;
            slot.syntax = 8;
        } else if (key.type == 1 && (slot.empty() || slot.length == 0)) {
            warn_missing(window, file, key.group, key.element, !slot.empty(), type.name);
        }
        image.tag.push_back(slot);
    }
    std::stable_sort(image.tag.begin(), image.tag.end(), [](const Dir_Tag& a, const Dir_Tag& b) {
        return (uint32_t{a.group} << 16 | a.element) < (uint32_t{b.group} << 16 | b.element);
    });
}

}  // namespace

void Kestrapol_Record_Type_Set(Win_Handle window, Dir_Node& image, DICOM_Root* root, DICOM_Tag_List* set,
                               const std::string& file) {
    const Record_Type& type = Kestrapol_Record_Type_Of(class_of(window, root, set, image));
    if (type.name != "IMAGE") set_type(window, image, type, root, set, file);
}

const Record_Type* Kestrapol_Root_Record_Type(std::string_view sop_class) {
    const Record_Type& type = Record_Type_For_SOP_Class(sop_class);
    if (&type == &Kestrapol_Record_Type_Of(sop_class)) return nullptr;
    for (const std::string_view level : {"PATIENT", "STUDY", "SERIES", "PRIVATE"})
        if (type.name == level) return nullptr;
    return &type;
}

std::string_view Kestrapol_Record_Type_Name(std::string_view sop_class) {
    const Record_Type* root = Kestrapol_Root_Record_Type(sop_class);
    return root ? root->name : Kestrapol_Record_Type_Of(sop_class).name;
}

bool Kestrapol_Add_Root_Record(Win_Handle window, const std::string& name, DICOM_Tag_List* set, Dir_Item* dir_list,
                               int& result) {
    if (!set) return false;
    DICOM_Root root;
    Dir_Node probe(dir_list->arena);
    const Record_Type* type = Kestrapol_Root_Record_Type(class_of(window, &root, set, probe));
    if (!type) return false;
    DICOM_Tag* uid_attribute = DICOM_Attribute_Get(window, &root, set, 0x0008, 0x0018);
    const std::vector<std::string>* uid = uid_attribute ? NEMA_Value_Str(window, uid_attribute, 0) : nullptr;
    if (!uid || uid->empty()) {
        Log_Message(window, LOG_WARNING, "\xF1\x04WARNING!\x02 Missing SOP Instance UID (0008,0018) in %s", name.c_str());
        result = 0;
        return true;
    }
    // The file must be nameable in its record, as an image's is.
    const uint16_t reference_tags[][2] = {{0x0002, 0x0002}, {0x0002, 0x0003}, {0x0002, 0x0010}};
    const DICOM_Tag* references[3];
    for (int i = 0; i < 3; ++i) {
        references[i] = DICOM_Attribute_Get(window, &root, set, reference_tags[i][0], reference_tags[i][1]);
        if (!Kestrapol_Reference_Usable(window, references[i], reference_tags[i][0], reference_tags[i][1], name)) {
            result = 0;
            return true;
        }
    }
    result = 1;
    if (const Dir_Node* found = dir_list->find_child(uid->front())) {
        Log_Message(window, LOG_WARNING, "\xF1\x04WARNING!\x02 Duplicate Image (%s /vs/ %s)", found->file_name.c_str(),
                    name.c_str());
        return true;
    }
    ++nb_images;
    Dir_Node& node = dir_list->add_child();
    node.set_uid(uid_attribute);
    // Patients are keyed by name and ID joined by a zero byte, which no UID holds.
    dir_list->index_last_child(uid->front());
    node.file_name.assign(name, node.arena);
    Dir_Reference* slots[] = {&node.sop_class_uid, &node.sop_instance_uid, &node.transfer_syntax_uid};
    for (int i = 0; i < 3; ++i) Kestrapol_Record_Reference(*slots[i], references[i], node.arena);
    dir_list->add_reference(node);
    set_type(window, node, *type, &root, set, name);
    return true;
}

std::vector<uint32_t> Kestrapol_Record_Type_Keys() {
    std::vector<uint32_t> keys = {0x00080016};
    for (const Conditional_Key& conditional : Conditional_Keys)
        keys.push_back(uint32_t{conditional.key.group} << 16 | conditional.key.element);
    for (const Record_Type& type : Record_Types())
        for (const Record_Key& key : type.keys) keys.push_back(uint32_t{key.group} << 16 | key.element);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}
