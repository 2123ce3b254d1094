// One data dictionary: entries grouped as in the text tables, plus the index that makes a
// lookup one table read and one bisection. NEMA_db_Get works on the process-wide instance; tests
// build their own from hand-written lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "dicom/dictionary.h"

class NEMA_db_Dictionary {
public:
    // Parses lines in the PS 3.6 layout and adds their entries. A syntax error is reported
    // and ends the table; entries added before it stay. Returns the number added. Without
    // index the lookup index is left stale, for a caller that reads more tables right after.
    int read_table(const char* const* lines, std::size_t line_count, bool index = true);

    // Adds one entry (abs(count) VR and VM texts); 0 and a warning when the tag is present.
    int add(uint16_t group, uint16_t element, uint16_t group_mask, uint16_t element_mask,
            std::string_view name, int count, const char* const* vr, const char* const* vm);

    // The entry the ordered walk over groups and elements finds: in each matching group an
    // equal element first, then a repeating element whose unmasked digits agree.
    const NEMA_db_Entry* find(uint16_t group, uint16_t element) const;

    const std::vector<NEMA_db_Group>& groups() const { return groups_; }
    std::size_t size() const;
    void clear();

private:
    int insert(uint16_t group, uint16_t element, uint16_t group_mask, uint16_t element_mask,
               std::string_view name, int count, const char* const* vr, const char* const* vm);
    void build_index();
    const NEMA_db_Entry* find_in_group(std::size_t node, uint16_t element) const;
    const NEMA_db_Entry* walk(uint16_t group, uint16_t element) const;
    void build_exact_index();
    NEMA_db_Entry& new_entry();
    const char* keep_name(std::string_view name);
    std::size_t node_for(uint16_t group, uint16_t group_mask);

    std::vector<NEMA_db_Group> groups_;  // ascending masked group

    // Entries and names in blocks, at fixed addresses until clear(): one allocation for many
    // entries, and the entries of a table side by side.
    std::vector<std::unique_ptr<NEMA_db_Entry[]>> entry_blocks_;
    std::size_t entries_left_ = 0;  // unused entries at the end of the last block
    std::vector<std::unique_ptr<char[]>> name_blocks_;
    std::size_t name_room_ = 0;  // unused bytes at the end of the last block

    // The node the last entry went to: lines come grouped, so the next one mostly goes there too.
    std::size_t last_node_ = 0;
    uint16_t last_group_ = 0, last_mask_ = 0;
    bool last_known_ = false;

    // Index, rebuilt after every addition. For each even group (number / 2), the nodes the
    // ordered walk searches, in walk order: group_nodes_[group_first_[g] .. group_first_[g + 1]).
    std::vector<uint32_t> group_first_;
    std::vector<uint16_t> group_nodes_;
    std::vector<std::vector<uint16_t>> elements_;               // per node: its entries' elements
    std::vector<std::vector<const NEMA_db_Entry*>> repeating_;  // per node: masked elements

    // What the walk answers for every tag of a fixed group and element, by open addressing on
    // the whole tag: most lookups are of such tags, and then cost one hash and a probe or two.
    struct Exact_Slot {
        uint32_t tag_plus_one = 0;  // 0 for an empty slot
        const NEMA_db_Entry* entry = nullptr;
    };
    std::vector<Exact_Slot> exact_;  // the tag and its answer on one cache line
    unsigned exact_shift_ = 0;
};
