// The files behind the records, and the DICOM files no record names. A File ID is only opened
// once it is known to stay inside the folder, links followed; the file is then opened by the
// resolved path, so the name cannot be swapped for a link in between.
#include <map>
#include <set>

#include "dicom/value_check.h"
#include "dirscan/media_check_internal.h"
#include "dirscan/scan_read.h"
#include "dirscan/walk.h"
#include "util/directory.h"
#include "util/log_capture.h"
#include "util/platform_folder.h"

namespace {

constexpr uint32_t File_ID_Tag = Media_Tag(0x0004, 0x1500);
constexpr uint32_t Class_Tag = Media_Tag(0x0004, 0x1510);
constexpr uint32_t Instance_Tag = Media_Tag(0x0004, 0x1511);
constexpr uint32_t Syntax_Tag = Media_Tag(0x0004, 0x1512);

std::string value_of(const DICOM_Tag_List& set, uint16_t group, uint16_t element) {
    for (const DICOM_Tag& tag : set) {
        if (tag.group != group || tag.element != element) continue;
        std::string text(tag.data.begin(), tag.data.end());
        while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
        return text;
    }
    return {};
}

// What the check needs of a referenced file.
struct File_Keys {
    std::string sop_class, sop_instance, syntax, patient_id, study_uid, series_uid;
    std::map<uint32_t, std::string> valid;  // values of the records' empty keys that could fill them
};

bool is_directory_file(const std::string& name) { return File_Name_Split(name).name == "DICOMDIR"; }

class File_Checker {
public:
    File_Checker(const std::string& folder, Media_Directory& directory, Check_Report& report)
        : folder_(folder), inside_(Path_With_Separator(Path_Resolved(folder))), d_(directory), report_(report) {}

    void references() {
        for (std::size_t i = 0; i < d_.records.size(); ++i)
            if (d_.records[i].active && d_.records[i].has(File_ID_Tag)) reference(static_cast<int>(i));
    }

    void coverage() {
        std::vector<std::string> folders{""};  // relative, "\" between components
        while (!folders.empty()) {
            const std::string relative = folders.back();
            folders.pop_back();
            std::string path = folder_;
            if (!relative.empty()) path = Path_With_Separator(path) + on_disk(relative);
            const auto dirs = Directory_Get_Dirs(path);
            const auto files = Directory_Get_Files(path, "*.*", false);
            if (!dirs || !files) {
                report_.error("folder cannot be listed: the DICOM files in it were not checked", nullptr, relative);
                continue;
            }
            std::map<std::string, std::string> upper;  // names differing in case only meet here
            const auto media = [&](const std::string& name) { return relative.empty() ? name : relative + "\\" + name; };
            for (const Dir_List* list : {&*dirs, &*files})
                for (const Dir_Entry& entry : *list) {
                    if (entry.Hidden || entry.Name == "." || entry.Name == "..") continue;
                    std::string key = entry.Name;
                    for (char& c : key) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
                    const auto [seen, fresh] = upper.emplace(key, entry.Name);
                    if (!fresh)
                        report_.warning("names differ only in letter case from \"" + seen->second +
                                            "\": on media read without case, one hides the other",
                                        nullptr, media(entry.Name));
                }
            for (auto entry = dirs->rbegin(); entry != dirs->rend(); ++entry)
                if (!entry->Hidden && entry->Name != "." && entry->Name != "..") folders.push_back(media(entry->Name));
            for (const Dir_Entry& entry : *files)
                if (!entry.Hidden && !is_directory_file(entry.Name)) unreferenced(media(entry.Name), entry.File);
        }
    }

    // A referenced file changed after the DICOMDIR was written, when nothing else was found about it.
    void staleness(int64_t written) {
        if (written < 0) return;
        for (const auto& [media, record] : read_)
            if (!report_.concerns(media) && Path_Modified(resolved_[media]) > written)
                report_.error("file was changed after the DICOMDIR was written", &d_.records[record], media);
    }

    int dicom_files() const { return dicom_files_; }

private:
    // The relative media name as the system spells the path.
    static std::string on_disk(const std::string& media) {
        std::string path = media;
        for (char& c : path)
            if (c == '\\') c = Path_Separator;
        return path;
    }

    bool inside(const std::string& resolved) const {
        return inside_.size() > 1 && resolved.size() > inside_.size() && resolved.compare(0, inside_.size(), inside_) == 0;
    }

    void reference(int index) {
        const Media_Record& record = d_.records[index];
        const std::string raw = record.value(File_ID_Tag);
        std::vector<std::string> components;
        for (std::size_t start = 0;;) {
            const std::size_t end = raw.find('\\', start);
            std::string part = raw.substr(start, end == std::string::npos ? std::string::npos : end - start);
            while (!part.empty() && part.back() == ' ') part.pop_back();
            while (!part.empty() && part.front() == ' ') part.erase(part.begin());
            components.push_back(part);
            if (end == std::string::npos) break;
            start = end + 1;
        }
        std::string media;
        bool escapes = false;
        for (const std::string& part : components) {
            media += (media.empty() ? "" : "\\") + part;
            escapes = escapes || part.empty() || part == "." || part == ".." ||
                      part.find_first_of("/:") != std::string::npos;
        }
        if (escapes) {
            report_.error("File ID is no path inside the folder (an empty, \".\" or \"..\" component, or a "
                          "drive or folder of its own): it is not followed",
                          &record, media, File_ID_Tag);
            return;
        }
        if (Media_Name_Faults(media))
            report_.error("File ID breaks the naming rules of DICOM media", &record, media, File_ID_Tag);
        if (const auto [first, fresh] = referenced_.emplace(media, index); !fresh) {
            report_.error("file is referenced by the record at " + std::to_string(d_.records[first->second].offset) +
                              " too",
                          &record, media, File_ID_Tag);
            return;
        }
        const std::string path = Path_With_Separator(folder_) + on_disk(media);
        const std::string resolved = Path_Resolved(path);
        if (resolved.empty()) {
            report_.error("referenced file does not exist", &record, media, File_ID_Tag);
            return;
        }
        if (!inside(resolved)) {
            report_.error("File ID leads out of the folder through a link: it is not followed", &record, media,
                          File_ID_Tag);
            return;
        }
        File_Keys keys;
        if (!read(resolved, empty_keys_above(index), keys)) {
            report_.error("referenced file is no DICOM file that can be read", &record, media, File_ID_Tag);
            return;
        }
        ++dicom_files_;
        read_[media] = index;
        resolved_[media] = resolved;
        compare(index, media, keys);
    }

    void compare(int index, const std::string& media, const File_Keys& keys) {
        const Media_Record& record = d_.records[index];
        const auto differs = [&](const Media_Record& holder, uint32_t tag, const std::string& file_value) {
            if (!holder.has(tag) || holder.value(tag).empty() || holder.value(tag) == file_value) return;
            std::string text = "\"";
            text += holder.value(tag);
            text += "\" in the record, \"" + file_value + "\" in the file";
            report_.error(text, &holder, media, tag);
        };
        for (int up = index; up >= 0; up = d_.records[up].parent)
            for (uint32_t tag : d_.records[up].empty_keys)
                if (keys.valid.count(tag) && lost_.insert({up, tag}).second)
                    report_.error(std::string(d_.records[up].has(tag) ? "empty" : "missing") +
                                      ", although the file has the value \"" + keys.valid.at(tag) +
                                      "\"; readers need one here",
                                  &d_.records[up], media, tag);
        differs(record, Class_Tag, keys.sop_class);
        differs(record, Instance_Tag, keys.sop_instance);
        differs(record, Syntax_Tag, keys.syntax);
        for (int up = record.parent; up >= 0; up = d_.records[up].parent) {
            const Media_Record& holder = d_.records[up];
            if (holder.type == "PATIENT") differs(holder, Media_Tag(0x0010, 0x0020), keys.patient_id);
            if (holder.type == "STUDY") differs(holder, Media_Tag(0x0020, 0x000D), keys.study_uid);
            if (holder.type == "SERIES") differs(holder, Media_Tag(0x0020, 0x000E), keys.series_uid);
        }
        if (const std::string uid = record.value(Instance_Tag); !uid.empty()) {
            if (const auto [first, fresh] = instances_.emplace(uid, index); !fresh)
                report_.error("SOP Instance UID is referenced by the record at " +
                                  std::to_string(d_.records[first->second].offset) + " too",
                              &record, media, Instance_Tag);
        }
        if (record.type != "PRIVATE" && !keys.sop_class.empty()) {
            const Record_Type& expected = Record_Type_For_SOP_Class(keys.sop_class);
            if (expected.name != record.type)
                report_.warning("the file's SOP Class " + keys.sop_class + " belongs in " +
                                    std::string(expected.name) + " records: viewers looking there do not find it",
                                &record, media, Media_Tag(0x0004, 0x1430));
        }
    }

    // A listed file no record names: a finding when it is DICOM. Never read through a link
    // that leaves the folder.
    void unreferenced(const std::string& media, const std::string& path) {
        if (referenced_.count(media)) return;
        const std::string resolved = Path_Resolved(path);
        if (resolved.empty() || !inside(resolved)) return;
        File_Source source(4096);
        if (DICOMDIR_Scan_Open(resolved, source) != Scan_Prefix::DICOM) return;
        ++dicom_files_;
        report_.error("DICOM file is not in the index", nullptr, media);
    }

    std::vector<uint32_t> empty_keys_above(int index) const {
        std::vector<uint32_t> tags;
        for (int up = index; up >= 0; up = d_.records[up].parent)
            tags.insert(tags.end(), d_.records[up].empty_keys.begin(), d_.records[up].empty_keys.end());
        return tags;
    }

    static bool read(const std::string& path, const std::vector<uint32_t>& wanted, File_Keys& keys) {
        std::vector<Log_Record> quiet;  // what reading says about the file is no finding of the check
        Log_Capture capture(quiet);
        File_Source source(Scan_Buffer_Size, Scan_Head_Size);
        if (DICOMDIR_Scan_Open(path, source) != Scan_Prefix::DICOM) return false;
        const std::optional<DICOM_Tag_List> set = DICOMDIR_Scan_Read(nullptr, path, source);
        if (!set) return false;
        keys.sop_class = value_of(*set, 0x0002, 0x0002);
        if (keys.sop_class.empty()) keys.sop_class = value_of(*set, 0x0008, 0x0016);
        keys.sop_instance = value_of(*set, 0x0002, 0x0003);
        if (keys.sop_instance.empty()) keys.sop_instance = value_of(*set, 0x0008, 0x0018);
        keys.syntax = value_of(*set, 0x0002, 0x0010);
        keys.patient_id = value_of(*set, 0x0010, 0x0020);
        keys.study_uid = value_of(*set, 0x0020, 0x000D);
        keys.series_uid = value_of(*set, 0x0020, 0x000E);
        for (uint32_t tag : wanted)
            for (const DICOM_Tag& element : *set) {
                if (Media_Tag(element.group, element.element) != tag || element.data.empty()) continue;
                const uint16_t vr = element.vr ? element.vr : element.vr_def;
                const std::string text = value_of(*set, element.group, element.element);
                if (!text.empty() && DICOM_Value_Check(vr, element.data.data(), element.data.size()).valid)
                    keys.valid[tag] = text;
            }
        return true;
    }

    std::string folder_, inside_;
    Media_Directory& d_;
    Check_Report& report_;
    std::map<std::string, int> referenced_, instances_, read_;
    std::map<std::string, std::string> resolved_;
    std::set<std::pair<int, uint32_t>> lost_;  // empty keys reported, by record
    int dicom_files_ = 0;
};

}  // namespace

int Media_Check_Files(const std::string& folder, Media_Directory& directory, Check_Report& report) {
    File_Checker checker(folder, directory, report);
    checker.references();
    if (!directory.cut_at) checker.coverage();  // the lost records' files would look unindexed
    checker.staleness(Path_Modified(Path_With_Separator(folder) + "DICOMDIR"));
    return checker.dicom_files();
}
