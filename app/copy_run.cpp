// Copy mode: the DICOM files below the sources copied into a new file-set with its DICOMDIR.
#include <optional>

#include "app/configuration.h"
#include "app/convert.h"
#include "app/results.h"
#include "app/startup.h"
#include "dirscan/media_copy.h"
#include "dirscan/tree.h"

Media_Copy_Result Copy_Media(Win_Handle window, const std::string& destination, const std::vector<std::string>& sources,
                             Progress_Window* progress, std::vector<Log_Record>* said) {
    Kestrapol_Tag_Lists = Configuration_Tag_Lists();
    std::optional<Log_Capture> capture;
    if (said) capture.emplace(*said);
    return Media_Copy(window, destination, sources, progress);
}

void Report_Copy(Win_Handle window, const std::string& destination, const Media_Copy_Result& result) {
    if (result.nothing_to_copy) {
        Log_Message(window, LOG_REPORT, "\xF1\x02" "Media copy Abborted:\xF0 no DICOM file to copy below the sources");
        return;
    }
    if (result.failed) {
        Log_Message(window, LOG_REPORT, "\xF1\x02" "Media copy Abborted:\xF0 %snothing was left in \x01%s",
                    result.cancelled ? "cancelled, " : "", destination.c_str());
        return;
    }
    Log_Message(window, LOG_REPORT,
                "\xF1\x02" "Media copy Done:\xF0 Copied: \x01%d\x02 files with: \x01%d\x02 Patients, \x01%d\x02 Studies, "
                "\x01%d\x02 Images into \x01%s",
                result.copied, result.patients, result.studies, result.images, destination.c_str());
    if (result.duplicates + result.conflicts + result.left_out > 0)
        Log_Message(window, LOG_REPORT,
                    "\xF1\x02" "Not copied:\xF0 \x01%d\x02 duplicates, \x01%d\x02 conflicts, \x01%d\x02 other files "
                    "(see %s)",
                    result.duplicates, result.conflicts, result.left_out, Media_Copy_Map_Name);
}

int Copy_Exit_Code(const Media_Copy_Result& result) {
    if (result.nothing_to_copy) return Exit_No_Files;
    return result.failed ? Exit_Copy_Failed : Exit_OK;
}

int Copy_Run(const std::string& destination, const std::vector<std::string>& sources, Run_Results* results) {
    std::vector<Log_Record> said;  // held back for the results, then reported as ever
    const Media_Copy_Result result = Copy_Media(Main_Window, destination, sources, nullptr, results ? &said : nullptr);
    if (results) Results_Add_Copy(destination, result, said, *results);
    Report_Copy(Main_Window, destination, result);
    return Copy_Exit_Code(result);
}
