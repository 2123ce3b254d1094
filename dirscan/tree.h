// The patient / study / series / image tree of one folder: one node per directory record.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dicom/tag.h"
#include "dirscan/tree_arena.h"
#include "util/log.h"
#include "util/platform_file.h"

// A stored copy of one attribute: what a directory record needs of it and nothing more.
// group 0 marks an empty slot (the attribute was not in the file).
struct Dir_Tag {
    uint16_t group = 0;
    uint16_t element = 0;
    uint16_t vr = 0;       // VR found in the stream, 0 when implicit
    uint16_t vr_def = 0;   // VR from the dictionary
    uint16_t flags = 0;
    uint16_t type = 0;
    uint8_t syntax = 0;
    // data holds the whole element as a record carries it (a sequence with its items), length bytes.
    // (Beside syntax: every image holds several slots, and here it costs no padding.)
    bool encoded = false;
    int32_t length = 0;
    // length bytes when loaded, none for a value left on disk. They belong to the tree's arena
    // (or, outside a tree, to whoever set them), so a copy of the slot shares them.
    const uint8_t* data = nullptr;

    bool empty() const { return group == 0; }
    bool loaded() const { return data != nullptr || length == 0; }
    uint16_t effective_vr() const { return vr != 0 ? vr : vr_def; }
};

// Attribute lists per record level, in configuration order: the slots of each new node.
struct Dir_Tag_Selection {
    std::vector<uint16_t> group;
    std::vector<uint16_t> element;
};
struct Dir_Tag_Lists {
    Dir_Tag_Selection patient, study, series, image;
};
// Set by the driver from the configuration before each folder.
extern Dir_Tag_Lists Kestrapol_Tag_Lists;

// Counters of nodes created, cleared by the driver before each folder.
extern int32_t nb_patients, nb_studies, nb_series, nb_images;

struct Dir_Item;

// Children of a node in order of insertion. Each child lives in the tree's arena and never
// moves (the lookup index refers to the children's keys); an image, which has no children,
// costs one empty vector.
class Dir_Children {
public:
    template <typename Item, typename Base>
    class Iterator {
    public:
        explicit Iterator(Base at) : at_(at) {}
        Item& operator*() const { return **at_; }
        Item* operator->() const { return *at_; }
        Iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator==(const Iterator& other) const { return at_ == other.at_; }

    private:
        Base at_;
    };
    using Items = std::pmr::vector<Dir_Item*>;
    using iterator = Iterator<Dir_Item, Items::iterator>;
    using const_iterator = Iterator<const Dir_Item, Items::const_iterator>;

    explicit Dir_Children(std::pmr::memory_resource* arena) : items_(arena) {}

    // A new last child, made in the arena.
    Dir_Item& emplace_back();
    Dir_Item& operator[](std::size_t i) { return *items_[i]; }
    const Dir_Item& operator[](std::size_t i) const { return *items_[i]; }
    Dir_Item& front() { return *items_.front(); }
    const Dir_Item& front() const { return *items_.front(); }
    Dir_Item& back() { return *items_.back(); }
    const Dir_Item& back() const { return *items_.back(); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // Puts the children in the order of less (stable); the match index is not kept up to date, so
    // only for a tree that takes no more files.
    template <typename Less>
    void sort(Less less) {
        std::stable_sort(items_.begin(), items_.end(), [&less](Dir_Item* a, Dir_Item* b) { return less(*a, *b); });
    }
    // Forgets the children; their memory goes with the arena.
    void clear() { Items(items_.get_allocator()).swap(items_); }
    iterator begin() { return iterator(items_.begin()); }
    iterator end() { return iterator(items_.end()); }
    const_iterator begin() const { return const_iterator(items_.begin()); }
    const_iterator end() const { return const_iterator(items_.end()); }

private:
    Items items_;
};

// One node. Level 0 is the root, 1 a patient, 2 a study, 3 a series, 4 an image.
// The root owns the arena of its tree: every node below, its texts and its values live there,
// are never destroyed one by one, and go with the root.
struct Dir_Item {
    Dir_Item();  // a root, with an arena of its own
    explicit Dir_Item(std::pmr::memory_resource* arena);  // a node of the tree that owns arena
    Dir_Item(Dir_Item&&) = default;

    std::unique_ptr<Tree_Arena> own_arena;  // root only
    std::pmr::memory_resource* arena;
    std::string path;  // root: the folder
    // Root: the folder held open while it is converted (not owned; none: opened when writing),
    // and when its walk began (seconds since 1970; 0: when writing).
    Platform_File folder = No_Platform_File;
    int64_t started = 0;

    uint32_t start = 0, first = 0, last = 0;                // root: record offsets
    uint32_t record_size = 0, branch_size = 0, offset = 0;  // levels 1-4

    Dir_Children child;
    // First child per match key, made with the first child: the same answer as a search of child
    // from the front. The keys are views into the children, which never move.
    using Index = std::pmr::unordered_map<std::string_view, uint32_t>;
    Index* index = nullptr;
    // Root: every image by its Referenced SOP Instance UID, a view of the image's own bytes.
    using Reference_Index = std::pmr::unordered_map<std::string_view, const Dir_Item*>;
    Reference_Index* references = nullptr;
    // Patients: the match key, name and ID. Other levels match on their UID's first value, kept
    // here only when it is not the start of the UID's bytes.
    std::pmr::string key;

    Dir_Tag patient_name, patient_id;  // level 1
    // Level 2 Study Instance UID, level 3 Series Instance UID, level 4 SOP Instance UID (0008,0018).
    Dir_Tag uid;
    std::pmr::string file_name;        // level 4: relative name, "\" between components
    Dir_Tag sop_class_uid, sop_instance_uid, transfer_syntax_uid;  // level 4: (0002,0002), (0002,0003), (0002,0010)
    std::pmr::vector<Dir_Tag> tag;     // configured attributes of the level, in list order
    // Level 4: the record type when it is not IMAGE (one of the standard's names, unpadded).
    std::string_view record_type;

    int32_t nb_child() const { return static_cast<int32_t>(child.size()); }
};

inline Dir_Item::Dir_Item() : own_arena(std::make_unique<Tree_Arena>()), arena(own_arena.get()), child(arena), key(arena), file_name(arena), tag(arena) {}

inline Dir_Item::Dir_Item(std::pmr::memory_resource* arena)
    : arena(arena), child(arena), key(arena), file_name(arena), tag(arena) {}

inline Dir_Item& Dir_Children::emplace_back() {
    std::pmr::memory_resource* arena = items_.get_allocator().resource();
    Dir_Item* item = new (arena->allocate(sizeof(Dir_Item), alignof(Dir_Item))) Dir_Item(arena);
    return *items_.emplace_back(item);
}

// Sorts one file's data set into the tree below dir_list. Returns 1 when the image is in the
// tree afterwards (added, or a duplicate already there), 0 when the file was refused.
// A missing data set (the file could not be read) is refused like one without Patient's Name.
int Kestrapol_Add_Image(Win_Handle window, const std::string& name, DICOM_Tag_List* set, Dir_Item* dir_list);

// The top-level elements of set that Kestrapol_Add_Image looks at (the record keys and the
// configured attributes), moved out in their order: the tree comes out the same from them as
// from the whole set.
// keys: Kestrapol_Image_Keys() for the current configuration.
// part is emptied first; its storage is reused.
void Kestrapol_Image_Part(DICOM_Tag_List& set, const std::vector<uint32_t>& keys, DICOM_Tag_List& part);
std::vector<uint32_t> Kestrapol_Image_Keys();

// Copies attribute into slot (empties the slot for nullptr), its value into arena. Returns 1.
// held: the value's bytes already in arena, which the slot then points to instead of a copy.
int DICOMDIR_Tag_Copy(Dir_Tag* slot, const DICOM_Tag* attribute, std::pmr::memory_resource* arena,
                      const uint8_t* held = nullptr);

// Logs one line per node below node, in the order the writer writes them. Returns 1.
int Kestrapol_Dump(Win_Handle window, int kind, Dir_Item* node, int depth);

