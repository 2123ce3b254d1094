// Entry insertion, the lookup index and the lookup of a data dictionary.
#include "dicom/dictionary_table.h"

#include <algorithm>
#include <cstdlib>

#include "dicom/warning.h"

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

namespace {

constexpr std::size_t Entry_Block = 1024;
constexpr std::size_t Name_Block = 32 * 1024;
constexpr std::size_t Name_Max = 80;

}  // namespace

NEMA_db_Entry& NEMA_db_Dictionary::new_entry() {
    if (entries_left_ == 0) {
        entry_blocks_.push_back(std::make_unique<NEMA_db_Entry[]>(Entry_Block));
        entries_left_ = Entry_Block;
    }
    return entry_blocks_.back()[Entry_Block - entries_left_--];
}

const char* NEMA_db_Dictionary::keep_name(std::string_view name) {
    name = name.substr(0, Name_Max);
    if (name.empty()) return "";
    if (name.size() + 1 > name_room_) {
        name_blocks_.push_back(std::make_unique_for_overwrite<char[]>(Name_Block));
        name_room_ = Name_Block;
    }
    char* kept = name_blocks_.back().get() + (Name_Block - name_room_);
    name.copy(kept, name.size());
    kept[name.size()] = '\0';
    name_room_ -= name.size() + 1;
    return kept;
}

// The first node whose group, under the new entry's mask, is the entry's; a new node in order
// when none is.
std::size_t NEMA_db_Dictionary::node_for(uint16_t group, uint16_t group_mask) {
    const uint16_t masked = group & group_mask;
    if (last_known_ && last_mask_ == group_mask && last_group_ == masked) return last_node_;
    auto node = std::find_if(groups_.begin(), groups_.end(), [&](const NEMA_db_Group& g) {
        return (g.group & group_mask) == masked;
    });
    if (node == groups_.end()) {
        auto place = std::find_if(groups_.begin(), groups_.end(), [&](const NEMA_db_Group& g) {
            return (g.group & g.group_mask) > masked;
        });
        node = groups_.insert(place, NEMA_db_Group{group, group_mask, {}});
    }
    last_node_ = static_cast<std::size_t>(node - groups_.begin());
    last_group_ = masked;
    last_mask_ = group_mask;
    last_known_ = true;
    return last_node_;
}

int NEMA_db_Dictionary::insert(uint16_t group, uint16_t element, uint16_t group_mask,
                               uint16_t element_mask, std::string_view name, int count,
                               const char* const* vr, const char* const* vm) {
    auto& entries = groups_[node_for(group, group_mask)].entries;
    auto place = std::lower_bound(entries.begin(), entries.end(), element,
                                  [](const NEMA_db_Entry* entry, uint16_t e) { return entry->element < e; });
    if (place != entries.end() && (*place)->element == element) {
        DICOM_Warning(nullptr, "duplicate tag (%04x,%04x) in definition file", group, element);
        return 0;
    }

    NEMA_db_Entry& entry = new_entry();
    entry.group = group;
    entry.element = element;
    entry.element_mask = element_mask;
    const int pairs = std::min(std::abs(count), 3);
    entry.count = static_cast<int8_t>(count < 0 ? -pairs : pairs);
    entry.name = keep_name(name);
    entry.vr[0] = Code_RT;
    entry.vm[0][0] = 0xFFFF;
    for (int i = 0; i < pairs; ++i) {
        entry.vr[i] = VR_From_Text(vr != nullptr ? vr[i] : nullptr);
        VM_From_Text(vm != nullptr ? vm[i] : nullptr, entry.vm[i]);
    }
    entries.insert(place, &entry);
    return 1;
}

void NEMA_db_Dictionary::build_index() {
    const std::size_t node_count = groups_.size();
    elements_.assign(node_count, {});
    repeating_.assign(node_count, {});
    std::vector<std::pair<uint16_t, uint16_t>> matches;  // (even group / 2, node)
    for (std::size_t n = 0; n < node_count; ++n) {
        const NEMA_db_Group& node = groups_[n];
        for (const NEMA_db_Entry* entry : node.entries) {
            elements_[n].push_back(entry->element);
            if (entry->element_mask != 0xFFFF) repeating_[n].push_back(entry);
        }
        // Every even group the node answers for: its fixed digits with any free digits.
        const uint16_t fixed = node.group & node.group_mask;
        const uint16_t free = static_cast<uint16_t>(~node.group_mask);
        for (uint16_t bits = free;; bits = (bits - 1) & free) {
            const uint16_t group = fixed | bits;
            if ((group & 1) == 0) matches.emplace_back(group >> 1, static_cast<uint16_t>(n));
            if (bits == 0) break;
        }
    }
    std::sort(matches.begin(), matches.end());

    // The walk stops at a node whose masked group lies above the requested one: nodes
    // matching only beyond that point are never searched.
    group_first_.assign(0x8001, 0);
    group_nodes_.clear();
    for (std::size_t i = 0; i < matches.size();) {
        const uint16_t half = matches[i].first;
        const uint16_t group = static_cast<uint16_t>(half << 1);
        std::size_t n = 0;
        for (; i < matches.size() && matches[i].first == half; ++i) {
            for (; n < matches[i].second; ++n)
                if ((group & groups_[n].group_mask) < (groups_[n].group & groups_[n].group_mask)) break;
            if (n < matches[i].second) continue;
            group_nodes_.push_back(matches[i].second);
            ++group_first_[half + 1];
        }
    }
    for (std::size_t h = 1; h < group_first_.size(); ++h) group_first_[h] += group_first_[h - 1];
    build_exact_index();
}

namespace {

uint32_t Tag_Key(uint16_t group, uint16_t element) { return (uint32_t{group} << 16) | element; }

std::size_t exact_slot_of(uint32_t key, unsigned shift) {
    return static_cast<std::size_t>((key * 0x9E3779B1u) >> shift);
}

}  // namespace

void NEMA_db_Dictionary::build_exact_index() {
    std::size_t fixed = 0;
    for (const NEMA_db_Group& node : groups_) {
        if (node.group_mask == 0xFFFF) fixed += node.entries.size();
    }
    // At most five eighths full, so a probe ends soon at an empty slot, and the table stays
    // small: it is made at the first lookup, while the first file waits.
    unsigned bits = 4;
    while ((std::size_t{1} << bits) * 5 < fixed * 8) ++bits;
    exact_shift_ = 32 - bits;
    exact_.assign(std::size_t{1} << bits, Exact_Slot{});
    const std::size_t last = exact_.size() - 1;
    for (const NEMA_db_Group& node : groups_) {
        if (node.group_mask != 0xFFFF || (node.group & 1)) continue;
        for (const NEMA_db_Entry* entry : node.entries) {
            if (entry->element_mask != 0xFFFF) continue;
            const uint32_t key = Tag_Key(node.group, entry->element);
            std::size_t slot = exact_slot_of(key, exact_shift_);
            while (exact_[slot].tag_plus_one != 0 && exact_[slot].tag_plus_one != key + 1) slot = (slot + 1) & last;
            // The walk's answer, which an earlier node may give instead of this entry.
            exact_[slot] = {key + 1, walk(node.group, entry->element)};
        }
    }
}

const NEMA_db_Entry* NEMA_db_Dictionary::find_in_group(std::size_t node, uint16_t element) const {
    const std::vector<uint16_t>& elements = elements_[node];
    auto at = std::lower_bound(elements.begin(), elements.end(), element);
    if (at != elements.end() && *at == element) return groups_[node].entries[at - elements.begin()];
    for (const NEMA_db_Entry* entry : repeating_[node]) {
        if (entry->element > element) break;
        if ((element & entry->element_mask) == entry->element) return entry;
    }
    return nullptr;
}

const NEMA_db_Entry* NEMA_db_Dictionary::find(uint16_t group, uint16_t element) const {
    if ((group & 1) || group_first_.empty()) return nullptr;
    const uint32_t key = Tag_Key(group, element);
    const std::size_t last = exact_.size() - 1;
    for (std::size_t slot = exact_slot_of(key, exact_shift_); exact_[slot].tag_plus_one != 0; slot = (slot + 1) & last) {
        if (exact_[slot].tag_plus_one == key + 1) return exact_[slot].entry;
    }
    return walk(group, element);
}

const NEMA_db_Entry* NEMA_db_Dictionary::walk(uint16_t group, uint16_t element) const {
    const std::size_t half = group >> 1;
    for (uint32_t i = group_first_[half]; i < group_first_[half + 1]; ++i)
        if (const NEMA_db_Entry* entry = find_in_group(group_nodes_[i], element)) return entry;
    return nullptr;
}

std::size_t NEMA_db_Dictionary::size() const {
    std::size_t total = 0;
    for (const NEMA_db_Group& node : groups_) total += node.entries.size();
    return total;
}

void NEMA_db_Dictionary::clear() {
    groups_.clear();
    group_first_.clear();
    group_nodes_.clear();
    elements_.clear();
    repeating_.clear();
    exact_.clear();
    entry_blocks_.clear();
    entries_left_ = 0;
    name_blocks_.clear();
    name_room_ = 0;
    last_known_ = false;
}
