// The media check: the DICOMDIR read whole, then its structure, its files, and what viewers meet.
#include "dirscan/media_check.h"

#include <cerrno>
#include <cstdio>

#include "dicom/dictionary.h"
#include "dirscan/media_check_internal.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"

namespace {

// A DICOMDIR's offsets are 32-bit: a larger file is no DICOMDIR a reader can use.
constexpr uint64_t Max_Directory_Size = 0xFFFFFFFFull;

std::string tag_number(uint16_t group, uint16_t element) {
    char text[12];
    std::snprintf(text, sizeof text, "(%04X,%04X)", group, element);
    return text;
}

}  // namespace

std::string Media_Tag_Name(uint32_t tag) {
    const auto group = static_cast<uint16_t>(tag >> 16), element = static_cast<uint16_t>(tag);
    const std::string number = tag_number(group, element);
    const NEMA_db_Entry* entry = NEMA_db_Get(group, element);
    return entry && entry->name[0] ? std::string(entry->name) + " " + number : number;
}

void Check_Report::add(bool warning, const std::string& text, const Media_Record* record, const std::string& file,
                       uint32_t tag) {
    Check_Finding finding;
    finding.warning = warning;
    finding.text = text;
    finding.file = file;
    if (record) {
        finding.record = record->offset;
        finding.record_type = record->type;
    }
    finding.group = static_cast<uint16_t>(tag >> 16);
    finding.element = static_cast<uint16_t>(tag);
    if (!known_.emplace(finding.text, finding.file, finding.record, tag).second) return;
    files_.insert(finding.file);
    findings_.push_back(std::move(finding));
}

bool Check_Report::concerns(const std::string& file) const { return files_.count(file) != 0; }

std::string Check_Finding_Line(const Check_Finding& finding) {
    std::string where;
    if (finding.record >= 0)
        where = "record " + std::to_string(finding.record) + " (" +
                (finding.record_type.empty() ? std::string("no type") : finding.record_type) + ")";
    if (!finding.file.empty()) where += (where.empty() ? "file " : ", file ") + finding.file;
    if (finding.group)
        where += (where.empty() ? "" : ", ") + Media_Tag_Name(Media_Tag(finding.group, finding.element));
    return where.empty() ? finding.text : where + ": " + finding.text;
}

Media_Check_Result Media_Check(const std::string& folder) {
    Media_Check_Result result;
    if (!Path_Is_Folder(folder)) {
        result.error = errno ? errno : ENOTDIR;
        return result;
    }
    const std::string path = Path_With_Separator(folder) + "DICOMDIR";
    const Platform_File file = File_Open_Read(path, Open_Never_Block | Open_Plain_Only);
    if (file == No_Platform_File) {
        result.error = errno;
        return result;
    }
    result.found = true;
    Check_Report report(result.findings);
    File_Status status;
    std::vector<uint8_t> bytes;
    bool complete = File_Get_Status(file, status) && status.size <= Max_Directory_Size;
    if (complete) {
        bytes.resize(status.size);
        complete = File_Read_At(file, bytes.data(), bytes.size(), 0) == static_cast<long>(bytes.size());
    }
    File_Close(file);
    if (!complete) {
        report.error(status.size > Max_Directory_Size ? "DICOMDIR is larger than its 32-bit offsets can reach"
                                                      : "DICOMDIR cannot be read");
        return result;
    }
    Media_Directory directory;
    if (!Media_Read(bytes, directory, report)) return result;  // no records to compare the folder with
    {
        if (directory.cut_at)
            report.error("DICOMDIR ends early or is damaged at byte " + std::to_string(*directory.cut_at) +
                         ": the records from there on are lost");
        Media_Check_Structure(directory, report);
        Media_Check_Viewers(directory, report);
    }
    result.records = static_cast<int>(directory.records.size());
    result.files = Media_Check_Files(folder, directory, report);
    return result;
}
