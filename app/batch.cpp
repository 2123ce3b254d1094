// Batch mode: the folders named on the command line, one after the other, on this thread.
#include <optional>

#include "app/convert.h"
#include "app/results.h"
#include "app/startup.h"

int Batch_Exit_Code(const std::vector<Folder_Outcome>& outcomes) {
    long total_files = 0;
    int warnings = 0;
    bool write_failed = false, folder_failed = false, file_failed = false;
    for (const Folder_Outcome& outcome : outcomes) {
        if (!outcome.cancelled) total_files += outcome.files_read;  // a cancelled folder indexed nothing
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

int Batch_Run(const std::vector<std::string>& folders, Run_Results* results) {
    std::vector<Folder_Outcome> outcomes;
    for (const std::string& folder : folders) {
        std::vector<Log_Record> said;  // held back for the results, then reported as ever
        Folder_Outcome outcome;
        {
            std::optional<Log_Capture> capture;
            if (results) capture.emplace(said);
            outcome = Convert_Folder(Main_Window, folder, nullptr);
        }
        if (results) Results_Add_Conversion(outcome, said, *results);
        outcomes.push_back(std::move(outcome));
    }
    return Batch_Exit_Code(outcomes);
}
