// Finding a tree's nodes by a text key: an open-addressing table of small entries (a child's
// position, a node's address) whose keys are read back from the nodes, so that no key is
// stored twice and a million images cost a few bytes each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// Entry{} marks a free slot and is never stored. key_of(entry) gives the key of an entry.
template <typename Entry>
class Dir_Key_Table {
public:
    // The entry whose key is key; Entry{} when there is none.
    template <typename Key_Of>
    Entry find(std::string_view key, const Key_Of& key_of) const {
        if (slots_.empty()) return Entry{};
        for (std::size_t at = hash(key) & mask();; at = (at + 1) & mask()) {
            const Entry entry = slots_[at];
            if (entry == Entry{} || key_of(entry) == key) return entry;
        }
    }
    // Adds entry under key, which no entry has yet.
    template <typename Key_Of>
    void insert(Entry entry, std::string_view key, const Key_Of& key_of) {
        // At most three quarters full: a search for a missing key stays short.
        if (4 * (count_ + 1) > 3 * slots_.size()) grow(key_of);
        place(entry, key);
        ++count_;
    }
    std::size_t size() const { return count_; }

private:
    static std::size_t hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
    std::size_t mask() const { return slots_.size() - 1; }

    void place(Entry entry, std::string_view key) {
        std::size_t at = hash(key) & mask();
        while (slots_[at] != Entry{}) at = (at + 1) & mask();
        slots_[at] = entry;
    }
    template <typename Key_Of>
    void grow(const Key_Of& key_of) {
        std::vector<Entry> old(slots_.empty() ? 8 : 2 * slots_.size(), Entry{});
        old.swap(slots_);
        for (const Entry entry : old)
            if (entry != Entry{}) place(entry, key_of(entry));
    }

    std::vector<Entry> slots_;
    std::size_t count_ = 0;
};
