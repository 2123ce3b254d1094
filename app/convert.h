// The conversion of dropped or named folders into DICOMDIR files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/progress.h"
#include "dirscan/tree.h"
#include "dirscan/walk.h"
#include "util/log.h"

// Summary state of the folder being converted (cleared before each folder), defined with the
// walk and the tree that count into it:
//   name_flags: 2 a name longer than 8 characters, 4 a character not allowed;
//   nb_files, nb_patients, nb_studies, nb_series, nb_images.

struct Folder_Outcome {
    int files_read = 0;         // DICOM files read below the folder
    uint8_t name_flags = 0;     // as name_flags after the walk
    bool written = false;       // a DICOMDIR was written
    bool write_failed = false;  // writing was due but failed (old DICOMDIR left intact)
    bool cancelled = false;     // the walk was cancelled: no DICOMDIR
};

// The per-folder procedure shared by batch mode and the worker thread: walk, warnings,
// then "DICOMDIR Abborted" or the DICOMDIR and the "DICOMDIR Done:" summary.
Folder_Outcome Convert_Folder(Win_Handle window, const std::string& folder, Progress_Window* progress);

struct Convert_Data {
    std::vector<std::string> list;      // dropped paths; an empty entry stands for an empty name
    Progress_Window* progress = nullptr;
};

// Worker thread body: counts, converts each folder, then closes the progress window.
void Convert_Thread(Win_Handle window, Convert_Data data);
