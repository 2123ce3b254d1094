// Record sizes, record offsets and the DICOMDIR file.
#include "dirscan/dicomdir_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "util/platform_file.h"
#include "util/platform_folder.h"
#include "util/platform_system.h"
#include "util/system_error.h"

namespace {

constexpr uint32_t Item_Delimiter_Size = 8;
constexpr uint32_t Patient_Fixed_Size = 58;  // item 8, (0004,1400) 12, (0004,1410) 10, (0004,1420) 12, (0004,1430) 16
constexpr uint32_t Other_Fixed_Size = 56;    // (0004,1430) takes 14
constexpr std::size_t Output_Buffer_Size = 256 * 1024;

constexpr uint64_t Offset_Limit = 0xFFFFFFFFu;  // offsets and lengths are 32-bit

uint64_t even(std::size_t length) { return length + (length & 1); }

// Sizes are added in 64 bits and stored at most at Offset_Limit: a DICOMDIR that large cannot
// be written, and the stored size still says so.
uint32_t clamped(uint64_t size) { return static_cast<uint32_t>(std::min(size, Offset_Limit)); }

// Image records, and records of the root directory entity other than PATIENT (a PALETTE, say),
// reference a file.
bool references_file(const Dir_Node& node, int level) { return level == 4 || (level == 1 && !node.record_type.empty()); }

uint64_t record_size(const Dir_Node& node, int level) {
    uint64_t size = (level == 1 ? Patient_Fixed_Size : Other_Fixed_Size) + Item_Delimiter_Size;
    // A record type of its own instead of "PATIENT " or "IMAGE ".
    if (!node.record_type.empty()) size = size - (level == 1 ? 8 : 6) + even(node.record_type.name().size());
    if (references_file(node, level)) {
        size += 8 + even(node.file_name.size());
        for (const Dir_Reference* reference : {&node.sop_class_uid, &node.sop_instance_uid, &node.transfer_syntax_uid})
            size += DICOMDIR_Reference_Size(*reference);
    }
    size += node.values_size;
    for (const Dir_Tag& attribute : node.tag) size += DICOMDIR_Tag_Size(attribute);
    return size;
}

// The size of node's branch unclamped, for saying how far past the limit a DICOMDIR would go.
uint64_t branch_size(const Dir_Node& node, int level) {
    uint64_t size = record_size(node, level);
    for (const Dir_Node& child : node.child) size += branch_size(child, level + 1);
    return size;
}

// Record and branch sizes of node and everything below it; returns the branch size.
uint64_t size_branch(Dir_Node& node, int level) {
    uint64_t branch = record_size(node, level);
    node.record_size = clamped(branch);
    for (Dir_Node& child : node.child) branch += size_branch(child, level + 1);
    node.branch_size = clamped(branch);
    return clamped(branch);
}

// The offsets of the first and the last patient (or other root record); 0 for an empty root.
void place_records(Dir_Item& root) {
    root.first = root.last = 0;
    if (root.child.empty()) return;
    root.first = root.last = root.start;
    for (std::size_t i = 0; i + 1 < root.child.size(); ++i) root.last += root.child[i].branch_size;
}

void write_reference(DICOMDIR_Out& out, uint16_t element, const Dir_Reference& reference) {
    if (DICOMDIR_Reference_Size(reference) == 0) return;
    DICOMDIR_Write_Element(out, element, VR_Code("UI"), reference.text());
}

// One record, at offset, and after it the records of its children. Records follow each other in
// writing order, so the first child comes right after its parent, and the next sibling after the
// parent's branch.
void write_record(DICOMDIR_Out& out, const Dir_Node& node, uint32_t offset, bool last, int level) {
    static constexpr const char* Record_Type[] = {"", "PATIENT ", "STUDY ", "SERIES", "IMAGE "};
    const uint16_t UL = VR_Code("UL"), US = VR_Code("US"), CS = VR_Code("CS");
    DICOMDIR_Write_Delimiter(out, 0xE000);
    DICOMDIR_Write_Element(out, 0x1400, UL, last ? 0 : offset + node.branch_size);
    DICOMDIR_Write_Element(out, 0x1410, US, 0xFFFF);
    DICOMDIR_Write_Element(out, 0x1420, UL, node.child.empty() ? 0 : offset + node.record_size);
    DICOMDIR_Write_Element(out, 0x1430, CS,
                           node.record_type.empty() ? std::string_view(Record_Type[level]) : node.record_type.name());
    if (references_file(node, level)) {
        DICOMDIR_Write_Element(out, 0x1500, CS, node.file_name);
        write_reference(out, 0x1510, node.sop_class_uid);
        write_reference(out, 0x1511, node.sop_instance_uid);
        write_reference(out, 0x1512, node.transfer_syntax_uid);
    }
    if (node.values_size != 0) {
        out.bytes.insert(out.bytes.end(), node.values, node.values + node.values_size);
        out.spill();
    }
    for (const Dir_Tag& attribute : node.tag) DICOMDIR_Write_Tag(out, attribute);
    DICOMDIR_Write_Delimiter(out, 0xE00D);
    if (level >= 4) return;  // images have no children (and the compiler sees no fifth level)
    uint32_t running = offset + node.record_size;
    for (std::size_t i = 0; i < node.child.size(); ++i) {
        write_record(out, node.child[i], running, i + 1 == node.child.size(), level + 1);
        running += node.child[i].branch_size;
    }
}

// The fixed part, the records and the sequence delimiter.
void write_body(DICOMDIR_Out& out, const Dir_Item& root) {
    const uint16_t UL = VR_Code("UL");
    DICOMDIR_Write_Element(out, 0x1130, VR_Code("CS"), "TOTO");
    DICOMDIR_Write_Element(out, 0x1200, UL, root.first);
    DICOMDIR_Write_Element(out, 0x1202, UL, root.last);
    DICOMDIR_Write_Element(out, 0x1212, VR_Code("US"), 0);
    DICOMDIR_Write_Element(out, 0x1220, VR_SQ, 0);
    uint32_t running = root.start;
    for (std::size_t i = 0; i < root.child.size(); ++i) {
        write_record(out, root.child[i], running, i + 1 == root.child.size(), 1);
        running += root.child[i].branch_size;
    }
    DICOMDIR_Write_Delimiter(out, 0xE0DD);
}

void report_failure(Win_Handle window, const char* what, const std::string& path, int error) {
    Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 Unable to %s %s", what, path.c_str());
    Log_Error_Line(window, "\x02\t\t\t %s", Error_Str(error));
}

struct File_Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The temporary file being written: open, and so marked in use, until it has its final name.
// Removed when it does not get it, also when writing throws.
struct Temporary_File {
    explicit Temporary_File(const Held_Folder& folder) : folder(folder) {}
    ~Temporary_File() {
        file.reset();
        if (!name.empty() && !placed) File_Remove_In(folder, name);
    }
    Temporary_File(const Temporary_File&) = delete;
    Temporary_File& operator=(const Temporary_File&) = delete;

    const Held_Folder& folder;
    std::string name;  // empty when no file was made
    std::unique_ptr<std::FILE, File_Closer> file;
    bool placed = false;  // renamed to DICOMDIR
};

// Flushes the file to the disk while once_written runs here. 0 is success, else errno.
int sync_while(Platform_File fd, const std::function<void()>& once_written) {
    if (!once_written) return File_Sync(fd) ? 0 : errno;
    int error = 0;
    try {
        std::jthread flush([fd, &error] {
            if (!File_Sync(fd)) error = errno;
        });
        once_written();
    } catch (const std::system_error&) {
        // No thread to spare: one after the other.
        return File_Sync(fd) ? 0 : errno;
    }
    return error;
}

// Writes head and body into a new temporary file in folder, flushed to the disk and left open.
// The preamble carries the unfinished mark until everything else is written. 0 is success,
// else errno.
int write_temporary(const Held_Folder& folder, Temporary_File& temporary, std::vector<uint8_t> head,
                    const Dir_Item& root, uint32_t expected, const std::function<void()>& once_written) {
    const Platform_File fd = DICOMDIR_Create_Temporary(folder, temporary.name);
    if (fd == No_Platform_File) {
        const int error = errno;
        temporary.name.clear();
        return error;
    }
    temporary.file.reset(File_Stream_Adopt(fd, "wb"));
    std::FILE* file = temporary.file.get();
    if (!file) return errno;
    std::setvbuf(file, nullptr, _IOFBF, Output_Buffer_Size);
    std::vector<uint8_t> preamble(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(DICOMDIR_Unfinished_Mark.size()));
    std::copy(DICOMDIR_Unfinished_Mark.begin(), DICOMDIR_Unfinished_Mark.end(), head.begin());
    std::fwrite(head.data(), 1, head.size(), file);
    DICOMDIR_Out out(file);
    write_body(out, root);
    out.flush();
    if (std::fflush(file) != 0 || std::ferror(file)) return errno ? errno : EIO;
    const long written = std::ftell(file);
    if (written < 0 || static_cast<uint32_t>(written) != expected) return EIO;
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(preamble.data(), 1, preamble.size(), file) != preamble.size() ||
        std::fflush(file) != 0)
        return errno ? errno : EIO;
    return sync_while(fd, once_written);
}

// The folder written into: the root's, or one opened here by its path.
class Write_Folder {
public:
    explicit Write_Folder(const Dir_Item& root, std::string path) {
        held_.path = std::move(path);
        held_.handle = root.folder != No_Platform_File ? root.folder : (owned_ = Folder_Open(held_.path));
    }
    ~Write_Folder() { File_Close(owned_); }
    Write_Folder(const Write_Folder&) = delete;
    Write_Folder& operator=(const Write_Folder&) = delete;
    const Held_Folder& held() const { return held_; }

private:
    Held_Folder held_;
    Platform_File owned_ = No_Platform_File;
};

}  // namespace

uint32_t Kestrapol_Size(Win_Handle window, Dir_Item* root) {
    Log_Message(window, LOG_TRACE_1, "Kestrapol_Size()");
    uint64_t branches = 0;
    for (Dir_Node& patient : root->child) branches += size_branch(patient, 1);
    return clamped(branches);
}

int DICOMDIR_Write(Win_Handle window, DICOM_Root* state, Dir_Item* root, const std::function<void()>& once_written) {
    const std::string folder =
        root->path.empty() || Path_Is_Separator(root->path.back()) ? root->path : root->path + Path_Separator;
    const std::string path = folder + DICOMDIR_Name;

    const std::time_t now = std::time(nullptr);
    const std::tm local = Local_Time(now);
    const std::vector<uint8_t> head = DICOMDIR_Head(window, state, path, local);
    if (head.empty()) return 0;

    root->start = static_cast<uint32_t>(head.size()) + DICOMDIR_Fixed_Size;
    uint64_t total = uint64_t{root->start} + 8;
    for (const Dir_Node& patient : root->child) total += patient.branch_size;
    // Past 4 GiB the record offsets cannot be written: nothing is written then.
    if (total > Offset_Limit) {
        total = uint64_t{root->start} + 8;
        for (const Dir_Node& patient : root->child) total += branch_size(patient, 1);
        Log_Error_Line(window, "    \xF1\x04" "ERROR:\x02 Unable to write %s", path.c_str());
        Log_Error_Line(window, "\x02\t\t\t The DICOMDIR would take %llu bytes; its offsets stop at 4 GiB (%llu)",
                       static_cast<unsigned long long>(total), static_cast<unsigned long long>(Offset_Limit));
        return 0;
    }
    const auto expected = static_cast<uint32_t>(total);
    place_records(*root);

    const Write_Folder target(*root, folder);
    int error = 0;
    {
        Temporary_File temporary(target.held());
        error = write_temporary(target.held(), temporary, head, *root, expected, once_written);
        if (error == 0 && !File_Replace_In(target.held(), temporary.name, DICOMDIR_Name)) error = errno;
        temporary.placed = error == 0;
    }
    if (error != 0) {
        report_failure(window, "write", path, error);
        return 0;
    }
    DICOMDIR_Remove_Leftovers(window, target.held(), root->started != 0 ? root->started : static_cast<int64_t>(now));
    return 1;
}
