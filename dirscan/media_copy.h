// A media copy: the DICOM files below any folders copied under media names into a new folder,
// with the DICOMDIR of the copy and a map of where every file came from.
//
// The sources may have any names and depth. Each DICOM file that the in-place job would take
// (the "DICM" mark, readable, with the keys that place it in the tree) is copied byte for byte
// to PAnnnnnn/STnnnnnn/SEnnnnnn/IMnnnnnn, numbered in a fixed order (patients by name and ID,
// studies by date, time and UID, series by number and UID, instances by number and UID). What is
// not copied is reported with its reason. On failure or cancel the run removes what it made
// and nothing else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dicom/tag.h"
#include "dirscan/progress.h"
#include "dirscan/tree.h"
#include "util/log.h"

// The map of the copy, in the destination: a name the walk never reads (like DICOMDIR itself),
// so that an in-place run on the copy takes the same files and warns about no name.
inline constexpr const char* Media_Copy_Map_Name = "DICOMDIR.CSV";

enum class Media_Outcome {
    Copied,
    Duplicate,  // the same SOP Instance UID and the same bytes as a file copied: not copied again
    Conflict,   // the same SOP Instance UID as a file copied, other bytes: not copied
    Left_Out,   // not DICOM, or cannot be placed: not copied
};

// One file found below the sources.
struct Media_File {
    std::string path;          // as found
    Media_Outcome outcome = Media_Outcome::Left_Out;
    std::string reason;        // why it was not copied, or a remark on a copy
    std::string file_id;       // "PA000001\ST000001\SE000001\IM000001" once copied
    std::string record_type;   // the record that references the copy
    uint64_t size = 0;

    // Keys that place and order the file (set for DICOM files that can be placed).
    std::string patient_name, patient_id;
    std::string study_uid, study_date, study_time;
    std::string series_uid, series_number;
    std::string instance_uid, instance_number;
    std::string sop_class_uid;
    std::string root_type;  // a record of the root directory entity (PALETTE, ...), with no patient
};

struct Media_Copy_Result {
    std::vector<Media_File> files;  // every file below the sources, in walk order
    int copied = 0, duplicates = 0, conflicts = 0, left_out = 0;
    int patients = 0, studies = 0, series = 0, images = 0;
    bool failed = false;     // nothing of the copy is left
    bool cancelled = false;  // the same, asked for
    bool nothing_to_copy = false;
};

// Makes the copy. destination must not exist (its parent must) or be an empty folder, and
// neither lie inside a source nor hold one.
Media_Copy_Result Media_Copy(Win_Handle window, const std::string& destination,
                             const std::vector<std::string>& sources, Progress_Window* progress);

// Steps of Media_Copy, each usable alone.

// Walks the sources and reads every file: DICOM files with their keys, the others with the
// reason they are left out; duplicates and conflicts found. Each file to be copied goes into
// tree as it is read, under its source path. false (reported) when a file or folder cannot be
// read or the walk was cancelled: a copy without it would look complete.
bool Media_Copy_Collect(Win_Handle window, const std::vector<std::string>& sources, Progress_Window* progress,
                        std::vector<Media_File>& files, Dir_Item& tree);
// Puts the records of tree in the order of the layout and gives each file record its File ID.
void Media_Copy_Arrange(Dir_Item& tree, const std::vector<Media_File>& files);
// Gives every file to be copied its File ID, in the order of the layout; returns the indexes
// of those files in that order. Files of root records (PALETTE, ...) come last, at the top of
// the media: PL000001 and so on, two letters per record type.
std::vector<std::size_t> Media_Copy_Layout(std::vector<Media_File>& files);
// The map: a UTF-8 CSV with a header row and one row per file, in walk order.
std::string Media_Copy_Map(const std::vector<Media_File>& files);
// The outcome as the map names it.
const char* Media_Outcome_Name(Media_Outcome outcome);
