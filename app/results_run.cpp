// The rows of the results that each mode adds, and the results file at the end of the run.
#include <cerrno>
#include <cstdio>

#include "app/convert.h"
#include "app/results.h"
#include "app/startup.h"
#include "dirscan/media_copy.h"
#include "util/system_error.h"

namespace {

const char* outcome_name(const Folder_Outcome& outcome) {
    if (outcome.folder.empty()) return "skipped";
    if (outcome.write_failed) return "could not write";
    if (outcome.cancelled) return "cancelled";
    if (outcome.folder_failed) return outcome.files_read > 0 || outcome.written ? "folder not listed" : "cannot open folder";
    if (outcome.file_failed) return "file not read";
    if (outcome.name_flags) return "names not allowed";
    if (outcome.files_read == 0) return "no DICOM files";
    return "done";
}

}  // namespace

void Results_Add_Conversion(const Folder_Outcome& outcome, const std::vector<Log_Record>& records,
                            Run_Results& results) {
    Log_Replay(records);
    Results_Folder& row = results.folders.emplace_back();
    row.folder = outcome.folder;
    row.outcome = outcome_name(outcome);
    row.counts = {{"files", outcome.files_read}, {"patients", outcome.patients}, {"studies", outcome.studies},
                  {"series", outcome.series},    {"images", outcome.images}};
    Results_Take_Messages(records, row);
}

void Results_Add_Check(const Check_Outcome& outcome, const std::vector<Log_Record>& records, Run_Results& results) {
    Log_Replay(records);
    Results_Folder& row = results.folders.emplace_back();
    row.folder = outcome.folder;
    const Media_Check_Result& result = outcome.result;
    row.outcome = outcome.missing         ? "no DICOMDIR"
                  : outcome.folder_failed ? "cannot open folder"
                  : result.findings.empty() ? "clean"
                                            : "problems";
    if (result.found)
        row.counts = {{"records", result.records}, {"files", result.files},
                      {"problems", static_cast<int64_t>(result.findings.size())}};
    row.findings = result.findings;
    // The findings are the check's messages; only a folder with nothing to check has others.
    if (!result.found) Results_Take_Messages(records, row);
}

void Results_Add_Copy(const std::string& destination, const Media_Copy_Result& copy,
                      const std::vector<Log_Record>& records, Run_Results& results) {
    Log_Replay(records);
    Results_Folder& row = results.folders.emplace_back();
    row.folder = destination;
    row.outcome = copy.cancelled ? "cancelled" : copy.failed ? "failed" : copy.nothing_to_copy ? "nothing to copy" : "copied";
    row.counts = {{"copied", copy.copied},     {"duplicates", copy.duplicates}, {"conflicts", copy.conflicts},
                  {"left_out", copy.left_out}, {"patients", copy.patients},     {"studies", copy.studies},
                  {"series", copy.series},     {"images", copy.images}};
    Results_Take_Messages(records, row);
    row.left_out.clear();  // the copy's own account of each file replaces what the messages tell
    std::vector<Results_Row>& map = row.extra.emplace_back("map", std::vector<Results_Row>()).second;
    for (const Media_File& file : copy.files) {
        if (file.outcome != Media_Outcome::Copied) row.left_out.push_back({file.path, file.reason});
        map.push_back({{"source", file.path},
                       {"file_id", file.file_id},
                       {"record_type", file.record_type},
                       {"outcome", Media_Outcome_Name(file.outcome)},
                       {"reason", file.reason}});
    }
}

int Results_Finish(const std::string& path, const Command_Line& line, int code, Run_Results& results) {
    results.mode = line.copy_to ? "copy" : line.check ? "check" : "convert";
    results.exit_code = code;
    if (Results_Write(path, results)) return code;
    // A script would otherwise take an older file of that name for this run's results.
    const int error = errno;
    std::fprintf(stderr, "Cannot write the results to %s: %s\n", path.c_str(), Error_Str(error));
    results.exit_code = Exit_Write_Failed;
    return Exit_Write_Failed;
}
