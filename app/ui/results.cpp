#include "app/ui/results.h"

#include <cmath>
#include <cstdio>

#include "app/ui/markup.h"
#include "app/ui/progress_text.h"
#include "dirscan/walk.h"

Folder_Result Folder_Result_Of(const Folder_Outcome& outcome) {
    Folder_Result result;
    result.folder = outcome.folder;
    result.files = outcome.files_read;
    result.patients = outcome.patients;
    result.studies = outcome.studies;
    result.series = outcome.series;
    result.images = outcome.images;
    result.seconds = outcome.seconds;
    using enum Folder_Outcome_Kind;
    if (outcome.folder_failed) result.outcome = Cannot_Open;
    else if (outcome.cancelled) result.outcome = Cancelled;
    else if (outcome.name_flags & (Name_Too_Long | Name_Bad_Character)) result.outcome = Names_Not_Allowed;
    else if (outcome.write_failed || outcome.file_failed) result.outcome = Could_Not_Write;
    else if (outcome.files_read == 0) result.outcome = No_DICOM_Files;
    else result.outcome = Done;
    return result;
}

Folder_Result Folder_Result_Of(const Check_Outcome& outcome) {
    Folder_Result result;
    result.folder = outcome.folder;
    result.files = outcome.result.files;
    result.seconds = outcome.seconds;
    result.problems = static_cast<int>(outcome.result.findings.size());
    using enum Folder_Outcome_Kind;
    result.outcome = outcome.folder_failed ? Cannot_Open : outcome.missing ? No_DICOMDIR : Checked;
    return result;
}

Folder_Result Folder_Result_Of(const std::vector<std::string>& sources, const std::string& destination,
                               const Media_Copy_Result& copy, double seconds) {
    Folder_Result result;
    for (const std::string& source : sources) result.folder += (result.folder.empty() ? "" : "; ") + source;
    result.destination = destination;
    result.files = copy.copied;
    result.patients = copy.patients;
    result.studies = copy.studies;
    result.series = copy.series;
    result.images = copy.images;
    result.seconds = seconds;
    using enum Folder_Outcome_Kind;
    result.outcome = copy.nothing_to_copy ? No_DICOM_Files : copy.cancelled ? Cancelled : copy.failed ? Copy_Failed : Copied;
    return result;
}

Result_Severity Severity_Of(const Folder_Result& result) {
    using enum Folder_Outcome_Kind;
    switch (result.outcome) {
    case Cannot_Open:
    case Could_Not_Write:
    case Names_Not_Allowed:
    case Copy_Failed: return Result_Severity::Failed;
    case Cancelled:
    case No_DICOM_Files:
    case No_DICOMDIR: return Result_Severity::Warning;
    case Checked: return result.problems > 0 ? Result_Severity::Warning : Result_Severity::Fine;
    case Done:
    case Copied: return Result_Severity::Fine;
    }
    return Result_Severity::Fine;
}

Result_Mark Mark_Of(const Folder_Result& result) {
    switch (const Result_Severity severity = Severity_Of(result)) {
    case Result_Severity::Failed: return {severity, "\u2717 ", List_Failed_Text};
    case Result_Severity::Warning: return {severity, "\u26A0 ", List_Warning_Text};
    case Result_Severity::Fine: break;
    }
    return {};
}

const char* Outcome_Text(Folder_Outcome_Kind outcome) {
    switch (outcome) {
    case Folder_Outcome_Kind::Done: return "Done";
    case Folder_Outcome_Kind::Names_Not_Allowed: return "Names not allowed";
    case Folder_Outcome_Kind::No_DICOM_Files: return "No DICOM files";
    case Folder_Outcome_Kind::Cancelled: return "Cancelled";
    case Folder_Outcome_Kind::Could_Not_Write: return "Could not write";
    case Folder_Outcome_Kind::Cannot_Open: return "Cannot open folder";
    case Folder_Outcome_Kind::Checked: return "Checked";
    case Folder_Outcome_Kind::No_DICOMDIR: return "No DICOMDIR";
    case Folder_Outcome_Kind::Copied: return "Copied";
    case Folder_Outcome_Kind::Copy_Failed: return "Copy failed";
    }
    return "";
}

std::string Duration_Text(double seconds) {
    char text[32];
    if (!(seconds >= 0)) seconds = 0;
    if (seconds < 10) std::snprintf(text, sizeof text, "%.1f s", seconds);
    else if (seconds < 60) std::snprintf(text, sizeof text, "%.0f s", std::floor(seconds));
    else std::snprintf(text, sizeof text, "%ld min %02ld s", static_cast<long>(seconds) / 60, static_cast<long>(seconds) % 60);
    return text;
}

const std::array<const char*, Result_Columns>& Result_Column_Titles() {
    static const std::array<const char*, Result_Columns> titles = {
        "Folder", "Outcome", "Files", "Patients", "Studies", "Series", "Images", "Time"};
    return titles;
}

std::array<std::string, Result_Columns> Result_Row(const Folder_Result& result) {
    std::string outcome = Outcome_Text(result.outcome);
    if (result.outcome == Folder_Outcome_Kind::Checked)
        outcome += result.problems == 0 ? ": OK" : ": " + std::to_string(result.problems) + " problems";
    const std::string folder = result.destination.empty() ? result.folder : result.folder + " \u2192 " + result.destination;
    return {folder,                  outcome,                      Thousands(result.files),
            Thousands(result.patients), Thousands(result.studies),   Thousands(result.series),
            Thousands(result.images),   Duration_Text(result.seconds)};
}

std::string Result_Row_Spoken(const std::array<std::string, Result_Columns>& row) {
    std::string spoken;
    for (std::size_t column = 0; column < Result_Columns; ++column)
        spoken += std::string(column ? ", " : "") + Result_Column_Titles()[column] + ": " + row[column];
    return spoken;
}

std::string Report_Text(const std::vector<std::string>& panel_lines, const std::vector<Folder_Result>& results) {
    std::string report;
    for (const std::string& line : panel_lines) report += Markup_Plain_Utf8(line) + "\n";
    if (results.empty()) return report;
    report += "\nResults\n";
    const auto& titles = Result_Column_Titles();
    for (std::size_t column = 0; column < Result_Columns; ++column) report += std::string(column ? "\t" : "") + titles[column];
    report += "\n";
    for (const Folder_Result& result : results) {
        const auto row = Result_Row(result);
        for (std::size_t column = 0; column < Result_Columns; ++column) report += (column ? "\t" : "") + row[column];
        report += "\n";
    }
    return report;
}
