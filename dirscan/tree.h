// The patient / study / series / image tree of one folder: one node per directory record.
//
// A folder of a million files makes a million image nodes, so a node holds only what every
// level needs; what the root alone needs is in Dir_Item, and an image's configured values are
// kept as the bytes its record will carry.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <memory_resource>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "dicom/record_types.h"
#include "dicom/tag.h"
#include "dirscan/tree_arena.h"
#include "dirscan/tree_index.h"
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
    uint8_t syntax = 0;
    // data holds the whole element as a record carries it (a sequence with its items), length bytes.
    bool encoded = false;
    int32_t length = 0;
    // length bytes when loaded, none for a value left on disk. They belong to the tree's arena
    // (or, outside a tree, to whoever set them), so a copy of the slot shares them.
    const uint8_t* data = nullptr;

    bool empty() const { return group == 0; }
    bool loaded() const { return data != nullptr || length == 0; }
    uint16_t effective_vr() const { return vr != 0 ? vr : vr_def; }
};

// Views the tree keeps five of per image: 12 bytes each, aligned to 4, instead of 16.
#pragma pack(push, 4)

// A UID that names the file of a record ((0004,1510) to (0004,1512)): its bytes without padding.
struct Dir_Reference {
    const uint8_t* data = nullptr;
    int32_t length = 0;

    bool empty() const { return data == nullptr || length <= 0; }
    std::string_view text() const {
        return empty() ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    }
};

// A text of the tree: a view of bytes in its arena (or, outside a tree, of whoever set it).
class Dir_Text {
public:
    // Copies text into arena, followed by a zero byte.
    void assign(std::string_view text, std::pmr::memory_resource* arena) {
        auto* copy = static_cast<char*>(arena->allocate(text.size() + 1, 1));
        std::copy(text.begin(), text.end(), copy);
        copy[text.size()] = '\0';
        data_ = copy;
        size_ = static_cast<uint32_t>(text.size());
    }
    // Views bytes that stay as long as the tree (no zero byte after them: no c_str).
    void view(std::string_view text) {
        data_ = text.data();
        size_ = static_cast<uint32_t>(text.size());
    }
    operator std::string_view() const { return {data_, size_}; }
    std::string_view substr(std::size_t at, std::size_t count = std::string_view::npos) const {
        return std::string_view(*this).substr(at, count);
    }
    // Only for texts made by assign.
    const char* c_str() const { return size_ != 0 ? data_ : ""; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    bool operator==(std::string_view other) const { return std::string_view(*this) == other; }

private:
    const char* data_ = nullptr;
    uint32_t size_ = 0;
};

#pragma pack(pop)

// The record type of a record that references a file, when it is not PATIENT or IMAGE: one of
// the standard's (static) types, so a node keeps only its address.
class Dir_Record_Type {
public:
    Dir_Record_Type& operator=(const Record_Type& type) {
        type_ = &type;
        return *this;
    }
    bool empty() const { return type_ == nullptr || type_->name.empty(); }
    // Unpadded, as the standard names it; empty for PATIENT or IMAGE.
    std::string_view name() const { return type_ != nullptr ? type_->name : std::string_view(); }

private:
    const Record_Type* type_ = nullptr;
};

// The configured attributes of a record: a vector made on first use, so that a node without
// any (an image keeps its values as bytes) costs one pointer.
class Dir_Slots {
public:
    Dir_Tag& operator[](std::size_t i) { return (*slots_)[i]; }
    const Dir_Tag& operator[](std::size_t i) const { return (*slots_)[i]; }
    std::size_t size() const { return slots_ ? slots_->size() : 0; }
    bool empty() const { return size() == 0; }
    Dir_Tag* begin() { return slots_ ? slots_->data() : nullptr; }
    Dir_Tag* end() { return begin() + size(); }
    const Dir_Tag* begin() const { return slots_ ? slots_->data() : nullptr; }
    const Dir_Tag* end() const { return begin() + size(); }
    void push_back(const Dir_Tag& slot) { made().push_back(slot); }
    Dir_Tag& emplace_back() { return made().emplace_back(); }
    void resize(std::size_t size) { made().resize(size); }
    void clear() { slots_.reset(); }
    // Trades storage with other (a vector kept for reuse).
    void swap(std::vector<Dir_Tag>& other) { made().swap(other); }

private:
    std::vector<Dir_Tag>& made() {
        if (!slots_) slots_ = std::make_unique<std::vector<Dir_Tag>>();
        return *slots_;
    }
    std::unique_ptr<std::vector<Dir_Tag>> slots_;
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

struct Dir_Node;

// Children of a node in order of insertion. Each child lives in the tree's arena and never
// moves; the list of them is the node's own, and goes (with the children) with it. An image,
// which has no children, costs 16 bytes here.
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
    using iterator = Iterator<Dir_Node, Dir_Node* const*>;
    using const_iterator = Iterator<const Dir_Node, Dir_Node* const*>;

    Dir_Children() = default;
    ~Dir_Children() { clear(); }
    Dir_Children(Dir_Children&& other) noexcept : items_(other.items_), size_(other.size_), capacity_(other.capacity_) {
        other.items_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    Dir_Children(const Dir_Children&) = delete;
    Dir_Children& operator=(const Dir_Children&) = delete;

    // Adds node (made in the tree's arena) as the last child; the list now destroys it.
    Dir_Node& push_back(Dir_Node* node);
    Dir_Node& operator[](std::size_t i) { return *items_[i]; }
    const Dir_Node& operator[](std::size_t i) const { return *items_[i]; }
    Dir_Node& front() { return *items_[0]; }
    const Dir_Node& front() const { return *items_[0]; }
    Dir_Node& back() { return *items_[size_ - 1]; }
    const Dir_Node& back() const { return *items_[size_ - 1]; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Puts the children in the order of less (stable); the match index is not kept up to date, so
    // only for a tree that takes no more files.
    template <typename Less>
    void sort(Less less) {
        std::stable_sort(items_, items_ + size_, [&less](const Dir_Node* a, const Dir_Node* b) { return less(*a, *b); });
    }
    // Destroys the children; their memory goes with the arena.
    void clear();
    iterator begin() { return iterator(items_); }
    iterator end() { return iterator(items_ + size_); }
    const_iterator begin() const { return const_iterator(items_); }
    const_iterator end() const { return const_iterator(items_ + size_); }

private:
    Dir_Node** items_ = nullptr;  // from the C heap, so that growing gives the old room back
    uint32_t size_ = 0, capacity_ = 0;
};

// One node below the root. Level 1 is a patient (or a record of the root directory entity that
// references a file), 2 a study, 3 a series, 4 an image. Its texts and values live in the
// tree's arena.
struct Dir_Node {
    explicit Dir_Node(std::pmr::memory_resource* arena) : arena(arena) {}
    Dir_Node(Dir_Node&&) = default;

    // A new last child, made in the arena.
    Dir_Node& add_child() {
        return child.push_back(new (arena->allocate(sizeof(Dir_Node), alignof(Dir_Node))) Dir_Node(arena));
    }
    // The child whose match key is key, or nullptr.
    Dir_Node* find_child(std::string_view key);
    // Makes key the match key of the last child: a view of its UID's bytes when it is their
    // start, else a copy.
    void index_last_child(std::string_view key);
    // Copies the loaded bytes of attribute (nullptr: none) into uid.
    void set_uid(const DICOM_Tag* attribute);
    int32_t nb_child() const { return static_cast<int32_t>(child.size()); }

    std::pmr::memory_resource* arena;
    Dir_Children child;
    uint32_t record_size = 0, branch_size = 0;
    // Level 2 Study Instance UID, level 3 Series Instance UID, level 4 SOP Instance UID (0008,0018):
    // its bytes as the file holds them, padding included (none when they were not read).
    Dir_Text uid;
    // Patients: name and ID joined by a byte neither can hold. Other levels: their UID's first value.
    Dir_Text key;
    Dir_Text file_name;  // records that reference a file: relative name, "\" between components
    Dir_Reference sop_class_uid, sop_instance_uid, transfer_syntax_uid;  // from (0002,0002), (0002,0003), (0002,0010)
    uint32_t values_size = 0;  // bytes at values
    // Configured attributes of the level, in list order; an image's are kept in values instead,
    // as the bytes its record carries (written before any slot here), in the arena.
    Dir_Slots tag;
    const uint8_t* values = nullptr;
    Dir_Record_Type record_type;
    // Children by match key, made with the first child.
    std::unique_ptr<Dir_Key_Table<uint32_t>> index;
};

// The root owns the arena of its tree.
struct Dir_Arena_Owner {
    std::unique_ptr<Tree_Arena> own_arena = std::make_unique<Tree_Arena>();
};

// The root: the folder, and the tree below it.
struct Dir_Item : Dir_Arena_Owner, Dir_Node {
    Dir_Item() : Dir_Node(own_arena.get()) {}
    Dir_Item(Dir_Item&&) = default;

    // The image (or root record) whose Referenced SOP Instance UID is uid, or nullptr.
    const Dir_Node* referenced(std::string_view uid) const;
    void add_reference(const Dir_Node& node);
    // Gives back every record below the root, with their lookup tables. The arena's blocks stay
    // until the root goes.
    void release_records();

    std::string path;  // the folder
    // The folder held open while it is converted (not owned; none: opened when writing), and
    // when its walk began (seconds since 1970; 0: when writing).
    Platform_File folder = No_Platform_File;
    int64_t started = 0;
    uint32_t start = 0, first = 0, last = 0;  // record offsets

private:
    std::unique_ptr<Dir_Key_Table<const Dir_Node*>> references_;
};

inline Dir_Node& Dir_Children::push_back(Dir_Node* node) {
    if (size_ == capacity_) {
        const uint32_t capacity = capacity_ == 0 ? 1 : capacity_ * 2;
        void* grown = std::realloc(items_, capacity * sizeof(Dir_Node*));  // pointers move as bytes
        if (grown == nullptr) {
            node->~Dir_Node();
            throw std::bad_alloc();
        }
        items_ = static_cast<Dir_Node**>(grown);
        capacity_ = capacity;
    }
    items_[size_++] = node;
    return *node;
}

inline void Dir_Children::clear() {
    for (uint32_t i = 0; i < size_; ++i) items_[i]->~Dir_Node();
    std::free(items_);
    items_ = nullptr;
    size_ = capacity_ = 0;
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
int DICOMDIR_Tag_Copy(Dir_Tag* slot, const DICOM_Tag* attribute, std::pmr::memory_resource* arena);

// Logs one line per node below node, in the order the writer writes them. Returns 1.
int Kestrapol_Dump(Win_Handle window, int kind, Dir_Node* node, int depth);
