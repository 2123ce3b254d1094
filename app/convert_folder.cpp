// The per-folder procedure: walk, name warnings, then the DICOMDIR and its summary.
#include "app/convert.h"

#include <cerrno>
#include <chrono>
#include <ctime>

#include "app/configuration.h"
#include "dicom/nesting.h"
#include "dirscan/dicomdir_writer.h"
#include "dirscan/record_type_keys.h"
#include "util/directory.h"
#include "util/system_error.h"

namespace {

void report_name_problems(Win_Handle window, uint8_t flags, const std::string& folder) {
    if (flags & Name_Too_Long) {
        Log_Message(window, LOG_WARNING, "%s", "");
        Log_Message(window, LOG_WARNING, "\xF1\x05WARNING:\x02 Some of the names in your file structure are to long.");
        Log_Message(window, LOG_WARNING, "\xF1\t\t\t     The standard only allows for 8 characters");
    }
    if (flags & Name_Bad_Character) {
        Log_Message(window, LOG_WARNING, "%s", "");
        Log_Message(window, LOG_WARNING,
                    "\xF1\x05WARNING:\x02 Some of the names in your file structure use characters");
        Log_Message(window, LOG_WARNING, "\xF1\t\t\t     that are not allowed by the standard.  You can only use:");
        Log_Message(window, LOG_WARNING, "\xF1\t\t\t     ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ ");
    }
    // The way forward: a copy under media names leaves the folder as it is.
    if (flags & (Name_Too_Long | Name_Bad_Character))
        Log_Message(window, LOG_WARNING, "\xF1\t\t\t     A media copy takes these names as they are: kestrapol -o DEST \"%s\"",
                    folder.c_str());
}

// In the window, where the summaries of several folders follow each other, each names its folder.
std::string folder_suffix(const std::string& folder, bool name_folder) {
    return name_folder ? "\xF0\x02 in \x01" + folder : std::string();
}

// A cancelled folder says so just before the abort line.
void report_aborted(Win_Handle window, const std::string& suffix, const std::string* cancelled_folder = nullptr) {
    Log_Message(window, LOG_WARNING, "%s", "");
    if (cancelled_folder) Log_Message(window, LOG_REPORT, "\xF1\x02" "Cancelled: \x01%s", cancelled_folder->c_str());
    Log_Message(window, LOG_REPORT, "\xF1\x02" "DICOMDIR Abborted%s", suffix.c_str());
}

void take_counts(Folder_Outcome& outcome, std::chrono::steady_clock::time_point start) {
    outcome.patients = nb_patients;
    outcome.studies = nb_studies;
    outcome.series = nb_series;
    outcome.images = nb_images;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

Folder_Outcome Convert_Folder(Win_Handle window, const std::string& folder, Progress_Window* progress,
                              bool name_folder) {
    const auto start = std::chrono::steady_clock::now();
    Folder_Outcome outcome;
    outcome.folder = folder;
    // An empty name would mean the current folder: never meant, as when a script's variable is unset.
    if (folder.empty()) {
        Log_Message(window, LOG_WARNING, "\xF1\x05WARNING:\x02 An empty folder name was skipped");
        return outcome;
    }
    // Held open from the first look to the DICOMDIR's rename: a folder put in its place
    // meanwhile gets nothing.
    errno = 0;
    const Directory_Handle held(folder);
    if (held.handle() < 0) {
        const int error = errno != 0 ? errno : ENOTDIR;
        Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 Cannot open folder %s", folder.c_str());
        Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(error));
        outcome.folder_failed = true;
        return outcome;
    }
    name_flags = 0;
    nb_files = nb_unlisted = nb_unread = nb_patients = nb_studies = nb_series = nb_images = 0;
    Kestrapol_Tag_Lists = Configuration_Tag_Lists();
    Kestrapol_Record_Types_By_Class = Configuration_Record_Types_By_Class;
    const std::string suffix = folder_suffix(folder, name_folder);

    Dir_Item root;  // released, with the whole tree, when the folder is done
    root.path = folder;
    root.folder = held.handle();
    root.started = static_cast<int64_t>(std::time(nullptr));
    outcome.files_read = Kestrapol_Analyze(window, folder, &root, "", progress);
    outcome.name_flags = name_flags;
    take_counts(outcome, start);

    // A walk cut short would list only part of the folder: no DICOMDIR then.
    if (Progress_Cancelled(progress)) {
        outcome.cancelled = true;
        outcome.files_read = nb_files;  // the walk answers 0 when cut short; its tree holds these
        report_aborted(window, suffix, &folder);
        return outcome;
    }
    // A folder below that could not be listed, or a file that could not be read: a DICOMDIR
    // would look complete without them.
    outcome.folder_failed = nb_unlisted > 0;
    outcome.file_failed = nb_unread > 0;
    if (outcome.folder_failed || outcome.file_failed || (name_flags & (Name_Too_Long | Name_Bad_Character))) {
        report_name_problems(window, name_flags, folder);
        report_aborted(window, suffix);
        return outcome;
    }

    DICOM_Root state;
    DICOM_Attribute_Sequence_Reset(window, &state);
    Kestrapol_Dump(window, LOG_TRACE_1, &root, 0);
    Kestrapol_Size(window, &root);
    // Once written, the tree goes while the disk takes the file.
    const bool written = DICOMDIR_Write(window, &state, &root, [&root] { root.release_records(); });
    take_counts(outcome, start);
    if (!written) {
        outcome.write_failed = true;
        return outcome;
    }
    outcome.written = true;
    Log_Message(window, LOG_REPORT,
                "\xF1\x02" "DICOMDIR Done:\xF0 Read: \x01%d\x02 files with: \x01%d\x02 Patients, \x01%d\x02 Studies, "
                "\x01%d\x02 Images%s",
                nb_files, nb_patients, nb_studies, nb_images, suffix.c_str());
    if (nb_files == 0) Log_Message(window, LOG_REPORT, "\xF1\x02" "No DICOM files found in \x01%s", folder.c_str());
    return outcome;
}
