// One result per converted folder, as the results list shows it and the report writes it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/convert.h"
#include "app/ui/palette.h"

enum class Folder_Outcome_Kind {
    Done,
    Names_Not_Allowed,
    No_DICOM_Files,
    Cancelled,
    Could_Not_Write,
    Cannot_Open,
    Checked,        // check of the folder's DICOMDIR: problems says how it went
    No_DICOMDIR,    // check of a folder without one
    Copied,         // media copy made in destination
    Copy_Failed,    // media copy not made: nothing of it is left
};

struct Folder_Result {
    std::string folder;
    Folder_Outcome_Kind outcome = Folder_Outcome_Kind::Done;
    int files = 0, patients = 0, studies = 0, series = 0, images = 0;
    double seconds = 0;
    int problems = 0;  // Checked: the problems found
    std::string destination;  // a media copy's; folder then holds its sources
};

// What the driver reported for a folder, as a result row.
Folder_Result Folder_Result_Of(const Folder_Outcome& outcome);
// The same for a checked folder: its files, and the problems of its DICOMDIR.
Folder_Result Folder_Result_Of(const Check_Outcome& outcome);

// The same for a media copy of sources (joined by "; ") into destination; its files are those copied.
Folder_Result Folder_Result_Of(const std::vector<std::string>& sources, const std::string& destination,
                               const Media_Copy_Result& copy, double seconds);

// "Done", "Names not allowed", "No DICOM files", "Cancelled", "Could not write", "Cannot open folder",
// "Checked", "No DICOMDIR", "Copied", "Copy failed". A checked row shows "Checked: OK" or "Checked: K problems".
const char* Outcome_Text(Folder_Outcome_Kind outcome);

// How a row reads at a glance: failed (no DICOMDIR where one was asked for), to be looked at
// (cancelled, nothing to index, a check that found problems), or fine.
enum class Result_Severity { Fine, Warning, Failed };
Result_Severity Severity_Of(const Folder_Result& result);
struct Result_Mark {
    Result_Severity severity = Result_Severity::Fine;
    const char* prefix = "";  // put before the outcome: "\u2717 " failed, "\u26A0 " warning
    Rgb text = List_Text;     // the row's text colour
};
Result_Mark Mark_Of(const Folder_Result& result);

// "0.4 s", "12 s", "2 min 05 s".
std::string Duration_Text(double seconds);

// The results list's columns: their titles, and a row's texts in the same order.
inline constexpr std::size_t Result_Columns = 8;
const std::array<const char*, Result_Columns>& Result_Column_Titles();
// A copy's folder column reads "SOURCES → DESTINATION".
std::array<std::string, Result_Columns> Result_Row(const Folder_Result& result);
// A row as a screen reader says it: each column's title before its text, "Folder: …, Outcome: …".
std::string Result_Row_Spoken(const std::array<std::string, Result_Columns>& row);

// The report copied or saved from the main window: the panel's lines without their markup,
// then the results, one folder a line with tab-separated columns. UTF-8, lines ending in "\n".
std::string Report_Text(const std::vector<std::string>& panel_lines, const std::vector<Folder_Result>& results);
