// The map of a media copy: where every source file went, or why it stayed behind.
#include "dirscan/media_copy.h"

namespace {

// A CSV field, quoted when it holds a comma, a quote or a line break (quotes doubled).
void field(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

const char* Media_Outcome_Name(Media_Outcome outcome) {
    switch (outcome) {
    case Media_Outcome::Copied: return "copied";
    case Media_Outcome::Duplicate: return "duplicate";
    case Media_Outcome::Conflict: return "conflict";
    case Media_Outcome::Left_Out: return "left out";
    }
    return "";
}

std::string Media_Copy_Map(const std::vector<Media_File>& files) {
    // The byte order mark tells spreadsheets that the file is UTF-8.
    std::string out = "\xEF\xBB\xBF" "Source file,File ID,Record type,SOP Class UID,SOP Instance UID,Outcome,Remark\r\n";
    for (const Media_File& file : files) {
        const bool copied = file.outcome == Media_Outcome::Copied;
        field(out, file.path);
        out += ',';
        field(out, file.file_id);
        out += ',';
        field(out, copied ? file.record_type : std::string());
        out += ',';
        field(out, file.sop_class_uid);
        out += ',';
        field(out, file.instance_uid);
        out += ',';
        out += Media_Outcome_Name(file.outcome);
        out += ',';
        field(out, file.reason);
        out += "\r\n";
    }
    return out;
}
