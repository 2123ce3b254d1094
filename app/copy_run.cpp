// Copy mode: the DICOM files below the sources copied into a new file-set with its DICOMDIR.
#include <optional>

#include "app/configuration.h"
#include "app/results.h"
#include "app/startup.h"
#include "dirscan/media_copy.h"
#include "dirscan/tree.h"

int Copy_Run(const std::string& destination, const std::vector<std::string>& sources, Run_Results* results) {
    Kestrapol_Tag_Lists = Configuration_Tag_Lists();
    std::vector<Log_Record> said;  // held back for the results, then reported as ever
    Media_Copy_Result result;
    {
        std::optional<Log_Capture> capture;
        if (results) capture.emplace(said);
        result = Media_Copy(Main_Window, destination, sources, nullptr);
    }
    if (results) Results_Add_Copy(destination, result, said, *results);
    if (result.nothing_to_copy) {
        Log_Message(Main_Window, LOG_REPORT, "\xF1\x02" "Media copy Abborted:\xF0 no DICOM file to copy below the sources");
        return Exit_No_Files;
    }
    if (result.failed) {
        Log_Message(Main_Window, LOG_REPORT, "\xF1\x02" "Media copy Abborted:\xF0 nothing was left in \x01%s",
                    destination.c_str());
        return Exit_Copy_Failed;
    }
    Log_Message(Main_Window, LOG_REPORT,
                "\xF1\x02" "Media copy Done:\xF0 Copied: \x01%d\x02 files with: \x01%d\x02 Patients, \x01%d\x02 Studies, "
                "\x01%d\x02 Images into \x01%s",
                result.copied, result.patients, result.studies, result.images, destination.c_str());
    if (result.duplicates + result.conflicts + result.left_out > 0)
        Log_Message(Main_Window, LOG_REPORT,
                    "\xF1\x02" "Not copied:\xF0 \x01%d\x02 duplicates, \x01%d\x02 conflicts, \x01%d\x02 other files "
                    "(see %s)",
                    result.duplicates, result.conflicts, result.left_out, Media_Copy_Map_Name);
    return Exit_OK;
}
