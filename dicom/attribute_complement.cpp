// Completing a nested data set: dictionary entries, group length headers, private creators and
// private definitions, vendor groups and item descriptions.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "dicom/attribute_format.h"
#include "dicom/definition.h"
#include "dicom/dictionary.h"
#include "dicom/nesting.h"
#include "dicom/trace.h"

namespace {

constexpr std::size_t Description_Size = 600;
constexpr std::size_t Creator_Max = 64;

struct Group_Header {
    uint16_t group;
    const char* text;
};
constexpr Group_Header Group_Headers[] = {
    {0x0002, "\xF1===== Group 0002 (File) =============="},
    {0x0008, "\xF1===== Group 0008 (Identifying) ======="},
    {0x0010, "\xF1===== Group 0010 (Patient) ==========="},
    {0x0018, "\xF1===== Group 0018 (Acquisition) ======="},
    {0x0020, "\xF1===== Group 0020 (Relationship) ======"},
    {0x0028, "\xF1===== Group 0028 (Presentation) ======"},
    {0x7FE0, "\xF1===== Group 7FE0 (Image Data) ========"},
};

void describe_group_length(Win_Handle window, DICOM_Tag& node) {
    for (const Group_Header& header : Group_Headers) {
        if (header.group == node.group) {
            DICOM_Attribute_Describe(window, &node, VR_Code("UL"), "%s", header.text);
            return;
        }
    }
    if (node.length == 4) DICOM_Attribute_Describe(window, &node, VR_Code("UL"), "\xF1===== Group %04x =====================", node.group);
}

// The text of a creator element: at most 64 bytes, up to a zero byte, trimmed of blanks and tabs.
std::string_view creator_text(const DICOM_Tag& creator) {
    const std::size_t n = creator.data.size() < Creator_Max ? creator.data.size() : Creator_Max;
    const char* bytes = reinterpret_cast<const char*>(creator.data.data());
    std::string_view text(bytes, n > 0 ? strnlen(bytes, n) : 0);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// The private creators of one list, found by (group, block) without a scan per block, each
// the first element of its tag as a scan from the start would find it. The list is read once,
// as far as the lookups need: a few creators are searched in the order met, more are sorted.
// Completion changes no creator value.
class Creator_Index {
public:
    struct Creator {
        uint32_t key;            // group << 16 | block
        uint32_t at;             // place in the list
        std::string_view text;   // in the creator element's value
        bool resolved = false;
        const DICOM_Tag_List* definitions = nullptr;
    };

    explicit Creator_Index(const DICOM_Tag_List& list) : list_(list) {}

    // The creator of (group, block), or nullptr when the list has none.
    Creator* find(uint16_t group, uint16_t block) {
        const uint32_t key = uint32_t{group} << 16 | block;
        if (last_ != nullptr && last_->key == key) return last_;
        last_ = sorted_ ? find_sorted(key) : find_met(key);
        return last_;
    }

private:
    static constexpr std::size_t Few = 16;

    static bool is_creator(const DICOM_Tag& tag) {
        return (tag.group & 1) && tag.element >= 0x0010 && tag.element <= 0x00FF;
    }
    static Creator creator_at(const DICOM_Tag& tag, std::size_t at) {
        return {uint32_t{tag.group} << 16 | tag.element, static_cast<uint32_t>(at), creator_text(tag)};
    }

    Creator* find_met(uint32_t key) {
        for (Creator& creator : creators_) {
            if (creator.key == key) return &creator;
        }
        // Read on up to that creator; past a few creators, read all and sort them.
        while (scanned_ < list_.size() && creators_.size() <= Few) {
            const std::size_t at = scanned_++;
            if (!is_creator(list_[at])) continue;
            creators_.push_back(creator_at(list_[at], at));
            if (creators_.back().key == key) return &creators_.back();
        }
        if (creators_.size() <= Few) return nullptr;  // the whole list is read
        for (; scanned_ < list_.size(); ++scanned_) {
            if (is_creator(list_[scanned_])) creators_.push_back(creator_at(list_[scanned_], scanned_));
        }
        std::sort(creators_.begin(), creators_.end(),
                  [](const Creator& a, const Creator& b) { return a.key != b.key ? a.key < b.key : a.at < b.at; });
        creators_.erase(std::unique(creators_.begin(), creators_.end(),
                                    [](const Creator& a, const Creator& b) { return a.key == b.key; }),
                        creators_.end());
        sorted_ = true;
        return find_sorted(key);
    }

    Creator* find_sorted(uint32_t key) {
        auto it = std::lower_bound(creators_.begin(), creators_.end(), key,
                                   [](const Creator& c, uint32_t k) { return c.key < k; });
        return it != creators_.end() && it->key == key ? &*it : nullptr;
    }

    const DICOM_Tag_List& list_;
    std::vector<Creator> creators_;
    std::size_t scanned_ = 0;  // elements before this one are in creators_
    bool sorted_ = false;
    Creator* last_ = nullptr;  // the elements of a block follow each other
};

// A description given as it stands, without any zero byte (what DICOM_Attribute_Describe does
// with "%s" or plain text).
void describe_as(DICOM_Tag& node, uint16_t vr, std::string_view text) {
    node.description = text.substr(0, std::min(text.size(), Description_Size - 1));
    if (vr != 0) node.vr_def = vr;
}

// The creator of the block of a private data element, its definitions looked up once per list
// (with what loading them reports, as DICOM_Module_Read_Private does); nullptr when the list has
// no creator for the block.
Creator_Index::Creator* creator_of(Win_Handle window, uint16_t group, uint16_t element, Creator_Index& creators) {
    Creator_Index::Creator* creator = creators.find(group, static_cast<uint16_t>(element >> 8));
    if (creator == nullptr) return nullptr;
    if (Trace_On(LOG_TRACE_5)) {
        Log_Message(window, LOG_TRACE_5, "in DICOM_Module_Read_Private(%.*s)", static_cast<int>(creator->text.size()),
                    creator->text.data());
    }
    if (!creator->resolved) {
        creator->definitions = DICOM_Module_Private_Definitions(window, std::string(creator->text));
        creator->resolved = true;
    }
    return creator;
}

void complement_private(Win_Handle window, DICOM_Tag& node, Creator_Index& creators) {
    if (node.element >= 0x0010 && node.element <= 0x00FF) {
        describe_as(node, VR_Code("LO"), "Private Creator Data Element");
    } else if (node.element >= 0x1000) {
        Creator_Index::Creator* creator = creator_of(window, node.group, node.element, creators);
        if (creator == nullptr) return;
        if (creator->definitions == nullptr || !DICOM_Module_Apply_Private(window, *creator->definitions, &node)) {
            describe_as(node, 0, creator->text);
        }
    }
}

}  // namespace

int DICOM_Attribute_Describe(Win_Handle window, DICOM_Tag* node, uint16_t vr, const char* format, ...) {
    (void)window;
    va_list args;
    va_start(args, format);
    // Most descriptions are a plain text or one "%s": no formatting pass for those.
    const char* plain = nullptr;
    if (std::strcmp(format, "%s") == 0) plain = va_arg(args, const char*);
    else if (std::strchr(format, '%') == nullptr) plain = format;
    if (plain != nullptr) {
        node->description.assign(plain, strnlen(plain, Description_Size - 1));
    } else {
        char text[Description_Size];
        std::vsnprintf(text, sizeof text, format, args);
        node->description = text;
    }
    va_end(args);
    if (vr != 0) node->vr_def = vr;
    return 1;
}

int SPI_Complement_1000(Win_Handle window, DICOM_Tag* node) {
    Log_Message(window, LOG_TRACE_5, "in SPI_Complement_1000(%04x,%04x)", node->group, node->element);
    switch (node->element) {
    case 0x0000: return DICOM_Attribute_Describe(window, node, VR_Code("LT"), "---- ---- Group 1000: Compression Info ---- ----");
    case 0x0010: return DICOM_Attribute_Describe(window, node, VR_Code("US"), "Huffman:");
    case 0x0012: return DICOM_Attribute_Describe(window, node, VR_Code("US"), "Nb. Huffman Values:");
    case 0x0013: return DICOM_Attribute_Describe(window, node, VR_Code("SS"), "Huffman Values:");
    default: return 1;
    }
}

int SPI_Complement_7Fxx(Win_Handle window, DICOM_Tag* node) {
    Log_Message(window, LOG_TRACE_5, "in SPI_Complement_7Fxx(%04x,%04x)", node->group, node->element);
    switch (node->element) {
    case 0x0000: return DICOM_Attribute_Describe(window, node, VR_Code("UL"), "Siemens Compression: Group Name");
    case 0x0010: return DICOM_Attribute_Describe(window, node, VR_OB, "Siemens Compression: Data");
    case 0x0011: return DICOM_Attribute_Describe(window, node, VR_OW, "Siemens Compression: Next Group");
    default: return 1;
    }
}

int DICOM_Attribute_Complement(Win_Handle window, DICOM_Root* root, DICOM_Tag_List& list,
                               const std::vector<Left_Out_Private>* left) {
    Log_Message(window, LOG_TRACE_4, "in DICOM_Attribute_Complement()");
    Creator_Index creators(list);
    // The elements left out are met where they stood, before the element that followed them.
    std::size_t next_left = 0;
    const auto meet_left_out = [&](std::size_t before) {
        for (; left != nullptr && next_left < left->size() && (*left)[next_left].before <= before; ++next_left) {
            const Left_Out_Private& element = (*left)[next_left];
            if (element.element >= 0x1000) creator_of(window, element.group, element.element, creators);
        }
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
        meet_left_out(i);
        DICOM_Tag& node = list[i];
        if (Trace_On(LOG_TRACE_5)) {
            Log_Message(window, LOG_TRACE_5, "DICOM_Attribute_Complement (%04x,%04x)", node.group, node.element);
        }
        // The dictionary has no private (odd) groups.
        if (node.dict == nullptr && !(node.group & 1)) node.dict = NEMA_db_Get(node.group, node.element);
        if (node.dict != nullptr && node.vr_def == 0) node.vr_def = node.dict->vr[0];
        if (node.element == 0x0000 && node.description.empty()) describe_group_length(window, node);
        if (node.group & 1) complement_private(window, node, creators);
        const bool is_private = (node.flags & Tag_Flag::Private) != 0;
        if (node.group == 0x1000 && is_private) SPI_Complement_1000(window, &node);
        if (node.group >= 0x7F00 && node.group <= 0x7FDF && is_private) SPI_Complement_7Fxx(window, &node);
        if (node.group == 0x7FE0 && node.element == 0x0010) DICOM_Attribute_Describe(window, &node, VR_OB, "Pixel Data");
        if (node.group == 0xFFFE) {
            if (node.element == 0xE000) DICOM_Attribute_Describe(window, &node, 0, "\x01" "Item");
            else if (node.element == 0xE00D) DICOM_Attribute_Describe(window, &node, 0, "\x01" "Item Delimitation Item");
            else if (node.element == 0xE0DD) DICOM_Attribute_Describe(window, &node, 0, "\x01" "Sequence Delimitation Item");
        }
        if (!node.item.empty()) {
            DICOM_Attribute_Sequence_Start(window, root, node.group, node.element, node.flags, LOG_TRACE_5);
            for (DICOM_Tag_List& item : node.item) {
                if (item.empty()) break;
                DICOM_Attribute_Item_Start(window, root, LOG_TRACE_5);
                DICOM_Attribute_Complement(window, root, item);
                DICOM_Attribute_Item_Stop(window, root, LOG_TRACE_5);
            }
            DICOM_Attribute_Sequence_Stop(window, root, LOG_TRACE_5);
        }
    }
    meet_left_out(list.size());
    return 0;
}
