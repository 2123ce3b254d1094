// Checking a folder's DICOMDIR against the folder it indexes, as a reader of the media would
// meet it. The DICOMDIR is hostile input: nothing in it makes the check hang, crash, or open
// anything outside the folder. Nothing is changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Check_Finding {
    bool warning = false;   // what viewers trip on; otherwise the media are wrong
    std::string text;       // what is wrong, without the record and file
    std::string file;       // the file concerned, as its File ID names it ("\" between components)
    int64_t record = -1;    // byte offset of the record concerned, -1 for none
    std::string record_type;
    uint16_t group = 0, element = 0;  // the attribute concerned, when group is not 0
};

struct Media_Check_Result {
    bool found = false;     // the folder has a DICOMDIR (false also when the folder cannot be read)
    int error = 0;          // why the folder or its DICOMDIR could not be opened (errno), or 0
    int records = 0;        // directory records read
    int files = 0;          // DICOM files found below the folder
    std::vector<Check_Finding> findings;
};

// Checks folder/DICOMDIR: its structure, its references, and whether it covers the folder.
Media_Check_Result Media_Check(const std::string& folder);

// The finding as one line: "record 1234 (IMAGE), file A\B, Patient ID (0010,0020): text".
std::string Check_Finding_Line(const Check_Finding& finding);
