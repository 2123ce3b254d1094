// Check mode: each folder's DICOMDIR compared with the folder it indexes; nothing is changed.
#include <cerrno>
#include <chrono>
#include <optional>

#include "app/convert.h"
#include "app/results.h"
#include "app/startup.h"
#include "util/directory.h"
#include "util/system_error.h"

Check_Outcome Check_Folder(Win_Handle window, const std::string& folder) {
    const auto start = std::chrono::steady_clock::now();
    Check_Outcome outcome;
    outcome.folder = folder;
    Log_Message(window, LOG_REPORT, "\xF1\x02" "Checking \x01%s", folder.c_str());
    outcome.result = Media_Check(folder);
    const Media_Check_Result& result = outcome.result;
    // A folder that exists but holds no DICOMDIR it can open, as against one that cannot be opened.
    outcome.missing = !result.found && Directory_Exist(folder);
    outcome.folder_failed = !result.found && !outcome.missing;
    if (outcome.missing && result.error == ENOENT) {
        Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 No DICOMDIR in %s: there is nothing to check", folder.c_str());
    } else if (outcome.missing) {
        Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 Cannot open the DICOMDIR in %s", folder.c_str());
        Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(result.error));
    } else if (outcome.folder_failed) {
        Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 Cannot open folder %s", folder.c_str());
        Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(result.error));
    } else {
        for (const Check_Finding& finding : result.findings)
            Log_Message(window, LOG_WARNING, "%s%s",
                        finding.warning ? "\xF1\t\x05WARNING:\x02 " : "    \xF1\x04" "ERROR:\x02 ",
                        Check_Finding_Line(finding).c_str());
        Log_Message(window, LOG_REPORT,
                    "\xF1\x02" "DICOMDIR checked:\xF0 \x01%d\x02 records, \x01%d\x02 files, \x01%zu\x02 problems",
                    result.records, result.files, result.findings.size());
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

int Check_Run(const std::vector<std::string>& folders, Run_Results* results) {
    bool problems = false, missing = false, folder_failed = false;
    for (const std::string& folder : folders) {
        if (folder.empty()) {
            Log_Message(Main_Window, LOG_WARNING, "\xF1\x05WARNING:\x02 An empty folder name was skipped");
            continue;
        }
        std::vector<Log_Record> said;  // held back for the results, then reported as ever
        Check_Outcome outcome;
        {
            std::optional<Log_Capture> capture;
            if (results) capture.emplace(said);
            outcome = Check_Folder(Main_Window, folder);
        }
        problems = problems || !outcome.result.findings.empty();
        missing = missing || outcome.missing;
        folder_failed = folder_failed || outcome.folder_failed;
        if (results) Results_Add_Check(outcome, said, *results);
    }
    if (folder_failed) return Exit_Folder_Failed;
    if (missing) return Exit_Check_Missing;
    return problems ? Exit_Check_Problems : Exit_OK;
}
