// The patient / study / series / image tree of one folder: one node per directory record.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dicom/tag.h"
#include "util/log.h"

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
    int32_t length = 0;
    std::unique_ptr<uint8_t[]> data;  // length bytes when loaded; none for a value left on disk

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

// One node. Level 0 is the root, 1 a patient, 2 a study, 3 a series, 4 an image.
struct Dir_Item {
    std::string path;  // root: the folder

    uint32_t start = 0, first = 0, last = 0;                // root: record offsets
    uint32_t record_size = 0, branch_size = 0, offset = 0;  // levels 1-4

    // Children in order of insertion. A deque never moves its elements, so the lookup index can
    // refer to the children's keys.
    std::deque<Dir_Item> child;
    // First child per match key: the same answer as a search of child from the front.
    std::unordered_map<std::string_view, uint32_t> index;
    std::string key;  // this node's match key in its parent's index

    Dir_Tag patient_name, patient_id;  // level 1
    Dir_Tag uid;                       // levels 2, 3: Study / Series Instance UID
    std::string file_name;             // level 4: relative name, "\" between components
    Dir_Tag sop_class_uid, sop_instance_uid, transfer_syntax_uid, image_uid;  // level 4
    std::vector<Dir_Tag> tag;          // configured attributes of the level, in list order

    int32_t nb_child() const { return static_cast<int32_t>(child.size()); }
};

// Sorts one file's data set into the tree below dir_list. Returns 1 when the image is in the
// tree afterwards (added, or a duplicate already there), 0 when the file was refused.
// A missing data set (the file could not be read) is refused like one without Patient's Name.
int Kestrapol_Add_Image(Win_Handle window, const std::string& name, DICOM_Tag_List* set, Dir_Item* dir_list);

// Copies attribute into slot (empties the slot for nullptr). Returns 1.
int DICOMDIR_Tag_Copy(Dir_Tag* slot, const DICOM_Tag* attribute);

// Logs one line per node below node, in the order the writer writes them. Returns 1.
int Kestrapol_Dump(Win_Handle window, int kind, Dir_Item* node, int depth);

// Releases everything below the root and its index; the path stays.
void Kestrapol_Tree_Release(Dir_Item* root);
