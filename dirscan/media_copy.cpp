// A media copy: the destination checked, the files copied under their media names, the map and
// the DICOMDIR written last; on failure or cancel everything this run made is removed again.
#include "dirscan/media_copy.h"

#include <cerrno>
#include <unordered_set>

#include "dicom/nesting.h"
#include "dirscan/dicomdir_writer.h"
#include "dirscan/record_type_keys.h"
#include "dirscan/tree.h"
#include "dirscan/walk.h"
#include "util/directory.h"
#include "util/platform_copy.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"
#include "util/system_error.h"

namespace {

// The path as the system finally opens it, every link followed; nullopt when it does not exist.
std::optional<std::string> resolved_path(const std::string& path) {
    std::string resolved = Path_Resolved(path);
    if (resolved.empty()) return std::nullopt;
    return resolved;
}

void report_error(Win_Handle window, const std::string& text, int error = 0) {
    Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 %s", text.c_str());
    if (error != 0) Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(error));
}

// What this run made, removed again unless the copy is complete.
class Made_Here {
public:
    ~Made_Here() {
        if (!kept_) undo();
    }
    void file(std::string path) { files_.push_back(std::move(path)); }
    void folder(std::string path) { folders_.push_back(std::move(path)); }
    void keep() { kept_ = true; }

private:
    void undo() {
        for (auto file = files_.rbegin(); file != files_.rend(); ++file) File_Remove_Made(*file);
        for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) Folder_Remove_Empty(*folder);
    }
    std::vector<std::string> files_, folders_;  // in the order made
    bool kept_ = false;
};

std::string without_trailing_separators(std::string path) {
    const std::size_t root = Path_Root_Length(path);
    while (path.size() > std::max<std::size_t>(root, 1) && Path_Is_Separator(path.back())) path.pop_back();
    return path;
}

// Whether inner is outer or lies below it (both resolved).
bool inside(const std::string& inner, const std::string& outer) {
    if (inner == outer) return true;
    if (inner.size() <= outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
    return Path_Is_Separator(outer.back()) || Path_Is_Separator(inner[outer.size()]);
}

bool empty_folder(const std::string& path) {
    const std::optional<Dir_List> dirs = Directory_Get_Dirs(path);
    const std::optional<Dir_List> files = Directory_Get_Files(path, "*", false);
    if (!dirs || !files) return false;
    for (const Dir_Entry& entry : *dirs)
        if (entry.Name != "." && entry.Name != "..") return false;
    return files->empty();
}

// Checks the sources and the destination and makes the destination when it is missing.
bool prepare_destination(Win_Handle window, const std::string& destination, const std::vector<std::string>& sources,
                         Made_Here& made) {
    if (destination.empty()) {
        report_error(window, "No destination folder named for the copy");
        return false;
    }
    std::vector<std::string> resolved_sources;
    for (const std::string& source : sources) {
        std::optional<std::string> resolved = source.empty() ? std::nullopt : resolved_path(source);
        if (!resolved || !Directory_Exist(source)) {
            report_error(window, "Cannot open folder " + source, resolved ? ENOTDIR : (source.empty() ? ENOENT : errno));
            return false;
        }
        resolved_sources.push_back(*resolved);
    }
    const std::string target = without_trailing_separators(destination);
    std::optional<std::string> resolved = resolved_path(target);
    const bool exists = resolved.has_value();
    if (exists && !Directory_Exist(target)) {
        report_error(window, "The destination " + target + " is no folder", ENOTDIR);
        return false;
    }
    if (exists && !empty_folder(target)) {
        report_error(window, "The destination " + target + " is not empty: a copy goes into a new or empty folder");
        return false;
    }
    if (!exists) {
        const File_Name_Parts parts = File_Name_Split(target);
        const std::string parent = parts.folder.empty() ? "." : parts.folder;
        const std::optional<std::string> resolved_parent = resolved_path(parent);
        if (!resolved_parent || !Directory_Exist(parent)) {
            report_error(window, "Cannot open folder " + parent, resolved_parent ? ENOTDIR : errno);
            return false;
        }
        resolved = Path_With_Separator(*resolved_parent) + target.substr(parts.folder.size());
    }
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (inside(*resolved, resolved_sources[i]) || inside(resolved_sources[i], *resolved)) {
            report_error(window, "The destination " + target + (inside(*resolved, resolved_sources[i]) ? " lies inside" : " holds") +
                                     " the source " + sources[i] + ": a copy goes into a folder of its own");
            return false;
        }
    }
    if (!exists) {
        if (!Folder_Create_New(target)) {
            report_error(window, "Unable to create folder " + target, errno);
            return false;
        }
        made.folder(target);
    }
    return true;
}

// Copies the files in order, making their folders on the way.
bool copy_files(Win_Handle window, const std::string& destination, std::vector<Media_File>& files,
                const std::vector<std::size_t>& order, Progress_Window* progress, Made_Here& made) {
    const std::string base = Path_With_Separator(destination);
    std::unordered_set<std::string> folders;  // File ID prefixes whose folder this run made
    for (const std::size_t index : order) {
        if (Progress_Cancelled(progress)) return false;
        Media_File& file = files[index];
        std::string path = base;
        for (std::size_t cut = file.file_id.find('\\'), at = 0; cut != std::string::npos;
             at = cut + 1, cut = file.file_id.find('\\', at)) {
            path += file.file_id.substr(at, cut - at);
            if (folders.insert(file.file_id.substr(0, cut)).second) {
                if (!Folder_Create_New(path)) {
                    report_error(window, "Unable to create folder " + path, errno);
                    return false;
                }
                made.folder(path);
            }
            path += Path_Separator;
        }
        path += file.file_id.substr(file.file_id.rfind('\\') + 1);
        uint64_t copied = 0;
        if (!File_Copy_New(file.path, path, copied)) {
            const int error = errno;
            report_error(window, "Unable to copy " + file.path + " to " + path, error);
            return false;
        }
        made.file(path);
        Progress_Add(progress, 1);
    }
    return true;
}

bool write_map(Win_Handle window, const std::string& destination, const std::vector<Media_File>& files, Made_Here& made) {
    const std::string path = Path_With_Separator(destination) + Media_Copy_Map_Name;
    const std::string text = Media_Copy_Map(files);
    const Platform_File file = File_Open_Write(path, File_Create::Exclusive);
    if (file == No_Platform_File) {
        report_error(window, "Unable to write " + path, errno);
        return false;
    }
    made.file(path);
    const bool written = File_Write_All(file, text.data(), text.size()) && File_Sync(file);
    const int error = errno;
    File_Close(file);
    if (!written) report_error(window, "Unable to write " + path, error);
    return written;
}

// The map, then the DICOMDIR of the copy.
bool write_dicomdir(Win_Handle window, const std::string& destination, Dir_Item& root,
                    const std::vector<Media_File>& files, Made_Here& made) {
    if (!write_map(window, destination, files, made)) return false;
    root.path = destination;
    DICOM_Root state;
    DICOM_Attribute_Sequence_Reset(window, &state);
    Kestrapol_Dump(window, LOG_TRACE_1, &root, 0);
    Kestrapol_Size(window, &root);
    if (!DICOMDIR_Write(window, &state, &root)) return false;
    made.file(Path_With_Separator(destination) + DICOMDIR_Name);
    return true;
}

}  // namespace

Media_Copy_Result Media_Copy(Win_Handle window, const std::string& destination,
                             const std::vector<std::string>& sources, Progress_Window* progress) {
    Media_Copy_Result result;
    // New media are filed by SOP class, whatever the in-place setting.
    struct By_Class {
        bool saved = Kestrapol_Record_Types_By_Class;
        By_Class() { Kestrapol_Record_Types_By_Class = true; }
        ~By_Class() { Kestrapol_Record_Types_By_Class = saved; }
    } by_class;
    Made_Here made;
    const std::string target = without_trailing_separators(destination);
    result.failed = true;
    if (!prepare_destination(window, destination, sources, made)) return result;
    nb_patients = nb_studies = nb_series = nb_images = 0;
    Dir_Item root;  // the records, made as the files are read
    if (!Media_Copy_Collect(window, sources, progress, result.files, root)) {
        result.cancelled = Progress_Cancelled(progress);
        return result;
    }
    result.patients = nb_patients;
    result.studies = nb_studies;
    result.series = nb_series;
    result.images = nb_images;
    const std::vector<std::size_t> order = Media_Copy_Layout(result.files);
    Media_Copy_Arrange(root, result.files);
    for (const std::size_t index : order)
        result.files[index].record_type = Kestrapol_Record_Type_Name(result.files[index].sop_class_uid);
    for (const Media_File& file : result.files) {
        result.duplicates += file.outcome == Media_Outcome::Duplicate;
        result.conflicts += file.outcome == Media_Outcome::Conflict;
        result.left_out += file.outcome == Media_Outcome::Left_Out;
    }
    if (order.empty()) {
        result.nothing_to_copy = true;
        return result;
    }
    // Six digits per level: a folder of a million series or instances has no media names.
    for (const std::size_t index : order) {
        if (Kestrapol_Name_Check(nullptr, result.files[index].file_id) != 1) {
            report_error(window, "Too many files for media names: " + result.files[index].path + " would be " +
                                     result.files[index].file_id);
            return result;
        }
    }
    Progress_Range(progress, static_cast<int>(order.size()));
    Progress_Set(progress, 0);
    if (!copy_files(window, target, result.files, order, progress, made) ||
        !write_dicomdir(window, target, root, result.files, made)) {
        result.cancelled = Progress_Cancelled(progress);
        // The records of a copy that is taken back are not the copy's.
        for (Media_File& file : result.files) file.record_type.clear();
        return result;
    }
    result.copied = static_cast<int>(order.size());
    result.failed = false;
    made.keep();
    return result;
}
