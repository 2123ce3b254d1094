// The records as the offsets link them: every chain followed once from the root, each record
// reached at most once, so that no offset, however crafted, makes the walk loop.
#include <algorithm>
#include <string_view>
#include <utility>

#include "dirscan/media_check_internal.h"

namespace {

// Record types the root may hold.
constexpr std::string_view Root_Types[] = {"PATIENT", "TOPIC", "HANGING PROTOCOL", "PALETTE",
                                           "IMPLANT", "IMPLANT ASSY", "IMPLANT GROUP", "PRIVATE"};

constexpr uint32_t Next_Tag = Media_Tag(0x0004, 0x1400);
constexpr uint32_t Lower_Tag = Media_Tag(0x0004, 0x1420);
constexpr uint32_t First_Tag = Media_Tag(0x0004, 0x1200);
constexpr uint32_t Patient_Name_Tag = Media_Tag(0x0010, 0x0010);

// "an IMAGE record", "a STUDY record".
std::string a_record(std::string_view type) {
    const bool vowel = !type.empty() && std::string_view("AEIOU").find(type[0]) != std::string_view::npos;
    return std::string(vowel ? "an " : "a ") + std::string(type) + " record";
}

class Linker {
public:
    Linker(Media_Directory& directory, Check_Report& report) : d_(directory), report_(report) {}

    void link() {
        std::vector<std::pair<uint32_t, int>> chains{{d_.first, -1}};
        while (!chains.empty()) {
            const auto [first, parent] = chains.back();
            chains.pop_back();
            int pointing = parent;  // the record whose offset leads to the current one
            uint32_t tag = parent < 0 ? First_Tag : Lower_Tag;
            for (uint32_t offset = first; offset != 0;) {
                const int index = follow(offset, pointing, tag);
                if (index < 0) break;
                Media_Record& record = d_.records[index];
                record.reached = true;
                record.parent = parent;
                (parent < 0 ? d_.roots : d_.records[parent].children).push_back(index);
                if (record.lower != 0) chains.emplace_back(record.lower, index);
                pointing = index;
                tag = Next_Tag;
                offset = record.next;
            }
        }
    }

    void orphans() const {
        if (d_.cut_at) return;  // records pointed at from the lost part would look orphaned
        std::vector<bool> pointed(d_.records.size(), false);
        for (const Media_Record& record : d_.records)
            for (uint32_t offset : {record.next, record.lower})
                if (const int index = offset ? d_.at(offset) : -1; index >= 0) pointed[index] = true;
        for (std::size_t i = 0; i < d_.records.size(); ++i)
            if (!d_.records[i].reached && !pointed[i] && d_.records[i].active)
                report_.error("record is not reached from the root: readers never see it or what is below it",
                              &d_.records[i]);
    }

    void last_record() const {
        if (d_.cut_at || d_.roots.empty()) return;
        const uint32_t last = d_.records[d_.roots.back()].offset;
        if (d_.last != last)
            report_.error("the offset of the root's last record is " + std::to_string(d_.last) + ", not " +
                              std::to_string(last),
                          nullptr, {}, Media_Tag(0x0004, 0x1202));
    }

private:
    // The record offset leads to, or -1 after reporting why there is none.
    int follow(uint32_t offset, int pointing, uint32_t tag) const {
        const Media_Record* from = pointing >= 0 ? &d_.records[pointing] : nullptr;
        const int index = d_.at(offset);
        if (index < 0) {
            if (d_.cut_at && offset >= *d_.cut_at) return -1;  // lost with the end of the file
            if (offset >= d_.size)
                report_.error("offset " + std::to_string(offset) + " points past the end of the DICOMDIR (" +
                                  std::to_string(d_.size) + " bytes)",
                              from, {}, tag);
            else
                report_.error("offset " + std::to_string(offset) + " does not point at a directory record", from, {},
                              tag);
            return -1;
        }
        if (d_.records[index].reached) {
            report_.error("offset " + std::to_string(offset) +
                              " leads to a record reached before: the offsets form a loop",
                          from, {}, tag);
            return -1;
        }
        return index;
    }

    Media_Directory& d_;
    Check_Report& report_;
};

void check_keys(Media_Record& record, const Record_Type& type, Check_Report& report) {
    for (const Record_Key& key : type.keys) {
        const uint32_t tag = Media_Tag(key.group, key.element);
        if (key.type != 1 && key.type != 2) continue;
        if (tag == Patient_Name_Tag && !record.has(tag)) {
            report.warning("Patient's Name is absent: some viewers leave out the whole patient", &record, {}, tag);
        } else if (key.type == 2 && !record.has(tag)) {
            report.error("missing; " + a_record(type.name) + " needs it, empty if need be", &record, {}, tag);
        } else if (key.type == 1 && (!record.has(tag) || (!key.sequence && record.value(tag).empty()))) {
            // Whether a value was lost, the files below tell: a file without one left nothing to copy.
            record.empty_keys.push_back(tag);
        }
    }
}

bool may_hold(const Media_Record* parent, const std::string& type) {
    if (!parent) return std::find(std::begin(Root_Types), std::end(Root_Types), type) != std::end(Root_Types);
    const Record_Type* parent_type = Record_Type_Find(parent->type);
    if (!parent_type) return true;  // reported as unknown already
    return std::find(parent_type->lower.begin(), parent_type->lower.end(), type) != parent_type->lower.end();
}

}  // namespace

void Media_Check_Structure(Media_Directory& directory, Check_Report& report) {
    Linker linker(directory, report);
    linker.link();
    linker.orphans();
    linker.last_record();
    for (Media_Record& record : directory.records) {
        if (!record.reached || !record.active || record.type == "PRIVATE") continue;
        const Record_Type* type = Record_Type_Find(record.type);
        if (!type) {
            report.error("record type \"" + record.type + "\" is not one the standard knows", &record);
            continue;
        }
        check_keys(record, *type, report);
        const Media_Record* parent = record.parent >= 0 ? &directory.records[record.parent] : nullptr;
        if (!may_hold(parent, record.type))
            report.error((parent ? a_record(parent->type) : std::string("the root")) + " may not hold " +
                             a_record(record.type),
                         &record);
    }
}
