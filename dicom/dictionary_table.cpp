// Entry insertion, the lookup index and the lookup of a data dictionary.
#include "dicom/dictionary_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/log.h"

namespace {

constexpr uint16_t Code_RT = ('R' << 8) | 'T';

uint16_t VR_From_Text(const char* text) {
    if (text == nullptr || text[0] == '\0') return 0;
    return static_cast<uint16_t>((static_cast<unsigned char>(text[0]) << 8) |
                                 static_cast<unsigned char>(text[1]));
}

// Leading decimal digits as a number, 0 when there are none.
uint16_t Decimal_Prefix(std::string_view text) {
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(value * 10 + static_cast<unsigned long>(c - '0'), 0xFFFFul);
    }
    return static_cast<uint16_t>(value);
}

// "1", "16", "1-3", "1-n", "2-2n": minimum and maximum, 0xFFFF for an open range.
void VM_From_Text(const char* text, uint16_t (&vm)[2]) {
    std::string_view vm_text = text != nullptr ? text : "";
    std::size_t dash = vm_text.find('-');
    if (vm_text.size() > 1 && dash != std::string_view::npos && dash + 1 < vm_text.size()) {
        std::string_view upper = vm_text.substr(dash + 1);
        vm[0] = Decimal_Prefix(vm_text.substr(0, dash));
        bool open = upper[0] == 'n' || (upper.size() > 1 && upper[1] == 'n');
        vm[1] = open ? 0xFFFF : Decimal_Prefix(upper);
        return;
    }
    vm[0] = vm[1] = Decimal_Prefix(vm_text);
}

}  // namespace

int NEMA_db_Dictionary::add(uint16_t group, uint16_t element, uint16_t group_mask,
                            uint16_t element_mask, std::string_view name, int count,
                            const char* const* vr, const char* const* vm) {
    int added = insert(group, element, group_mask, element_mask, name, count, vr, vm);
    if (added) build_index();
    return added;
}

int NEMA_db_Dictionary::insert(uint16_t group, uint16_t element, uint16_t group_mask,
                               uint16_t element_mask, std::string_view name, int count,
                               const char* const* vr, const char* const* vm) {
    const uint16_t masked = group & group_mask;
    auto node = std::find_if(groups_.begin(), groups_.end(), [&](const NEMA_db_Group& g) {
        return (g.group & group_mask) == masked;
    });
    if (node == groups_.end()) {
        auto place = std::find_if(groups_.begin(), groups_.end(), [&](const NEMA_db_Group& g) {
            return (g.group & g.group_mask) > masked;
        });
        node = groups_.insert(place, NEMA_db_Group{group, group_mask, {}});
    }

    auto& entries = node->entries;
    auto place = std::lower_bound(entries.begin(), entries.end(), element,
                                  [](const auto& entry, uint16_t e) { return entry->element < e; });
    if (place != entries.end() && (*place)->element == element) {
        Log_Message(nullptr, DICOM_Warning_Kind,
                    "    \xF1\x05WARNING:\x02 duplicate tag (%04x,%04x) in definition file", group,
                    element);
        return 0;
    }

    auto entry = std::make_unique<NEMA_db_Entry>();
    entry->group = group;
    entry->element = element;
    entry->element_mask = element_mask;
    const int pairs = std::min(std::abs(count), 3);
    entry->count = static_cast<int8_t>(count < 0 ? -pairs : pairs);
    std::snprintf(entry->name, sizeof entry->name, "%.80s", std::string(name).c_str());
    entry->vr[0] = Code_RT;
    entry->vm[0][0] = 0xFFFF;
    for (int i = 0; i < pairs; ++i) {
        entry->vr[i] = VR_From_Text(vr[i]);
        VM_From_Text(vm[i], entry->vm[i]);
    }
    entries.insert(place, std::move(entry));
    return 1;
}

void NEMA_db_Dictionary::build_index() {
    index_.clear();
    repeating_.assign(groups_.size(), {});
    for (std::size_t n = 0; n < groups_.size(); ++n) {
        const NEMA_db_Group& node = groups_[n];
        auto mask = std::find_if(index_.begin(), index_.end(),
                                 [&](const Mask_Index& m) { return m.mask == node.group_mask; });
        if (mask == index_.end()) mask = index_.insert(index_.end(), Mask_Index{node.group_mask, {}});
        mask->keys.push_back(Group_Key{static_cast<uint16_t>(node.group & node.group_mask),
                                       static_cast<uint16_t>(n)});
        for (const auto& entry : node.entries)
            if (entry->element_mask != 0xFFFF) repeating_[n].push_back(entry.get());
    }
}

const NEMA_db_Entry* NEMA_db_Dictionary::find_in_group(std::size_t node, uint16_t element) const {
    const auto& entries = groups_[node].entries;
    auto at = std::lower_bound(entries.begin(), entries.end(), element,
                               [](const auto& entry, uint16_t e) { return entry->element < e; });
    if (at != entries.end() && (*at)->element == element) return at->get();
    for (const NEMA_db_Entry* entry : repeating_[node]) {
        if (entry->element > element) break;
        if ((element & entry->element_mask) == entry->element) return entry;
    }
    return nullptr;
}

const NEMA_db_Entry* NEMA_db_Dictionary::find(uint16_t group, uint16_t element) const {
    if (group & 1) return nullptr;

    // The ordered walk ends at the first node whose masked group exceeds the request's;
    // within one group mask the nodes are in ascending order, so each mask bounds it once.
    std::size_t stop = groups_.size();
    for (const Mask_Index& m : index_) {
        const uint16_t masked = group & m.mask;
        auto after = std::upper_bound(m.keys.begin(), m.keys.end(), masked,
                                      [](uint16_t g, const Group_Key& k) { return g < k.masked_group; });
        if (after != m.keys.end()) stop = std::min<std::size_t>(stop, after->node);
    }

    // Candidate nodes (at most one per mask) in node order, each searched in turn.
    std::size_t done = 0;  // nodes below this were searched
    for (;;) {
        std::size_t next = stop;
        for (const Mask_Index& m : index_) {
            const uint16_t masked = group & m.mask;
            auto at = std::lower_bound(m.keys.begin(), m.keys.end(), masked,
                                       [](const Group_Key& k, uint16_t g) { return k.masked_group < g; });
            if (at != m.keys.end() && at->masked_group == masked && at->node >= done)
                next = std::min<std::size_t>(next, at->node);
        }
        if (next >= stop) return nullptr;
        if (const NEMA_db_Entry* entry = find_in_group(next, element)) return entry;
        done = next + 1;
    }
}

std::size_t NEMA_db_Dictionary::size() const {
    std::size_t total = 0;
    for (const NEMA_db_Group& node : groups_) total += node.entries.size();
    return total;
}

void NEMA_db_Dictionary::clear() {
    groups_.clear();
    index_.clear();
    repeating_.clear();
}
