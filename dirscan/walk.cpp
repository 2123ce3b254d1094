// Walking the dropped folder: counting, the "DICM" test, reading and sorting each DICOM file.
#include "dirscan/walk.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include "dicom/value_access.h"
#include "dirscan/read_ahead.h"
#include "dirscan/scan_read.h"
#include "util/log_capture.h"
#include "util/directory.h"
#include "util/platform_folder.h"
#include "util/system_error.h"

uint8_t name_flags = 0;
int32_t nb_files = 0;
int32_t nb_unlisted = 0;
int32_t nb_unread = 0;
void (*Kestrapol_Files_Listed)(const std::string& folder, const Dir_List& files) = nullptr;

namespace {

// The path relative to the folder of dir_list, as the listing spells it ("/" between
// components); empty when path is not below it.
std::string relative_name(const std::string& folder, const std::string& path) {
    if (path.size() <= folder.size()) return {};
    std::size_t skip = folder.size();
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') ++skip;
    return path.substr(std::min(skip, path.size()));
}

// The listed name in the form DICOM media give it ("\" between components), in place. A
// backslash inside a listed name (where "/" alone separates) would then pass for a separator:
// such a name is also kept in listed, to be checked as listed.
void to_media_name(std::string& name, std::string& listed) {
    if (Path_Separator == '/' && name.find('\\') != std::string::npos) listed = name;
    for (char& c : name)
        if (c == '/') c = '\\';
}

// A folder listed before the walk reaches it, so that the helpers can read its files while the
// walk finishes the folder before. What listing it reported is held back until then.
struct Listing {
    std::string path;
    bool dirs_listed = false;
    std::optional<Dir_List> dirs;
    bool files_listed = false;
    std::unique_ptr<Dir_List> files;       // in place: the helpers read from it
    std::unique_ptr<Directory_Handle> folder;
    int dirs_error = 0, files_error = 0;
    std::vector<Log_Record> messages;
};

// A folder whose sub-folders the walk is in: its path, its sub-folders, and the one entered.
struct Walk_Frame {
    const std::string* path;
    const Dir_List* dirs;
    std::size_t index;
};

// What the walk running on this thread shares: the tags the tree takes from a data set, its
// helpers (nullptr while files are read here), the folders it is in, and the listings made
// ahead. All are set by the outermost call.
thread_local const std::vector<uint32_t>* walk_keys = nullptr;
thread_local Read_Ahead* walk_helpers = nullptr;
thread_local std::vector<Walk_Frame>* walk_frames = nullptr;
thread_local std::vector<Listing>* walk_listings = nullptr;

bool is_directory_file(const std::string& path) {
    // Most paths do not hold the name at all: no need to split them.
    return path.find("DICOMDIR") != std::string::npos && File_Name_Split(path).name == "DICOMDIR";
}

// name: the relative name as listed. prepared: the file as a helper thread read it, or nullptr
// to read it here. folder, file_name: the file's folder held open and its name there (folder -1:
// open path).
int analyze_file(Win_Handle window, const std::string& path, std::string name, Dir_Item* dir_list,
                 const std::string& indent, Progress_Window* progress, Read_Result* prepared = nullptr,
                 int folder = -1, const std::string& file_name = {}) {
    Progress_Add(progress, 1);
    // Directory files, also a temporary one left by an interrupted write, are never read.
    if (is_directory_file(path)) return 0;

    // Headers of typical files fit in one read; a bulk value after them costs no large copy.
    // One source per thread, its buffer kept from file to file; closed before leaving.
    thread_local Thread_File_Source walk_source;
    File_Source& source = walk_source.get();
    const Scan_Prefix prefix = prepared ? prepared->prefix : DICOMDIR_Scan_Open(path, source, folder, file_name);
    struct Closer {
        File_Source& source;
        ~Closer() { source.close(); }
    } closer{source};
    if (prefix == Scan_Prefix::Unreadable) {
        const int error = prepared ? prepared->error : errno;
        const bool opened = prepared ? prepared->opened : source.is_open();
        if (!opened && (error == ENODEV || error == EISDIR)) {
            Log_Message(window, LOG_TRACE_1, "Kestrapol_Analyze: %s is no plain file", path.c_str());
            return 0;
        }
        if (!opened) {
            ++nb_unread;
            Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 Unable to open file.");
            Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(error));
            Log_Error_Line(window, "\x02\t\t\t file: (%s)", path.c_str());
        }
        return 0;
    }
    if (prefix == Scan_Prefix::Not_DICOM) {
        Log_Message(window, LOG_TRACE_1, " Not DICOM part-10");
        return 0;
    }

    std::string listed;
    to_media_name(name, listed);
    Log_Message(window, LOG_REPORT, "\x02\t file:     %s\x01%s", indent.c_str(), name.c_str());
    if (listed.empty()) Kestrapol_Name_Check(window, name);
    else Kestrapol_Name_Check(window, listed, '/');
    ++nb_files;
    std::optional<DICOM_Tag_List> set;
    // Values left on disk load from this file while its data set is in use, and from no other.
    const Value_Source_Scope values(path);
    if (prepared) {
        Log_Replay(prepared->messages);
        set = std::move(prepared->set);
    } else {
        set = DICOMDIR_Scan_Read(window, path, source, walk_keys);
    }
    Log_Message(window, LOG_TRACE_1, "\x02\t Kestrapol: Parsing DICOM tags...");
    // The data set is dropped here (its storage kept for the next file): only the tree's copies remain.
    Kestrapol_Add_Image(window, name, set ? &*set : nullptr, dir_list);
    if (set && prepared) prepared->set = std::move(set);  // back to the helpers
    else if (set) DICOMDIR_Scan_Recycle(std::move(*set));
    return 1;
}

// The files of a list the walk does not read.
std::vector<bool> unread_marks(const Dir_List& files) {
    std::vector<bool> skip;
    skip.reserve(files.size());
    for (const Dir_Entry& entry : files) skip.push_back(entry.Hidden || is_directory_file(entry.File));
    return skip;
}

Listing* listing_of(const std::string& path) {
    if (walk_listings == nullptr) return nullptr;
    for (Listing& listing : *walk_listings)
        if (listing.path == path) return &listing;
    return nullptr;
}

Listing& new_listing(const std::string& path) {
    Listing& listing = walk_listings->emplace_back();
    listing.path = path;
    return listing;
}

// The sub-folders of path, as listed ahead or now; errno says why when there are none.
std::optional<Dir_List> folders_of(const std::string& path) {
    Listing* listing = listing_of(path);
    if (listing == nullptr || !listing->dirs_listed) return Directory_Get_Dirs(path);
    Log_Replay(listing->messages);
    listing->messages.clear();
    listing->dirs_listed = false;
    errno = listing->dirs_error;
    return std::move(listing->dirs);
}

// The files of path, as listed ahead (folder then comes open too) or now; errno says why when
// there are none. Kestrapol_Files_Listed hears of every list once, when it is made.
std::unique_ptr<Dir_List> files_of(const std::string& path, std::unique_ptr<Directory_Handle>& folder) {
    Listing* listing = listing_of(path);
    if (listing == nullptr || !listing->files_listed) {
        std::optional<Dir_List> files = Directory_Get_Files(path, "*.*", false);
        if (!files) return nullptr;
        auto list = std::make_unique<Dir_List>(std::move(*files));
        if (Kestrapol_Files_Listed) Kestrapol_Files_Listed(path, *list);
        return list;
    }
    Log_Replay(listing->messages);
    listing->messages.clear();
    listing->files_listed = false;
    folder = std::move(listing->folder);
    errno = listing->files_error;
    return std::move(listing->files);
}

bool entered(const Dir_Entry& entry) { return Kestrapol_Folder_Entered(entry); }

// The folder whose files the walk reads after those of frame's current sub-folder: the next
// sub-folder, down to its first folder without sub-folders, or else frame's own folder. Lists
// the sub-folders on the way ahead of the walk; none when a list fails.
std::optional<std::string> folder_after(const Walk_Frame& frame) {
    for (std::size_t i = frame.index + 1; i < frame.dirs->size(); ++i) {
        if (!entered((*frame.dirs)[i])) continue;
        std::string path = (*frame.dirs)[i].File;
        for (;;) {
            Listing& listing = new_listing(path);
            {
                const Log_Capture capture(listing.messages);
                listing.dirs = Directory_Get_Dirs(path);
                listing.dirs_error = errno;
            }
            listing.dirs_listed = true;
            if (!listing.dirs) return std::nullopt;
            const auto first = std::find_if(listing.dirs->begin(), listing.dirs->end(), entered);
            if (first == listing.dirs->end()) return path;
            path = first->File;
        }
    }
    return *frame.path;
}

// Lists, ahead of the walk, the next folder with files that it reads after the current
// folder's, and hands them to the helpers. Folders that hold only sub-folders (a study's, as
// often as not) are passed on the way up, so the helpers do not wait at each of them.
void list_next_folder() {
    if (walk_helpers == nullptr || walk_frames == nullptr || walk_frames->empty()) return;
    walk_helpers->drop_queued();
    walk_listings->clear();  // the walk has taken up every listing made before, or passed it by
    for (std::size_t level = walk_frames->size(); level-- > 0;) {
        const Walk_Frame& frame = (*walk_frames)[level];
        const std::optional<std::string> path = folder_after(frame);
        if (!path) return;
        Listing* listing = listing_of(*path);
        if (listing == nullptr) listing = &new_listing(*path);
        {
            const Log_Capture capture(listing->messages);
            if (std::optional<Dir_List> files = Directory_Get_Files(*path, "*.*", false))
                listing->files = std::make_unique<Dir_List>(std::move(*files));
            listing->files_error = errno;
        }
        listing->files_listed = true;
        if (!listing->files) return;
        if (Kestrapol_Files_Listed) Kestrapol_Files_Listed(*path, *listing->files);
        if (!listing->files->empty()) {
            listing->folder = std::make_unique<Directory_Handle>(*path);
            walk_helpers->queue_next(*listing->files, unread_marks(*listing->files), listing->folder->handle());
            return;
        }
        // An empty folder without sub-folders: what follows it is not known from the frames.
        if (*path != *frame.path) return;
    }
}

// Hands a folder's files to the helpers for as long as the walk is in its file list.
class Files_Ahead {
public:
    Files_Ahead(const Dir_List& files, int folder) {
        if (walk_helpers == nullptr || (files.size() < 2 && !walk_helpers->queued(files))) return;
        helpers_ = walk_helpers;
        helpers_->start(files, unread_marks(files), folder);
    }
    ~Files_Ahead() {
        if (helpers_ != nullptr) helpers_->finish();
    }
    Files_Ahead(const Files_Ahead&) = delete;
    Files_Ahead& operator=(const Files_Ahead&) = delete;

    Read_Ahead* helpers() const { return helpers_; }

private:
    Read_Ahead* helpers_ = nullptr;
};

// A folder whose list could not be had (errno says why): its files would be missing from the
// DICOMDIR, which the driver then does not write. Returns 0 files.
int unlisted(Win_Handle window, const std::string& path) {
    const int error = errno;
    Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 Cannot list folder %s", path.c_str());
    Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(error));
    ++nb_unlisted;
    return 0;
}

// The folder branch of Kestrapol_Analyze.
int analyze_folder(Win_Handle window, const std::string& path, Dir_Item* dir_list, const std::string& indent,
                   Progress_Window* progress) {
    Log_Message(window, LOG_TRACE_1, "Kestrapol_Analyze: %s is a directory", path.c_str());
    Log_Message(window, LOG_REPORT, "\x02\t dir: %s\x02%s", indent.c_str(), path.c_str());
    Progress_Text(progress, "\x02\t dir: %s\x01%s", indent.c_str(), path.c_str());
    const std::string inner = indent + "    ";
    int total = 0;

    std::optional<Dir_List> dirs = folders_of(path);
    if (!dirs) return unlisted(window, path);
    {
        walk_frames->push_back({&path, &*dirs, 0});
        struct Leave {
            ~Leave() { walk_frames->pop_back(); }
        } leave;
        for (std::size_t i = 0; i < dirs->size(); ++i) {
            const Dir_Entry& entry = (*dirs)[i];
            if (Progress_Cancelled(progress)) return 0;
            Log_Message(window, LOG_TRACE_1, "Kestrapol_Analyze: sub-directory:%s", entry.Name.c_str());
            if (!entered(entry)) continue;
            walk_frames->back().index = i;
            total += Kestrapol_Analyze(window, entry.File, dir_list, inner, progress);
        }
    }
    std::unique_ptr<Directory_Handle> folder;
    const std::unique_ptr<Dir_List> files = files_of(path, folder);
    if (!files) return total + unlisted(window, path);
    if (!folder) folder = std::make_unique<Directory_Handle>(path);
    {
        const Files_Ahead files_ahead(*files, folder->handle());
        Read_Ahead* const ahead = files_ahead.helpers();
        if (ahead) list_next_folder();
        for (std::size_t i = 0; i < files->size(); ++i) {
            const Dir_Entry& entry = (*files)[i];
            if (Progress_Cancelled(progress)) return 0;
            Log_Message(window, LOG_TRACE_1, "Kestrapol_Analyze: file:%s", entry.File.c_str());
            if (entry.Hidden) continue;
            // Listed as a plain file: no need to ask the file system again.
            Log_Message(window, LOG_TRACE_1, "Kestrapol_Analyze(%s)", entry.File.c_str());
            std::optional<Read_Result> prepared;
            if (ahead) prepared = ahead->take(i);
            total += analyze_file(window, entry.File, relative_name(dir_list->path, entry.File), dir_list, inner,
                                  progress, prepared ? &*prepared : nullptr, folder->handle(), entry.Name);
            if (prepared && prepared->set) ahead->recycle(std::move(*prepared->set));
        }
    }
    return total;
}

}  // namespace

bool Kestrapol_Folder_Entered(const Dir_Entry& entry) {
    return entry.Name != "." && entry.Name != ".." && !entry.Hidden;
}

int Kestrapol_Analyze(Win_Handle window, const std::string& path, Dir_Item* dir_list, const std::string& indent,
                      Progress_Window* progress) {
    // The outermost call sets up what the whole walk shares.
    if (walk_keys == nullptr) {
        DICOMDIR_Scan_Thread_Prepare();
        const std::vector<uint32_t> keys = Kestrapol_Image_Keys();
        std::vector<Walk_Frame> frames;
        std::vector<Listing> listings;
        std::optional<Read_Ahead> helpers;
        if (Kestrapol_Read_Threads > 0) helpers.emplace(window, Kestrapol_Read_Threads, keys);
        walk_keys = &keys;
        walk_helpers = helpers ? &*helpers : nullptr;
        walk_frames = &frames;
        walk_listings = &listings;
        struct Reset {
            ~Reset() {
                walk_keys = nullptr;
                walk_helpers = nullptr;
                walk_frames = nullptr;
                walk_listings = nullptr;
            }
        } reset;
        return Kestrapol_Analyze(window, path, dir_list, indent, progress);
    }
    Log_Message(window, LOG_TRACE_1, "Kestrapol_Analyze(%s)", path.c_str());
    const std::string name = relative_name(dir_list->path, path);
    if (Progress_Cancelled(progress)) return 0;
    if (Directory_Exist(path)) return analyze_folder(window, path, dir_list, indent, progress);
    return analyze_file(window, path, name, dir_list, indent, progress);
}
