// What viewers trip on although the standard allows it: each a warning, with why.
#include <algorithm>
#include <set>
#include <string_view>

#include "dirscan/media_check_internal.h"

void Media_Check_Viewers(const Media_Directory& directory, Check_Report& report) {
    bool patient_root = false;
    for (int index : directory.roots) patient_root = patient_root || directory.records[index].type == "PATIENT";
    if (!directory.roots.empty() && !patient_root)
        report.warning("no PATIENT record at the root: viewers that start from patients show nothing");

    for (const Media_Record& record : directory.records) {
        if (!record.reached || !record.active) continue;
        // A level above the files (any record may hold PRIVATE ones): empty, it shows nothing.
        const Record_Type* type = Record_Type_Find(record.type);
        const bool level = type && !record.has(Media_Tag(0x0004, 0x1500)) &&
                           std::any_of(type->lower.begin(), type->lower.end(),
                                       [](std::string_view lower) { return lower != "PRIVATE"; });
        if (level && record.lower == 0)
            report.warning("record has nothing below it: some viewers show it empty, others stop there", &record);
        if (record.type != "PATIENT") continue;
        // The patient and everything below it.
        std::set<std::string> sets;
        std::vector<int> pending(record.children);
        if (record.has(Media_Tag(0x0008, 0x0005))) sets.insert(record.value(Media_Tag(0x0008, 0x0005)));
        while (!pending.empty()) {
            const Media_Record& below = directory.records[pending.back()];
            pending.pop_back();
            if (below.has(Media_Tag(0x0008, 0x0005))) sets.insert(below.value(Media_Tag(0x0008, 0x0005)));
            pending.insert(pending.end(), below.children.begin(), below.children.end());
        }
        if (sets.size() > 1) {
            std::string list;
            for (const std::string& set : sets) list += (list.empty() ? "\"" : ", \"") + set + "\"";
            report.warning("the patient's records use more than one Specific Character Set (" + list +
                               "): viewers read them all with one",
                           &record, {}, Media_Tag(0x0008, 0x0005));
        }
    }
}
