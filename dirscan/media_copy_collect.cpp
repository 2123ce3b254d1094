// The files of a media copy: the walk of the sources, each file read once, its keys taken and
// duplicates found.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "dicom/attribute_list.h"
#include "dicom/person_name.h"
#include "dicom/value_access.h"
#include "dirscan/media_copy.h"
#include "dirscan/record_type_keys.h"
#include "dirscan/scan_read.h"
#include "dirscan/tree.h"
#include "util/directory.h"
#include "util/platform_file.h"
#include "util/system_error.h"

namespace {

void report_unreadable(Win_Handle window, const char* what, const std::string& path, int error) {
    Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 %s %s", what, path.c_str());
    Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(error));
}

void leave_out(Win_Handle window, Media_File& file, std::string reason) {
    file.outcome = Media_Outcome::Left_Out;
    file.reason = std::move(reason);
    Log_Message(window, LOG_REPORT, "\x02\t Not copied: \x01%s\x02 (%s)", file.path.c_str(), file.reason.c_str());
}

// First value of a text attribute; nullopt when absent or when the value access yields nothing.
std::optional<std::string> first_value(Win_Handle window, DICOM_Root& root, DICOM_Tag_List& set, uint16_t group,
                                       uint16_t element) {
    DICOM_Tag* attribute = DICOM_Attribute_Get(window, &root, &set, group, element);
    if (!attribute) return std::nullopt;
    const std::vector<std::string>* values = NEMA_Value_Str(window, attribute, 0);
    if (!values || values->empty()) return std::nullopt;
    return values->front();
}

// First value of an attribute whose VR the text accessor does not serve (dates, times, numbers),
// its padding trimmed; empty when absent or not in memory.
std::string plain_value(Win_Handle window, DICOM_Root& root, DICOM_Tag_List& set, uint16_t group, uint16_t element) {
    DICOM_Tag* attribute = DICOM_Attribute_Get(window, &root, &set, group, element);
    if (!attribute || attribute->length <= 0 || attribute->data.size() < static_cast<std::size_t>(attribute->length))
        return {};
    std::string text(reinterpret_cast<const char*>(attribute->data.data()), static_cast<std::size_t>(attribute->length));
    text = text.substr(0, text.find('\\'));
    const std::size_t begin = text.find_first_not_of(" \0"), end = text.find_last_not_of(" \0");
    return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

// Takes the keys that place the file, as the tree takes them; the reason the file cannot be
// placed, or empty.
std::string take_keys(Win_Handle window, DICOM_Tag_List& set, Media_File& file) {
    DICOM_Root root;
    file.sop_class_uid = first_value(window, root, set, 0x0008, 0x0016)
                             .value_or(first_value(window, root, set, 0x0002, 0x0002).value_or(""));
    const auto instance = first_value(window, root, set, 0x0008, 0x0018);
    if (const Record_Type* type = Kestrapol_Root_Record_Type(file.sop_class_uid)) {
        // Records of the root directory entity name no patient.
        if (!instance) return "no SOP Instance UID (0008,0018)";
        file.root_type = type->name;
    } else {
        DICOM_Tag* name = DICOM_Attribute_Get(window, &root, &set, 0x0010, 0x0010);
        if (!name) return "no Patient's Name (0010,0010)";
        const std::vector<Person_Name>* names = NEMA_Value_Name(window, name, 0);
        if (!names) file.patient_name = "No Name";
        else if (!names->empty()) file.patient_name = conv_name_to_text(&names->front());
        if (!DICOM_Attribute_Get(window, &root, &set, 0x0010, 0x0020)) return "no Patient ID (0010,0020)";
        file.patient_id = first_value(window, root, set, 0x0010, 0x0020).value_or("000000");
        const auto study = first_value(window, root, set, 0x0020, 0x000D);
        if (!study) return "no Study Instance UID (0020,000D)";
        const auto series = first_value(window, root, set, 0x0020, 0x000E);
        if (!series) return "no Series Instance UID (0020,000E)";
        if (!instance) return "no SOP Instance UID (0008,0018)";
        file.study_uid = *study;
        file.series_uid = *series;
    }
    file.instance_uid = *instance;
    file.study_date = plain_value(window, root, set, 0x0008, 0x0020);
    file.study_time = plain_value(window, root, set, 0x0008, 0x0030);
    file.series_number = plain_value(window, root, set, 0x0020, 0x0011);
    file.instance_number = plain_value(window, root, set, 0x0020, 0x0013);
    const auto meta_instance = first_value(window, root, set, 0x0002, 0x0003);
    if (meta_instance && *meta_instance != file.instance_uid) {
        // The tree warns about it as the file goes in; the map keeps the remark.
        file.reason = "its Media Storage SOP Instance UID (0002,0003) " + *meta_instance +
                      " differs from its SOP Instance UID (0008,0018); copied as it is";
    }
    return {};
}

// Whether the two files hold the same bytes; nullopt (errno set) when one cannot be read.
std::optional<bool> same_bytes(const std::string& a, const std::string& b) {
    struct Open {
        Platform_File file;
        ~Open() { File_Close(file); }
    } first{File_Open_Read(a, Open_Plain_Only)}, second{File_Open_Read(b, Open_Plain_Only)};
    if (first.file == No_Platform_File || second.file == No_Platform_File) return std::nullopt;
    std::vector<uint8_t> x(64 * 1024), y(64 * 1024);
    for (uint64_t at = 0;; at += x.size()) {
        const long got_x = File_Read_At(first.file, x.data(), x.size(), at);
        const long got_y = File_Read_At(second.file, y.data(), y.size(), at);
        if (got_x < 0 || got_y < 0) return std::nullopt;
        if (got_x != got_y || std::memcmp(x.data(), y.data(), static_cast<std::size_t>(got_x)) != 0) return false;
        if (got_x == 0) return true;
    }
}

class Collector {
public:
    Collector(Win_Handle window, Progress_Window* progress, std::vector<Media_File>& files, Dir_Item& tree)
        : window_(window), progress_(progress), files_(files), tree_(tree) {}

    // false when a folder below cannot be listed, a file cannot be read, or on cancel.
    bool folder(const std::string& path) {
        std::optional<Dir_List> dirs = Directory_Get_Dirs(path);
        if (!dirs) return unlisted(path);
        for (const Dir_Entry& entry : *dirs) {
            if (Progress_Cancelled(progress_)) return false;
            if (entry.Name == "." || entry.Name == ".." || entry.Hidden) continue;
            if (!folder(entry.File)) return false;
        }
        std::optional<Dir_List> list = Directory_Get_Files(path, "*.*", false);
        if (!list) return unlisted(path);
        for (const Dir_Entry& entry : *list) {
            if (Progress_Cancelled(progress_)) return false;
            if (entry.Hidden) continue;
            if (!file(entry.File)) return false;
        }
        return true;
    }

private:
    bool unlisted(const std::string& path) {
        report_unreadable(window_, "Cannot list folder", path, errno);
        return false;
    }

    bool file(const std::string& path) {
        Progress_Add(progress_, 1);
        Media_File& file = files_.emplace_back();
        file.path = path;
        if (File_Name_Split(path).name == "DICOMDIR") {
            leave_out(window_, file, "a directory file of its own media");
            return true;
        }
        thread_local Thread_File_Source copy_source;
        File_Source& source = copy_source.get();
        struct Closer {
            File_Source& source;
            ~Closer() { source.close(); }
        } closer{source};
        const Scan_Prefix prefix = DICOMDIR_Scan_Open(path, source);
        if (prefix == Scan_Prefix::Unreadable && !source.is_open()) {
            // Replaced by a pipe or a device since it was listed: never opened, not a file of the copy.
            if (errno == ENODEV || errno == EISDIR) {
                files_.pop_back();
                return true;
            }
            report_unreadable(window_, "Unable to read file", path, errno);
            return false;
        }
        file.size = source.size();
        if (prefix != Scan_Prefix::DICOM) {
            leave_out(window_, file, "not a DICOM file (no DICM mark)");
            return true;
        }
        const Value_Source_Scope values(path);
        std::optional<DICOM_Tag_List> set = DICOMDIR_Scan_Read(window_, path, source);
        if (!set) {
            leave_out(window_, file, "cannot be read as a DICOM file");
            return true;
        }
        const std::string fault = take_keys(window_, *set, file);
        if (!fault.empty()) {
            leave_out(window_, file, fault);
            DICOMDIR_Scan_Recycle(std::move(*set));
            return true;
        }
        const bool read = duplicate_check(files_.size() - 1);
        if (read && files_.back().outcome == Media_Outcome::Copied &&
            !Kestrapol_Add_Image(window_, path, &*set, &tree_))
            leave_out(window_, files_.back(), "cannot be placed in the tree");
        DICOMDIR_Scan_Recycle(std::move(*set));
        return read;
    }

    bool duplicate_check(std::size_t index) {
        Media_File& file = files_[index];
        const auto [found, added] = first_of_uid_.emplace(file.instance_uid, index);
        if (added) {
            file.outcome = Media_Outcome::Copied;
            return true;
        }
        const Media_File& first = files_[found->second];
        const std::optional<bool> same = same_bytes(first.path, file.path);
        if (!same) {
            report_unreadable(window_, "Unable to read file", file.path, errno);
            return false;
        }
        if (*same) {
            file.outcome = Media_Outcome::Duplicate;
            file.reason = "the same file as " + first.path;
            Log_Message(window_, LOG_REPORT, "\x02\t Not copied again: \x01%s\x02 (%s)", file.path.c_str(),
                        file.reason.c_str());
        } else {
            file.outcome = Media_Outcome::Conflict;
            file.reason = "SOP Instance UID " + file.instance_uid + " is copied from " + first.path +
                          ", whose content differs";
            Log_Message(window_, LOG_WARNING, "\xF1\x05WARNING:\x02 Not copied: %s (%s)", file.path.c_str(),
                        file.reason.c_str());
        }
        return true;
    }

    Win_Handle window_;
    Progress_Window* progress_;
    std::vector<Media_File>& files_;
    Dir_Item& tree_;
    std::unordered_map<std::string, std::size_t> first_of_uid_;
};

}  // namespace

bool Media_Copy_Collect(Win_Handle window, const std::vector<std::string>& sources, Progress_Window* progress,
                        std::vector<Media_File>& files, Dir_Item& tree) {
    Collector collector(window, progress, files, tree);
    for (const std::string& source : sources)
        if (!collector.folder(source)) return false;
    return !Progress_Cancelled(progress);
}
