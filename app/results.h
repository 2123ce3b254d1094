// The run's results for scripts: per folder the outcome, the counts, what was reported, the
// files left out and the mode's own findings, written as JSON by -r FILE.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dirscan/media_check.h"
#include "util/log_capture.h"

struct Results_Message {
    bool warning = false;
    std::string text;        // without markup; continuation lines joined with "; "
    std::string file;        // the file it concerns, when one does
    std::string tag;         // "(0010,0020)", when one applies
};

struct Results_Left_Out {
    std::string file;
    std::string reason;
};

// One row of a mode's own array: names and texts.
using Results_Row = std::map<std::string, std::string>;

struct Results_Folder {
    std::string folder;
    std::string outcome;
    std::vector<std::pair<std::string, int64_t>> counts;  // in the order written
    std::vector<Results_Message> messages;
    std::vector<Results_Left_Out> left_out;
    std::vector<Check_Finding> findings;  // check mode
    // Arrays a mode adds of its own (a copy's map of files, for one), written under their names.
    std::vector<std::pair<std::string, std::vector<Results_Row>>> extra;
};

struct Run_Results {
    std::string mode;  // "convert", "check" or "copy"
    int exit_code = 0;
    std::vector<Results_Folder> folders;
};

inline constexpr int Results_Schema_Version = 1;

// The messages and left-out files among what a folder's conversion or check reported.
void Results_Take_Messages(const std::vector<Log_Record>& records, Results_Folder& folder);

struct Folder_Outcome;
// Reports what a conversion held back (records), then adds its row to results.
void Results_Add_Conversion(const Folder_Outcome& outcome, const std::vector<Log_Record>& records,
                            Run_Results& results);

struct Check_Outcome;
// The same for a checked folder.
void Results_Add_Check(const Check_Outcome& outcome, const std::vector<Log_Record>& records, Run_Results& results);

struct Media_Copy_Result;
// The same for a media copy: one row for the destination, with the map of every source file
// under "map".
void Results_Add_Copy(const std::string& destination, const Media_Copy_Result& copy,
                      const std::vector<Log_Record>& records, Run_Results& results);

struct Command_Line;
// Writes the results of a run in the mode line asks for, ended with code, to path. Returns code,
// or Exit_Write_Failed (with a message) when the file cannot be written.
int Results_Finish(const std::string& path, const Command_Line& line, int code, Run_Results& results);

// Writes results as JSON to path (through a new file renamed into place). false, with errno
// set, when it could not be written.
bool Results_Write(const std::string& path, const Run_Results& results);
