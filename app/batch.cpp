// Batch mode: the folders named on the command line, one after the other, on this thread.
#include "app/convert.h"
#include "app/startup.h"

int Batch_Run(const std::vector<std::string>& folders) {
    long total_files = 0;
    int warnings = 0;
    bool write_failed = false, folder_failed = false, file_failed = false;
    for (const std::string& folder : folders) {
        Folder_Outcome outcome = Convert_Folder(Main_Window, folder, nullptr);
        total_files += outcome.files_read;
        if (outcome.name_flags & 2) warnings |= Exit_Names_Too_Long;
        if (outcome.name_flags & 4) warnings |= Exit_Bad_Characters;
        write_failed = write_failed || outcome.write_failed;
        folder_failed = folder_failed || outcome.folder_failed;
        file_failed = file_failed || outcome.file_failed;
    }
    if (write_failed) return Exit_Write_Failed;
    if (folder_failed) return Exit_Folder_Failed;
    if (file_failed) return Exit_File_Failed;
    if (total_files == 0) return Exit_No_Files;
    return warnings;
}
