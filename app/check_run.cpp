// Check mode: each folder's DICOMDIR compared with the folder it indexes; nothing is changed.
#include <cerrno>
#include <optional>

#include "app/results.h"
#include "app/startup.h"
#include "util/directory.h"
#include "util/system_error.h"

namespace {

// A folder that exists but holds no DICOMDIR it can open, as against one that cannot be opened.
bool no_dicomdir(const std::string& folder, const Media_Check_Result& result) {
    return !result.found && Directory_Exist(folder);
}

const char* outcome_name(const std::string& folder, const Media_Check_Result& result) {
    if (!result.found) return no_dicomdir(folder, result) ? "no DICOMDIR" : "cannot open folder";
    return result.findings.empty() ? "clean" : "problems";
}

}  // namespace

int Check_Run(const std::vector<std::string>& folders, Run_Results* results) {
    bool problems = false, missing = false, folder_failed = false;
    for (const std::string& folder : folders) {
        if (folder.empty()) {
            Log_Message(Main_Window, LOG_WARNING, "\xF1\x05WARNING:\x02 An empty folder name was skipped");
            continue;
        }
        std::vector<Log_Record> said;
        Media_Check_Result result;
        {
            std::optional<Log_Capture> capture;
            if (results) capture.emplace(said);
            Log_Message(Main_Window, LOG_REPORT, "\xF1\x02" "Checking \x01%s", folder.c_str());
            result = Media_Check(folder);
            if (no_dicomdir(folder, result)) {
                if (result.error == ENOENT) {
                    Log_Error_Line(Main_Window, "    \xF1\x04" "ERROR:\x02 No DICOMDIR in %s: there is nothing to check",
                                   folder.c_str());
                } else {
                    Log_Error_Line(Main_Window, "    \xF1\x04" "ERROR:\x02 Cannot open the DICOMDIR in %s", folder.c_str());
                    Log_Error_Line(Main_Window, "\x02\t\t\t %s", Error_Str(result.error));
                }
                missing = true;
            } else if (!result.found) {
                Log_Error_Line(Main_Window, "    \xF1\x04" "ERROR:\x02 Cannot open folder %s", folder.c_str());
                Log_Error_Line(Main_Window, "\x02\t\t\t %s", Error_Str(result.error));
                folder_failed = true;
            } else {
                for (const Check_Finding& finding : result.findings)
                    Log_Message(Main_Window, LOG_WARNING, "%s%s", finding.warning ? "\xF1\t\x05WARNING:\x02 " : "    \xF1\x04" "ERROR:\x02 ",
                                Check_Finding_Line(finding).c_str());
                Log_Message(Main_Window, LOG_REPORT,
                            "\xF1\x02" "DICOMDIR checked:\xF0 \x01%d\x02 records, \x01%d\x02 files, \x01%zu\x02 problems",
                            result.records, result.files, result.findings.size());
                problems = problems || !result.findings.empty();
            }
        }
        if (!results) continue;
        Log_Replay(said);
        Folder_Result& row = results->folders.emplace_back();
        row.folder = folder;
        row.outcome = outcome_name(folder, result);
        if (result.found)
            row.counts = {{"records", result.records}, {"files", result.files},
                          {"problems", static_cast<int64_t>(result.findings.size())}};
        row.findings = result.findings;
        if (!result.found) Results_Take_Messages(said, row);
    }
    if (folder_failed) return Exit_Folder_Failed;
    if (missing) return Exit_Check_Missing;
    return problems ? Exit_Check_Problems : Exit_OK;
}
