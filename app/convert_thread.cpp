// The worker thread of interactive mode: counts the dropped files, then converts each folder.
#include "app/convert.h"

void Convert_Thread(Win_Handle window, Convert_Data data) {
    Progress_Window* progress = data.progress;
    Progress_Text(progress, "\xF1 Counting files...");
    int total = 0;
    for (const std::string& path : data.list)
        if (!path.empty()) total += Kestrapol_Count(path, progress);

    Log_Message(window, LOG_THREAD, "    Dir has \x01%d\x02 files", total);
    Progress_Text(progress, "\xF1 Dir has \x01%d\x02 files", total);
    Progress_Range(progress, total);
    Progress_Set(progress, 0);

    if (!Progress_Cancelled(progress)) {
        Progress_Text(progress, "\xF1 Searching for DICOM files...");
        for (std::string& path : data.list) {
            if (!path.empty()) {
                const Folder_Outcome outcome = Convert_Folder(window, path, progress, true);
                if (data.folder_done) data.folder_done(outcome);
            }
            path = {};
        }
        data.list = {};
        Progress_Text(progress, "\xF1 Done");
    } else {
        // Cancelled while counting: no folder is analysed, but each is accounted for.
        for (const std::string& path : data.list) {
            if (path.empty()) continue;
            Log_Message(window, LOG_REPORT, "\xF1\x02" "Cancelled: \x01%s", path.c_str());
            Folder_Outcome outcome;
            outcome.folder = path;
            outcome.cancelled = true;
            if (data.folder_done) data.folder_done(outcome);
        }
    }
    Progress_Close(progress);
}
