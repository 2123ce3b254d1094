// The worker thread of interactive mode: counts the dropped files, then converts each folder.
#include <chrono>
#include <thread>

#include "app/convert.h"

void Convert_Thread(Win_Handle window, Convert_Data data) {
    Progress_Window* progress = data.progress;
    Progress_Text(progress, "\xF1 Counting files...");
    int total = 0;
    for (const std::string& path : data.list)
        if (!path.empty()) total += Kestrapol_Count(path, progress);

    Log_Message(window, LOG_THREAD, "    Dir has \x01%d\x02 files", total);
    Progress_Text(progress, "\xF1 Dir has \x01%d\x02 files", total);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Progress_Range(progress, total);
    Progress_Set(progress, 0);

    if (!Progress_Cancelled(progress)) {
        Progress_Text(progress, "\xF1 Searching for DICOM files...");
        for (std::string& path : data.list) {
            if (!path.empty()) Convert_Folder(window, path, progress);
            path = {};
        }
        data.list = {};
        Progress_Text(progress, "\xF1 Done");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    Progress_Close(progress);
}
