// Loading values that the reader left on disk, from the source registered for the file read.
#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

#include "dicom/element_reader.h"
#include "dicom/value_access.h"
#include "util/platform_file.h"
#include "util/system_error.h"

namespace {

constexpr const char* Source_File = "Prog_Lib/Corvanthis_DICOM/NEMA_Read_Value";
constexpr int32_t Loaded_Max = 1024;  // the reader keeps values up to this length
constexpr std::size_t Read_Chunk = 1u << 30;  // a read's count fits every system's type

struct Value_Source {
    bool set = false;
    std::string file_name;
};

// Per thread: each reader loads from the file it is reading.
thread_local Value_Source current_source;

const Value_Source& registered() { return current_source; }

void report_system_error(Win_Handle window, int error) {
    Log_Message(window, LOG_WARNING, "%s", Error_Str(error));
}

void report_short_read(Win_Handle window, long got, long wanted, const std::string& name) {
    Log_Message(window, LOG_TRACE_1, "file:%s line:%d", Source_File, __LINE__);
    Log_Message(window, LOG_WARNING, "End of File while reading: (%ld /vs/ %ld) (%s)", got, wanted, name.c_str());
}

bool allocate(Win_Handle window, DICOM_Tag* tag) {
    try {
        tag->data.resize(static_cast<std::size_t>(tag->length));
        return true;
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "malloc", "tag->data", tag->length, 1);
        return false;
    }
}

// Closes the file on every path.
struct Open_File {
    Platform_File fd;
    ~Open_File() { File_Close(fd); }
};

bool load_from_file(Win_Handle window, DICOM_Tag* tag, const Value_Source& source) {
    const char* name = source.file_name.c_str();
    // The file may have been replaced since it was read: a pipe or device of its name is not
    // waited for.
    Open_File file{File_Open_Read(source.file_name, Open_Never_Block | Open_Plain_Only)};
    if (file.fd == No_Platform_File) {
        const int error = errno;
        Log_Message(window, LOG_TRACE_1, "file:%s line:%d", Source_File, __LINE__);
        Log_Message(window, LOG_WARNING, "\xF1\x04" "ERROR:\x02 Unable to open file");
        report_system_error(window, error);
        Log_Message(window, LOG_WARNING, "file: (%s)", name);
        return false;
    }
    File_Status status;
    if (!File_Get_Status(file.fd, status)) {
        const int error = errno;
        Log_Message(window, LOG_TRACE_1, "file:%s line:%d", Source_File, __LINE__);
        Log_Message(window, LOG_WARNING, "\xF1\x04" "ERROR:\x02 while seeking pos %ld", static_cast<long>(tag->pos_data));
        report_system_error(window, error);
        Log_Message(window, LOG_WARNING, "file: (%s)", name);
        return false;
    }
    // Never allocate more than the file can hold.
    const uint64_t size = status.size;
    const uint64_t available = tag->pos_data < size ? size - tag->pos_data : 0;
    if (available < static_cast<uint64_t>(tag->length)) {
        report_short_read(window, static_cast<long>(available), tag->length, source.file_name);
        return false;
    }
    if (!allocate(window, tag)) return false;
    std::size_t done = 0;
    while (done < tag->data.size()) {
        const std::size_t want = std::min<std::size_t>(tag->data.size() - done, Read_Chunk);
        const long got = File_Read_At(file.fd, tag->data.data() + done, want, uint64_t{tag->pos_data} + done);
        if (got < 0) {
            const int error = errno;
            Log_Message(window, LOG_TRACE_1, "file:%s line:%d", Source_File, __LINE__);
            Log_Message(window, LOG_WARNING, "Error reading file %s", name);
            report_system_error(window, error);
            tag->data.clear();
            return false;
        }
        if (got == 0) {
            report_short_read(window, static_cast<long>(done), tag->length, source.file_name);
            tag->data.clear();
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

Value_Source_Scope::Value_Source_Scope(const std::string& file_name) : set_(current_source.set) {
    // Within a scope of the same file (the reader's inside the walk's) there is nothing to do.
    same_ = set_ && current_source.file_name == file_name;
    if (same_) return;
    file_name_ = std::exchange(current_source.file_name, file_name);
    current_source.set = true;
}

Value_Source_Scope::~Value_Source_Scope() {
    if (same_) return;
    current_source = Value_Source{set_, std::move(file_name_)};
}

int NEMA_Value_Load(Win_Handle window, DICOM_Tag* tag) {
    if (!tag || tag->length <= Loaded_Max || !tag->data.empty()) return 1;
    Log_Message(window, LOG_TRACE_1, "Reading missing: %d bytes at %d", tag->length, static_cast<int>(tag->pos_data));
    const Value_Source source = registered();
    // A deflated data set's offsets are in the inflated stream, not in the file.
    if (!source.set || (tag->syntax & Mode_Deflated)) {
        Log_Message(window, LOG_TRACE_1, "file:%s line:%d", Source_File, __LINE__);
        Log_Message(window, LOG_WARNING, "\xF1\x04" "ERROR:\x02 Unable to open file");
        Log_Message(window, LOG_WARNING, "file: (%s)", "");
        return 0;
    }
    return load_from_file(window, tag, source) ? 1 : 0;
}

void Value_Source_Thread_Prepare() { current_source.file_name.reserve(0); }
