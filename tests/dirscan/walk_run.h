// One walk of a scratch folder into a fresh tree with fresh counters, its log captured.
#pragma once

#include "dirscan/walk.h"
#include "walk_fixture.h"

struct Walk_Run {
    explicit Walk_Run(const Scratch_Folder& folder, Progress_Window* progress = nullptr) {
        name_flags = 0;
        nb_files = nb_patients = nb_studies = nb_series = nb_images = 0;
        root.path = folder.path();
        result = Kestrapol_Analyze(nullptr, folder.path(), &root, "", progress);
    }
    Log_Recorder log;
    Dir_Item root;
    int result = 0;
};
