// Test helpers for data sets: building elements and reading them back.
#pragma once

#include <string>
#include <vector>

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
