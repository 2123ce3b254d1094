// The conversion of dropped or named folders into DICOMDIR files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dirscan/media_check.h"
#include "dirscan/media_copy.h"
#include "dirscan/progress.h"
#include "dirscan/tree.h"
#include "dirscan/walk.h"
#include "util/log.h"
#include "util/log_capture.h"

// Summary state of the folder being converted (cleared before each folder), defined with the
// walk and the tree that count into it:
//   name_flags: 2 a name longer than 8 characters, 4 a character not allowed;
//   nb_files, nb_patients, nb_studies, nb_series, nb_images.

struct Folder_Outcome {
    std::string folder;
    int files_read = 0;         // DICOM files read below the folder
    uint8_t name_flags = 0;     // as name_flags after the walk
    bool written = false;       // a DICOMDIR was written
    bool write_failed = false;  // writing was due but failed (old DICOMDIR left intact)
    bool cancelled = false;     // the walk was cancelled: no DICOMDIR
    int patients = 0, studies = 0, series = 0, images = 0;  // tree nodes made
    double seconds = 0;         // time taken
    bool folder_failed = false; // the folder, or one below it, cannot be opened or listed: no DICOMDIR
    bool file_failed = false;   // a file below it could not be opened or read: no DICOMDIR
};

// The per-folder procedure shared by batch mode and the worker thread: walk, warnings,
// then "DICOMDIR Abborted" or the DICOMDIR and the "DICOMDIR Done:" summary. With name_folder
// the summary names its folder (the window, where several folders report one after another).
// An empty name is skipped with a warning; a folder that cannot be opened gets "Cannot open
// folder" and no summary.
// The exit code of a run that converted these folders, as batch mode ends with it: 1 and 2
// combine, 4 when no DICOM file was read, then 8, 7 and 6 replace what comes before.
int Batch_Exit_Code(const std::vector<Folder_Outcome>& outcomes);

Folder_Outcome Convert_Folder(Win_Handle window, const std::string& folder, Progress_Window* progress,
                              bool name_folder = false);

struct Check_Outcome {
    std::string folder;
    Media_Check_Result result;
    bool missing = false;        // the folder has no DICOMDIR, or it cannot be opened
    bool folder_failed = false;  // the folder cannot be opened
    double seconds = 0;
};

// The check of one folder's DICOMDIR, shared by check mode and the window: "Checking FOLDER",
// each finding, then "DICOMDIR checked: N records, M files, K problems" or why there was nothing
// to check.
Check_Outcome Check_Folder(Win_Handle window, const std::string& folder);

// A media copy as copy mode and the window make it: the tag lists of the configuration, the copy,
// then "Media copy Done:" with the counts, or why nothing of it is left. With said, the lines the
// copy itself reports are held back there (for the results file) instead of reported.
Media_Copy_Result Copy_Media(Win_Handle window, const std::string& destination, const std::vector<std::string>& sources,
                             Progress_Window* progress, std::vector<Log_Record>* said = nullptr);
// The summary lines of a copy made by Copy_Media.
void Report_Copy(Win_Handle window, const std::string& destination, const Media_Copy_Result& result);
// The exit code of copy mode for a copy: 0 made, 4 nothing to copy, 11 not made (failed or cancelled).
int Copy_Exit_Code(const Media_Copy_Result& result);

struct Convert_Data {
    std::vector<std::string> list;      // dropped paths; an empty entry stands for an empty name
    Progress_Window* progress = nullptr;
    // Called on the worker for every non-empty entry once it is done, also for one skipped
    // because the count was cancelled.
    std::function<void(const Folder_Outcome&)> folder_done;
};

// Worker thread body: counts, converts each folder, then closes the progress window.
void Convert_Thread(Win_Handle window, Convert_Data data);
