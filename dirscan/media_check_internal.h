// What the media check's steps share: the records as read, and the findings as they are made.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "dicom/record_types.h"
#include "dirscan/media_check.h"

inline constexpr uint32_t Media_Tag(uint16_t group, uint16_t element) {
    return static_cast<uint32_t>(group) << 16 | element;
}

struct Media_Record {
    uint32_t offset = 0;                  // of its item tag, from the start of the file
    uint32_t next = 0, lower = 0;         // (0004,1400), (0004,1420); 0 for none
    bool active = true;                   // (0004,1410) is not 0000H
    std::string type;                     // (0004,1430), blanks removed
    std::map<uint32_t, std::string> values;  // every element of the record, text values trimmed
    int parent = -1;                      // record that reached it through its lower offset
    bool reached = false;                 // from the root by the offsets
    std::vector<int> children;            // in chain order
    // Type 1 keys missing or empty: a fault of the DICOMDIR only when a file below has a value.
    std::vector<uint32_t> empty_keys;
    // Whether the record holds the element (empty or not).
    bool has(uint32_t tag) const { return values.count(tag) != 0; }
    // The element's value, empty when absent.
    std::string value(uint32_t tag) const {
        const auto found = values.find(tag);
        return found == values.end() ? std::string() : found->second;
    }
};

struct Media_Directory {
    uint32_t first = 0, last = 0;         // (0004,1200), (0004,1202)
    std::vector<Media_Record> records;    // in file order
    std::vector<int> roots;               // records of the root chain, in chain order
    uint64_t size = 0;                    // of the DICOMDIR file
    // Where the file ended too early (or its data set could not be read further), else nullopt:
    // offsets from there on were lost, not wrong.
    std::optional<uint64_t> cut_at;
    // The index of the record at offset, or -1.
    int at(uint32_t offset) const;
};

// Collects findings, each once.
class Check_Report {
public:
    explicit Check_Report(std::vector<Check_Finding>& findings) : findings_(findings) {}
    void error(const std::string& text, const Media_Record* record = nullptr, const std::string& file = {},
               uint32_t tag = 0) {
        add(false, text, record, file, tag);
    }
    void warning(const std::string& text, const Media_Record* record = nullptr, const std::string& file = {},
                 uint32_t tag = 0) {
        add(true, text, record, file, tag);
    }
    // Whether a finding names file already.
    bool concerns(const std::string& file) const;

private:
    void add(bool warning, const std::string& text, const Media_Record* record, const std::string& file, uint32_t tag);
    std::vector<Check_Finding>& findings_;
    // Media full of faults must not make each finding cost a pass over all the others.
    std::set<std::tuple<std::string, std::string, int64_t, uint32_t>> known_;
    std::set<std::string> files_;
};

// "Patient ID (0010,0020)", or "(0011,0010)" for an element the dictionary does not name.
std::string Media_Tag_Name(uint32_t tag);

// Reads the DICOMDIR's bytes: the meta header and every record. false when it is no DICOMDIR
// at all (reported); records read before a fault are kept.
bool Media_Read(const std::vector<uint8_t>& bytes, Media_Directory& directory, Check_Report& report);

// Follows the offsets from the root: parents, children, records reached; loops, stray offsets,
// orphans; record types, their keys and the records each type may hold.
void Media_Check_Structure(Media_Directory& directory, Check_Report& report);

// The files the records reference, compared with the records, and the DICOM files below the
// folder that no record references. Returns the number of DICOM files below the folder.
int Media_Check_Files(const std::string& folder, Media_Directory& directory, Check_Report& report);

// What viewers trip on in the records alone.
void Media_Check_Viewers(const Media_Directory& directory, Check_Report& report);
