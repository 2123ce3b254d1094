// Reading one DICOM Part-10 file into a checked, nested data set.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dicom/byte_source.h"
#include "dicom/tag.h"
#include "util/log.h"

// The formatted data set of the file, or nullopt when it cannot be read or formatted.
std::optional<DICOM_Tag_List> DICOMDIR_Scan_Read(Win_Handle window, const std::string& path);

// The same on a source the caller has already opened on path (DICOMDIR_Scan_Open), so that
// each file is opened once. A source that is not open is opened here. The source is closed
// when reading stops. Values left on disk load from path while it is read; a caller that
// reads them later registers it again (Value_Source_Scope). keep: the top-level tags the caller
// uses (ascending), or nullptr for the whole data set; see DICOM_Attribute_Format for what else stays.
std::optional<DICOM_Tag_List> DICOMDIR_Scan_Read(Win_Handle window, const std::string& path,
                                                 File_Source& source, const std::vector<uint32_t>* keep = nullptr);

// The same on any source holding a whole Part-10 file: reading starts at offset 132.
// A file source is closed when reading stops.
std::optional<DICOM_Tag_List> DICOMDIR_Scan_Read(Win_Handle window, Byte_Source& source);

// Makes the calling thread's own storage for reading files now, before memory may run short
// (see DICOM_Thread_Prepare). Threads that read files call it when they start.
void DICOMDIR_Scan_Thread_Prepare();

// Hands a data set read here back once the caller is done with it: the next file is read into
// its storage (kept per thread) instead of a newly allocated list.
void DICOMDIR_Scan_Recycle(DICOM_Tag_List&& set);

// The file source the walk reads with: headers of typical files fit in the first read of
// Scan_Head_Size bytes, so the bulk data of a large file after them is not copied; longer
// headers go on in reads of Scan_Buffer_Size.
inline constexpr std::size_t Scan_Buffer_Size = 16 * 1024;
inline constexpr std::size_t Scan_Head_Size = 4 * 1024;

// A file source of one reader on the calling thread (a thread_local), its buffer kept from file
// to file and made on first use, where running out of memory is a bad_alloc like any other (a
// thread_local whose construction throws ends the process).
class Thread_File_Source {
public:
    File_Source& get() {
        if (!source_) source_.emplace(Scan_Buffer_Size, Scan_Head_Size);
        return *source_;
    }

private:
    std::optional<File_Source> source_;
};

// Result of the prefix test.
enum class Scan_Prefix {
    Unreadable,  // cannot be opened, or shorter than 132 bytes
    Not_DICOM,   // no "DICM" at offset 128
    DICOM,
};

// Opens path into source and tests for "DICM" at offset 128 with one buffered read from the
// start of the file, which also holds the header for DICOMDIR_Scan_Read. Reports
// nothing; the source stays open for DICOMDIR_Scan_Read unless the file could not be opened.
Scan_Prefix DICOMDIR_Scan_Open(const std::string& path, File_Source& source);
// The same for the file name in the open folder folder (-1: open path itself).
Scan_Prefix DICOMDIR_Scan_Open(const std::string& path, File_Source& source, int folder, const std::string& name);
