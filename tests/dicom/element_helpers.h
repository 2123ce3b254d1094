// Test helpers for data sets: building elements and flat lists, finding and reading them back.
#pragma once

#include <string>
#include <vector>

#include "dicom/dictionary.h"
#include "dicom/tag.h"

// An element read from a stream: explicit VR, value loaded.
inline DICOM_Tag make_element(uint16_t group, uint16_t element, const char* vr, const std::string& value,
                              uint16_t flags = Tag_Flag::Origin_DICOM) {
    DICOM_Tag tag;
    tag.group = group;
    tag.element = element;
    tag.flags = flags;
    tag.vr = VR_Code({vr[0], vr[1], 0});
    tag.length = static_cast<int32_t>(value.size());
    tag.data.assign(value.begin(), value.end());
    return tag;
}

// The first element (group, element) of list, or of the items within when deep.
inline const DICOM_Tag* find_element(const DICOM_Tag_List& list, uint16_t group, uint16_t element, bool deep = false) {
    for (const DICOM_Tag& tag : list) {
        if (tag.group == group && tag.element == element) return &tag;
        if (deep)
            for (const DICOM_Tag_List& item : tag.item)
                if (const DICOM_Tag* found = find_element(item, group, element, true)) return found;
    }
    return nullptr;
}

inline std::string text_of(const DICOM_Tag* tag) {
    return tag ? std::string(tag->data.begin(), tag->data.end()) : "<none>";
}

// (group << 16 | element) of each element, in list order.
inline std::vector<uint32_t> tags_of(const DICOM_Tag_List& list) {
    std::vector<uint32_t> tags;
    for (const DICOM_Tag& tag : list) tags.push_back(uint32_t{tag.group} << 16 | tag.element);
    return tags;
}

// A flat list as the reader delivers it, before the format pass: each element header is 8 bytes
// at its file offset and its value follows; sequences and items are followed by their contents.
class Flat_List {
public:
    Flat_List& add(uint16_t group, uint16_t element, uint16_t vr, int32_t length, const std::string& value = "",
                   const std::string& description = "") {
        DICOM_Tag tag;
        tag.syntax = 8;
        tag.flags = Tag_Flag::Origin_DICOM;
        tag.group = group;
        tag.element = element;
        tag.vr = vr;
        tag.length = length;
        tag.pos = pos_;
        tag.pos_data = pos_ + 8;
        tag.data.assign(value.begin(), value.end());
        tag.description = description;
        if ((tag.dict = NEMA_db_Get(group, element))) tag.vr_def = tag.dict->vr[0];
        pos_ = tag.pos_data + (length > 0 && vr != VR_SQ && group != 0xFFFE ? static_cast<uint32_t>(length) : 0);
        list.push_back(tag);
        return *this;
    }
    Flat_List& item(int32_t length = Undefined_Length) { return add(0xFFFE, 0xE000, 0, length); }
    Flat_List& item_end() { return add(0xFFFE, 0xE00D, 0, 0); }
    Flat_List& sequence_end() { return add(0xFFFE, 0xE0DD, 0, 0); }
    uint32_t pos() const { return pos_; }

    DICOM_Tag_List list;

private:
    uint32_t pos_ = 132;
};
