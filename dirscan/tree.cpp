// Sorting image files into the patient / study / series / image tree.
#include "dirscan/tree.h"

#include <algorithm>
#include <cstring>
#include <memory_resource>
#include <optional>

#include "dicom/attribute_list.h"
#include "dicom/value_access.h"
#include "dicom/value_check.h"
#include "dirscan/dicomdir_writer.h"
#include "dirscan/record_type_keys.h"
#include "dirscan/record_values.h"

Dir_Tag_Lists Kestrapol_Tag_Lists;
int32_t nb_patients = 0, nb_studies = 0, nb_series = 0, nb_images = 0;

namespace {

constexpr const char* Warning_Mark = "\xF1\x04WARNING!\x02";
constexpr const char* No_Name = "No Name";
constexpr const char* Empty_ID = "000000";

void warn(Win_Handle window, const char* text, const std::string& name) {
    Log_Message(window, LOG_WARNING, "%s%s%s", Warning_Mark, text, name.c_str());
}

// Display text of the first person name; nullopt when the value cannot be converted.
std::optional<std::string> name_text(Win_Handle window, DICOM_Tag* attribute) {
    const std::vector<Person_Name>* names = NEMA_Value_Name(window, attribute, 0);
    if (!names) return std::nullopt;
    if (names->empty()) return std::string();
    const char* text = conv_name_to_text(&names->front());
    return std::string(text ? text : "");
}

// First value of a text attribute; nullopt when the value access yields nothing.
std::optional<std::string> first_value(Win_Handle window, DICOM_Tag* attribute) {
    const std::vector<std::string>* values = NEMA_Value_Str(window, attribute, 0);
    if (!values || values->empty()) return std::nullopt;
    return values->front();
}

// The UID bytes of attribute without their padding.
std::string_view uid_text(const DICOM_Tag* attribute) {
    const uint8_t* bytes = attribute->data.data();
    return {reinterpret_cast<const char*>(bytes), DICOM_Value_Unpadded(bytes, attribute->data.size())};
}

// What a file must hold to be indexed, read before any node is made: a file refused at a
// lower level would otherwise leave records with nothing below them.
struct File_Keys {
    DICOM_Tag* patient_name = nullptr;
    DICOM_Tag* patient_id = nullptr;
    std::string patient_key;  // name and ID joined by a byte neither can hold
    std::string name_text;
    DICOM_Tag* study = nullptr;
    DICOM_Tag* series = nullptr;
    DICOM_Tag* image = nullptr;
    std::string study_uid, series_uid, image_uid;
    DICOM_Tag* references[3] = {};  // (0002,0002), (0002,0003), (0002,0010)
};

// A key UID's first value; nullptr with a warning when the file lacks it or it cannot be read.
DICOM_Tag* uid_key(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* set, uint16_t group, uint16_t element,
                   const char* missing, const char* failed, const std::string& name, std::string& uid) {
    DICOM_Tag* attribute = DICOM_Attribute_Get(window, root, set, group, element);
    if (!attribute) {
        warn(window, missing, name);
        return nullptr;
    }
    std::optional<std::string> value = first_value(window, attribute);
    if (!value) {
        warn(window, failed, name);
        return nullptr;
    }
    uid = std::move(*value);
    return attribute;
}

bool read_keys(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* set, const std::string& name, File_Keys& keys) {
    keys.patient_name = DICOM_Attribute_Get(window, root, set, 0x0010, 0x0010);
    if (!keys.patient_name) {
        warn(window, " Missing Patient Name tag (0010,0010) in ", name);
        return false;
    }
    // An empty name is a valid name: the empty one.
    std::optional<std::string> text =
        keys.patient_name->length == 0 ? std::string() : name_text(window, keys.patient_name);
    if (!text) {
        warn(window, " Error in NEMA_Value_Name(Patient Name) in ", name);
        text = No_Name;
    }
    keys.name_text = std::move(*text);
    keys.patient_id = DICOM_Attribute_Get(window, root, set, 0x0010, 0x0020);
    if (!keys.patient_id) {
        warn(window, " Missing Patient ID tag (0010,0020) in ", name);
        return false;
    }
    const std::string id = first_value(window, keys.patient_id).value_or(Empty_ID);
    Log_Message(window, LOG_TRACE_6, "patient: %s (%s)", keys.name_text.c_str(), id.c_str());
    keys.patient_key = keys.name_text;
    keys.patient_key.push_back('\0');
    keys.patient_key += id;

    keys.study = uid_key(window, root, set, 0x0020, 0x000D, " Missing Study UID tag (0020,000D) in ",
                         " Error in NEMA_Value_Str(Study UID) in ", name, keys.study_uid);
    if (!keys.study) return false;
    keys.series = uid_key(window, root, set, 0x0020, 0x000E, " Missing Series UID tag (0020,000E) in ",
                          " Error in NEMA_Value_Str(Series UID) in ", name, keys.series_uid);
    if (!keys.series) return false;
    keys.image = uid_key(window, root, set, 0x0008, 0x0018, " Missing SOP Instance UID tag (0008,0018) in ",
                         " Error in NEMA_Value_Str(Image UID) in ", name, keys.image_uid);
    if (!keys.image) return false;

    // The image record names the file's SOP Class, SOP Instance and Transfer Syntax: without
    // any of them readers cannot load the record.
    static constexpr uint16_t Reference_Elements[3] = {0x0002, 0x0003, 0x0010};
    for (int i = 0; i < 3; ++i) {
        keys.references[i] = DICOM_Attribute_Get(window, root, set, 0x0002, Reference_Elements[i]);
        if (!Kestrapol_Reference_Usable(window, keys.references[i], 0x0002, Reference_Elements[i], name)) return false;
    }
    std::string_view image_uid = keys.image_uid;
    while (!image_uid.empty() && image_uid.back() == ' ') image_uid.remove_suffix(1);
    if (uid_text(keys.references[1]) != image_uid)
        warn(window, " Media Storage SOP Instance UID (0002,0003) differs from SOP Instance UID (0008,0018) in ", name);
    return true;
}

// Study and series levels: keyed by the first value of a UID.
struct Uid_Level {
    const char* trace_key;
    const char* trace_found;
    const char* trace_added;
    int32_t* counter;
    const Dir_Tag_Selection* selection;
    int level;
};

Dir_Node& add_uid_level(Win_Handle window, const Uid_Level& level, Dir_Node& parent, DICOM_Root* root,
                        DICOM_Tag_List* set, const std::string& name, const DICOM_Tag* attribute,
                        const std::string& uid) {
    Log_Message(window, LOG_TRACE_6, level.trace_key, uid.c_str());
    if (Dir_Node* node = parent.find_child(uid)) {
        Log_Message(window, LOG_TRACE_1, level.trace_found, uid.c_str());
        return *node;
    }
    Log_Message(window, LOG_TRACE_1, level.trace_added, uid.c_str());
    ++*level.counter;
    Dir_Node& node = parent.add_child();
    node.set_uid(attribute);
    parent.index_last_child(uid);
    Kestrapol_Record_Values(window, node, level.level, *level.selection, root, set, name);
    return node;
}

Dir_Node& add_patient(Win_Handle window, Dir_Item& dir_list, DICOM_Root* root, DICOM_Tag_List* set,
                      const std::string& name, const File_Keys& keys) {
    if (Dir_Node* node = dir_list.find_child(keys.patient_key)) {
        Log_Message(window, LOG_TRACE_1, "Patient already in the list: %s", keys.name_text.c_str());
        return *node;
    }
    Log_Message(window, LOG_TRACE_1, "Adding new patient %s", keys.name_text.c_str());
    ++nb_patients;
    Dir_Node& node = dir_list.add_child();
    dir_list.index_last_child(keys.patient_key);
    Kestrapol_Record_Values(window, node, Dir_Patient_Level, Kestrapol_Tag_Lists.patient, root, set, name);
    return node;
}

// The image already in the tree that this file repeats: the same SOP Instance UID in its
// series, or the same referenced instance anywhere (two records must never name one instance).
const Dir_Node* duplicate_of(Dir_Item& dir_list, const File_Keys& keys) {
    if (const Dir_Node* image = dir_list.referenced(uid_text(keys.references[1]))) return image;
    Dir_Node* patient = dir_list.find_child(keys.patient_key);
    Dir_Node* study = patient ? patient->find_child(keys.study_uid) : nullptr;
    Dir_Node* series = study ? study->find_child(keys.series_uid) : nullptr;
    return series ? series->find_child(keys.image_uid) : nullptr;
}

}  // namespace

Dir_Node* Dir_Node::find_child(std::string_view key) {
    if (!index) return nullptr;
    const uint32_t found = index->find(key, [this](uint32_t entry) { return std::string_view(child[entry - 1].key); });
    return found == 0 ? nullptr : &child[found - 1];
}

void Dir_Node::index_last_child(std::string_view key) {
    Dir_Node& node = child.back();
    const std::string_view id = node.uid;
    if (id.substr(0, key.size()) == key) {
        node.key.view(id.substr(0, key.size()));
    } else {
        node.key.assign(key, arena);
    }
    if (!index) index = std::make_unique<Dir_Key_Table<uint32_t>>();
    // Positions from 1: 0 marks a free slot.
    index->insert(static_cast<uint32_t>(child.size()), node.key,
                  [this](uint32_t entry) { return std::string_view(child[entry - 1].key); });
}

void Dir_Node::set_uid(const DICOM_Tag* attribute) {
    uid = Dir_Text();
    if (attribute && attribute->length > 0 && attribute->data.size() >= static_cast<std::size_t>(attribute->length))
        uid.assign(std::string_view(reinterpret_cast<const char*>(attribute->data.data()),
                                    static_cast<std::size_t>(attribute->length)),
                   arena);
}

namespace {

std::string_view reference_key(const Dir_Node* node) { return node->sop_instance_uid.text(); }

}  // namespace

const Dir_Node* Dir_Item::referenced(std::string_view uid) const {
    return references_ ? references_->find(uid, reference_key) : nullptr;
}

void Dir_Item::add_reference(const Dir_Node& node) {
    if (!references_) references_ = std::make_unique<Dir_Key_Table<const Dir_Node*>>();
    references_->insert(&node, reference_key(&node), reference_key);
}

void Dir_Item::release_records() {
    references_.reset();
    index.reset();
    child.clear();
}

int DICOMDIR_Tag_Copy(Dir_Tag* slot, const DICOM_Tag* attribute, std::pmr::memory_resource* arena) {
    if (!attribute) {
        *slot = Dir_Tag{};
        return 1;
    }
    slot->syntax = attribute->syntax;
    slot->group = attribute->group;
    slot->element = attribute->element;
    slot->vr = attribute->vr;
    slot->vr_def = attribute->vr_def;
    slot->length = attribute->length;
    slot->flags |= attribute->flags;
    slot->data = nullptr;
    // A value longer than what was loaded stays on disk: length without bytes.
    if (attribute->length > 0 && attribute->data.size() >= static_cast<std::size_t>(attribute->length)) {
        const auto length = static_cast<std::size_t>(attribute->length);
        auto* bytes = static_cast<uint8_t*>(arena->allocate(length, 1));
        std::memcpy(bytes, attribute->data.data(), length);
        slot->data = bytes;
    }
    return 1;
}

namespace {

// The image's configured values (and, by class, its record type and that type's keys), checked
// in scratch memory and kept as the bytes its record carries.
void image_values(Win_Handle window, Dir_Node& image, DICOM_Root* root, DICOM_Tag_List* set, const std::string& name) {
    std::byte room[4096];
    std::pmr::monotonic_buffer_resource scratch(room, sizeof room);
    Dir_Node values(&scratch);
    thread_local std::vector<Dir_Tag> spare;  // its storage serves every image of the thread
    values.tag.swap(spare);
    values.sop_class_uid = image.sop_class_uid;
    Kestrapol_Record_Values(window, values, Dir_Image_Level, Kestrapol_Tag_Lists.image, root, set, name);
    if (Kestrapol_Record_Types_By_Class) Kestrapol_Record_Type_Set(window, values, root, set, name);
    image.record_type = values.record_type;
    thread_local std::vector<uint8_t> bytes;
    bytes.clear();
    for (const Dir_Tag& slot : values.tag) DICOMDIR_Append_Tag(bytes, slot);
    values.tag.swap(spare);
    spare.clear();
    if (bytes.empty()) return;
    auto* kept = static_cast<uint8_t*>(image.arena->allocate(bytes.size(), 1));
    std::memcpy(kept, bytes.data(), bytes.size());
    image.values = kept;
    image.values_size = static_cast<uint32_t>(bytes.size());
}

}  // namespace

int Kestrapol_Add_Image(Win_Handle window, const std::string& name, DICOM_Tag_List* set, Dir_Item* dir_list) {
    DICOM_Tag_List none;
    if (!set) set = &none;
    if (int added = 0; Kestrapol_Record_Types_By_Class && Kestrapol_Add_Root_Record(window, name, set, dir_list, added))
        return added;
    DICOM_Root root;  // fresh nesting state: top level of the set

    File_Keys keys;
    if (!read_keys(window, &root, set, name, keys)) return 0;
    Log_Message(window, LOG_TRACE_6, "image: %s", keys.image_uid.c_str());
    if (const Dir_Node* image = duplicate_of(*dir_list, keys)) {
        Log_Message(window, LOG_WARNING, "%s Duplicate Image (%s /vs/ %s)", Warning_Mark, image->file_name.c_str(),
                    name.c_str());
        return 1;
    }

    Dir_Node& patient = add_patient(window, *dir_list, &root, set, name, keys);
    static const Uid_Level study_level{"study: %s", "Study already in the list: %s", "Adding new study %s",
                                       &nb_studies, &Kestrapol_Tag_Lists.study, Dir_Study_Level};
    Dir_Node& study = add_uid_level(window, study_level, patient, &root, set, name, keys.study, keys.study_uid);
    static const Uid_Level series_level{"series: %s", "Series already in the list: %s", "Adding new series %s",
                                        &nb_series, &Kestrapol_Tag_Lists.series, Dir_Series_Level};
    Dir_Node& series = add_uid_level(window, series_level, study, &root, set, name, keys.series, keys.series_uid);

    Log_Message(window, LOG_TRACE_1, "Adding new image (%d) %s", series.nb_child(), keys.image_uid.c_str());
    ++nb_images;
    Dir_Node& image = series.add_child();
    image.set_uid(keys.image);
    series.index_last_child(keys.image_uid);
    image.file_name.assign(name, image.arena);
    // The images of a series mostly share their class and transfer syntax, and the instance UID
    // comes twice, in the file's header and in its data set: equal bytes are kept once.
    const Dir_Node* previous = series.child.size() > 1 ? &series.child[series.child.size() - 2] : nullptr;
    Kestrapol_Record_Reference(image.sop_class_uid, keys.references[0], image.arena,
                               previous ? previous->sop_class_uid.text() : std::string_view());
    Kestrapol_Record_Reference(image.sop_instance_uid, keys.references[1], image.arena, image.uid);
    Kestrapol_Record_Reference(image.transfer_syntax_uid, keys.references[2], image.arena,
                               previous ? previous->transfer_syntax_uid.text() : std::string_view());
    dir_list->add_reference(image);
    image_values(window, image, &root, set, name);
    return 1;
}

std::vector<uint32_t> Kestrapol_Image_Keys() {
    static constexpr uint32_t Keys[] = {0x00020002, 0x00020003, 0x00020010, 0x00080018,
                                        0x00100010, 0x00100020, 0x0020000D, 0x0020000E};
    std::vector<uint32_t> wanted(std::begin(Keys), std::end(Keys));
    for (const Dir_Tag_Selection* selection : {&Kestrapol_Tag_Lists.patient, &Kestrapol_Tag_Lists.study,
                                               &Kestrapol_Tag_Lists.series, &Kestrapol_Tag_Lists.image}) {
        for (std::size_t i = 0; i < selection->group.size(); ++i)
            wanted.push_back(uint32_t{selection->group[i]} << 16 | selection->element[i]);
    }
    if (Kestrapol_Record_Types_By_Class) {
        const std::vector<uint32_t> more = Kestrapol_Record_Type_Keys();
        wanted.insert(wanted.end(), more.begin(), more.end());
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    return wanted;
}

void Kestrapol_Image_Part(DICOM_Tag_List& set, const std::vector<uint32_t>& keys, DICOM_Tag_List& part) {
    part.clear();
    part.reserve(keys.size());
    // Elements normally come in ascending order: the search for the next one goes on from
    // where the last one stopped, and starts over only when the order breaks.
    auto wanted = keys.begin();
    uint32_t last = 0;
    for (DICOM_Tag& tag : set) {
        const uint32_t key = uint32_t{tag.group} << 16 | tag.element;
        if (key < last) wanted = keys.begin();
        last = key;
        while (wanted != keys.end() && *wanted < key) ++wanted;
        if (wanted != keys.end() && *wanted == key) part.push_back(std::move(tag));
    }
}

int Kestrapol_Dump(Win_Handle window, int kind, Dir_Node* node, int depth) {
    if (kind >= LOG_TRACE_1 && kind <= LOG_TRACE_9 && Trace_Level < kind - 10) return 1;
    static constexpr const char* Lines[] = {"    Patient: %s", "        Study: %s", "            Series: %s",
                                            "                Image: %s"};
    for (Dir_Node& item : node->child) {
        // The match key: the UID's first value, or a patient's name as text (then a zero byte).
        const std::string_view key = item.key;
        const std::string text(depth == 0 ? key.substr(0, key.find('\0')) : key);
        Log_Message(window, kind, Lines[std::min(depth, 3)], text.c_str());
        Kestrapol_Dump(window, kind, &item, depth + 1);
    }
    return 1;
}
