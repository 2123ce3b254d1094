// Reading one DICOM Part-10 file element by element into a flat list, then formatting and
// completing it into the data set the tree is built from.
#include "dirscan/scan_read.h"

#include <cerrno>
#include <cstring>
#include <span>

#include "dicom/attribute_dump.h"
#include "dicom/attribute_format.h"
#include "dicom/attribute_list.h"
#include "dicom/dictionary.h"
#include "dicom/element_reader.h"
#include "dicom/element_stream.h"
#include "dicom/format_skip.h"
#include "dicom/library.h"
#include "dicom/nesting.h"
#include "dicom/trace.h"
#include "dicom/value_access.h"
#include "util/system_error.h"

namespace {

constexpr const char* Source_File = "Prog_Util/Kestrapol/Kestrapol_Work";
constexpr uint32_t Load_Limit = 1024;     // longer values stay on disk
constexpr uint64_t Dicom_Head = 132;      // preamble and "DICM"
constexpr std::size_t Typical_Elements = 256;  // room reserved for a header's flat list
constexpr const char* Dashes =
    "-------------------------------------------------------------------------------";

void open_failure(Win_Handle window, int line, const std::string& path, int error, const char* what) {
    Log_Message(window, LOG_TRACE_1, "file:%s line:%d", Source_File, line);
    Log_Message(window, LOG_WARNING, "\xF1\x04" "ERROR:\x02%s", what);
    Log_Message(window, LOG_WARNING, "%s", Error_Str(error));
    Log_Message(window, LOG_WARNING, "file: (%s)", path.c_str());
}

void banner(Win_Handle window, const char* title, bool blank_lines) {
    if (Trace_Level < 6) return;
    if (blank_lines) Log_Message(window, LOG_TRACE_6, "\n\n\n");
    Log_Message(window, LOG_TRACE_6, "%s", Dashes);
    Log_Message(window, LOG_TRACE_6, "%s", title);
    Log_Message(window, LOG_TRACE_6, "%s", Dashes);
}

// What one file may make the reader keep: past either bound the file is refused. A deflated file
// of 60 KB can hold millions of small elements, each costing some hundred bytes here.
constexpr std::size_t Elements_Max = 250000;
constexpr std::size_t Kept_Bytes_Max = 32u << 20;

// Storage of the last data set handed back, for the next file of the thread.
thread_local DICOM_Tag_List Spare_Set;
// The flat list's storage stays with the thread from file to file (unless a file made it grow
// large); its elements never outlive a call.
thread_local DICOM_Tag_List Flat_Set;

// The private elements the format step left out of the last file, for its completion.
thread_local std::vector<Left_Out_Private> Left_Private;
// The elements the reading loop passed over in the last file, for the format step.
thread_local std::vector<Format_Skipped> Skipped;

// How the reading loop ended.
enum class Read_End {
    Complete,
    Truncated,  // the file ends inside an element (a header cut short, or a value running past the end)
    Too_Large,  // the file holds more than the reader keeps of one file
};

// The header fields of an element, as the reading loop found them.
void take_header(DICOM_Tag& tag, const DICOM_Tag& head) {
    tag.syntax = head.syntax;
    tag.flags = head.flags;
    tag.group = head.group;
    tag.element = head.element;
    tag.vr = head.vr;
    tag.vr_def = head.vr_def;
    tag.pos = head.pos;
    tag.pos_data = head.pos_data;
    tag.length = head.length;
    tag.dict = head.dict;
}

// Counts an element passed over as if it had been read, so that the same files are refused.
// False past what one file may hold. listed: the elements in the flat list.
bool count_passed_over(uint32_t value_length, std::size_t listed, std::size_t& skipped_count, std::size_t& kept) {
    if (value_length <= Load_Limit) kept += value_length;
    return ++skipped_count + listed <= Elements_Max && kept <= Kept_Bytes_Max;
}

// Passes over the private elements that follow one passed over, while each has a plain header
// in the buffer, a value that ends within the file, and the guide lets it go: the runs of
// private elements that most image files carry, at a fraction of the general loop's cost per
// element. The first element that does not qualify is left to the general loop. False when the
// file holds more than the reader keeps.
bool pass_private_run(Byte_Source& source, uint32_t limit, Format_Skip_Guide& guide, DICOM_Root& root,
                      std::vector<Format_Skipped>& skipped, std::size_t listed, std::size_t& skipped_count,
                      std::size_t& kept) {
    const std::span<const uint8_t> buffer = source.held();
    const uint64_t start = source.tell();
    std::size_t at = 0;
    uint16_t last_group = 0, last_element = 0;
    while (at + NEMA_Longest_Header <= buffer.size()) {
        uint16_t group = 0, element = 0, vr = 0;
        int32_t length = 0;
        if (!NEMA_Plain_Header(buffer.data() + at, limit, group, element, vr, length) || (group & 1) == 0) break;
        // A value running past the end is reported by the general loop. One running past the
        // buffer is passed over by moving the position, as the general loop would.
        const auto value_length = static_cast<uint32_t>(length);
        const std::size_t next = at + 8 + value_length;
        if (start + next > limit || !guide.may_skip_private(group, element, vr)) break;
        at = next;
        last_group = group;
        last_element = element;
        Format_Skipped_Add(skipped, static_cast<uint32_t>(listed), group, element);
        if (!count_passed_over(value_length, listed, skipped_count, kept)) return false;
    }
    source.seek(start + at);
    if (last_group != 0) DICOM_Root_Set_Entry(&root, root.depth, last_group, last_element, 0);
    return true;
}

// The reading loop: every element from the stream's position on, into flat; with a guide, the
// elements it allows are passed over into skipped instead.
Read_End read_elements(Win_Handle window, Element_Stream& stream, DICOM_Root& root, DICOM_Tag_List& flat,
                       Format_Skip_Guide* guide, std::vector<Format_Skipped>& skipped) {
    bool truncated = false;
    std::size_t kept = 0;
    std::size_t skipped_count = 0;
    bool encapsulated = false;
    Byte_Source* in = nullptr;
    int mode = 0;
    uint32_t limit = 0;  // offsets are 32-bit in the element model: a larger file is read up to 4 GiB
    const auto end = [&truncated] { return truncated ? Read_End::Truncated : Read_End::Complete; };
    // Each header is read here and joins the list only when the element is not passed over: with
    // a kept subset, that is a minority of a file's elements. Only its header fields are set.
    DICOM_Tag head;

    for (;;) {
        if (stream.unsettled()) {
            if (stream.done()) {
                Log_Message(window, LOG_TRACE_3, "--> ****** pixel data: the rest stays deflated ******");
                return end();
            }
            in = &stream.source();
            mode = stream.mode();
            limit = stream.limit();
            stream.settle();
        }
        Byte_Source& source = *in;
        const uint64_t position = source.tell();
        if (position + 4 > limit) {
            Log_Message(window, LOG_TRACE_3, "--> ****** end of file ******");
            truncated = truncated || position < limit;
            return end();
        }
        // Read into locals, then stored: the checks below test them at once, which the element's
        // fields, just written one by one, would make the processor wait for.
        uint16_t group = 0, element = 0, vr_read = 0;
        int32_t length = 0;
        if (!NEMA_Get_Data_Element(window, source, mode, group, element, vr_read, length, limit)) {
            truncated = true;
            return end();
        }
        head.syntax = static_cast<uint8_t>(mode);
        head.flags = Tag_Flag::Origin_DICOM;
        head.pos = static_cast<uint32_t>(position);
        head.group = group;
        head.element = element;
        head.vr = vr_read;
        head.length = length;
        if (Trace_Level >= 7) {
            const char vr0 = vr_read != 0 ? static_cast<char>(vr_read >> 8) : '0';
            const char vr1 = vr_read != 0 ? static_cast<char>(vr_read & 0xFF) : '0';
            Log_Message(window, LOG_TRACE_7, "(%04x,%04x) VR:%c%c length:%d pos:%d of %d", group, element, vr0,
                        vr1, length, static_cast<int>(head.pos), static_cast<int>(limit));
        }
        const uint64_t data_position = source.tell();
        head.pos_data = static_cast<uint32_t>(data_position);

        if ((group != 0 || element != 0) && length == 0 && data_position > limit) {
            Log_Message(window, LOG_TRACE_3, "--> ****** end of file ******");
            truncated = true;
            return end();
        }
        if (group == 0 && element == 0 && vr_read == 0 && length == 0) {
            Log_Message(window, LOG_TRACE_3, "--> ****** NULL element ******");
            return end();
        }
        if (length > 0 && data_position + static_cast<uint32_t>(length) > limit) {
            Log_Message(window, DICOM_Warning_Kind,
                        "\xF1\x05    WARNING:\xF0\x02 (\x01%04x\x02,\x01%04x\x02) Invalid tag length (size=\x01%d\x02)!",
                        group, element, length);
            head.flags |= Tag_Flag::Error;
            truncated = true;
            head.length = data_position < limit ? static_cast<int32_t>(limit - data_position) : 0;
        }

        const NEMA_db_Entry* entry = NEMA_db_Get(group, element);
        head.dict = entry;
        head.vr_def = entry != nullptr ? entry->vr[0] : 0;
        if (entry == nullptr && element != 0) head.flags |= Tag_Flag::Deleted;

        stream.header_read(head);

        if (guide != nullptr && guide->may_skip(head)) {
            const auto value_length = static_cast<uint32_t>(head.length);
            if (value_length > 0 && source.held_at(value_length) != nullptr) source.seek(source.tell() + value_length);
            else if (value_length > 0 && !NEMA_Skip(window, source, value_length)) return end();
            encapsulated = false;
            DICOM_Root_Set_Entry(&root, root.depth, group, element, 0);
            Format_Skipped_Add(skipped, static_cast<uint32_t>(flat.size()), group, element);
            if (!count_passed_over(value_length, flat.size(), skipped_count, kept)) return Read_End::Too_Large;
            if ((group & 1) != 0 && NEMA_Plain_Mode(mode) && !stream.following() &&
                !pass_private_run(source, limit, *guide, root, skipped, flat.size(), skipped_count, kept))
                return Read_End::Too_Large;
            continue;
        }

        DICOM_Tag& tag = flat.emplace_back();
        take_header(tag, head);
        // A value that cannot be read takes its element out of the list again.
        auto abandon = [&flat, &end] {
            flat.pop_back();
            return end();
        };
        const uint16_t vr = tag.effective_vr();
        bool read_value = tag.length > 0 && vr != VR_SQ;
        if (tag.group == 0xFFFE && tag.element == 0xE000) {
            if (!encapsulated) {
                read_value = false;
                if (tag.vr_def == 0) tag.vr_def = VR_Ib;
            } else if (tag.vr_def == 0) {
                tag.vr_def = VR_Ia;
            }
        } else {
            encapsulated = tag.length == Undefined_Length && (vr == VR_OB || vr == VR_OW);
        }

        if (read_value) {
            const auto length = static_cast<uint32_t>(tag.length);
            if (length <= Load_Limit) {
                // A buffered value of a mode without swapping is copied as it stands.
                const uint8_t* held = (mode & Mode_Word_Swap) ? nullptr : source.held_at(length);
                if (held != nullptr) {
                    tag.data.assign(held, length);
                    source.seek(source.tell() + length);
                } else if (!NEMA_Read_Block(window, source, mode, length, tag.data)) {
                    return abandon();
                }
            } else if (!NEMA_Skip(window, source, length)) {
                return abandon();
            }
        }
        kept += tag.data.size();
        if (flat.size() + skipped_count > Elements_Max || kept > Kept_Bytes_Max) return Read_End::Too_Large;

        DICOM_Tag* inserted = DICOM_Attribute_Insert_Last(window, &root, &flat);
        if (inserted != nullptr && inserted->group == 0x0002) {
            if (inserted->element == 0x0010) NEMA_Transfer_Syntax(window, &root, inserted, 0);
            stream.element_read(*inserted);
        }
    }
}

std::optional<DICOM_Tag_List> scan(Win_Handle window, Byte_Source& source, const std::string& name,
                                   const std::vector<uint32_t>* keep);

}  // namespace

void DICOMDIR_Scan_Recycle(DICOM_Tag_List&& set) {
    set.clear();
    // A list grown for an unusually large header is not kept.
    if (set.capacity() <= 4 * Typical_Elements && set.capacity() > Spare_Set.capacity()) Spare_Set = std::move(set);
}

Scan_Prefix DICOMDIR_Scan_Open(const std::string& path, File_Source& source) {
    return DICOMDIR_Scan_Open(path, source, -1, path);
}

Scan_Prefix DICOMDIR_Scan_Open(const std::string& path, File_Source& source, int folder, const std::string& name) {
    const bool opened = folder >= 0 ? source.open_head_in(folder, name, path) : source.open_head(path);
    if (!opened) return Scan_Prefix::Unreadable;
    // The buffered start of the file serves both the test and the header that follows.
    uint8_t head[Dicom_Head];
    source.seek(0);
    if (source.read(head, sizeof head) != static_cast<long>(sizeof head)) return Scan_Prefix::Unreadable;
    return std::memcmp(head + 128, "DICM", 4) == 0 ? Scan_Prefix::DICOM : Scan_Prefix::Not_DICOM;
}

std::optional<DICOM_Tag_List> DICOMDIR_Scan_Read(Win_Handle window, const std::string& path) {
    File_Source source;
    return DICOMDIR_Scan_Read(window, path, source);
}

std::optional<DICOM_Tag_List> DICOMDIR_Scan_Read(Win_Handle window, const std::string& path,
                                                 File_Source& source, const std::vector<uint32_t>* keep) {
    Log_Message(window, LOG_TRACE_3, "in DICOMDIR_Scan_Read()");
    if (!source.is_open() && !source.open(path)) {
        open_failure(window, __LINE__, path, errno, " Unable to open file");
        return std::nullopt;
    }
    // Values left on disk load from this file while it is read; the caller registers it again
    // for as long as it uses the data set.
    const Value_Source_Scope values(path);
    return scan(window, source, path, keep);
}

std::optional<DICOM_Tag_List> DICOMDIR_Scan_Read(Win_Handle window, Byte_Source& source) {
    return scan(window, source, "the file", nullptr);
}

namespace {

std::optional<DICOM_Tag_List> scan(Win_Handle window, Byte_Source& source, const std::string& name,
                                   const std::vector<uint32_t>* keep) {
    source.seek(Dicom_Head);
    Log_Message(window, LOG_TRACE_6, "\x02\x09 DICOMDIR: Reading DICOM tags...");
    banner(window, "-----                       Reading DICOM File                           ----- ", true);
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(window, &root);
    DICOM_Tag_List& flat = Flat_Set;
    struct Release {
        DICOM_Tag_List& list;
        ~Release() {
            if (list.capacity() > 4 * Typical_Elements) list = DICOM_Tag_List();
            else list.clear();
        }
    } release{flat};
    flat.reserve(Typical_Elements);
    // Elements left out cost no copy and no completion; traces from level 4 on show them all.
    if (Log_Passes(LOG_TRACE_4)) keep = nullptr;
    // Most elements a kept subset leaves out are not even listed.
    std::optional<Format_Skip_Guide> guide;
    if (keep != nullptr) guide.emplace(*keep);
    Skipped.clear();
    Log_Message(window, LOG_TRACE_6, "---------- Reading DICOM tags -------------");
    {
        Element_Stream stream(source);
        const Read_End end = read_elements(window, stream, root, flat, guide ? &*guide : nullptr, Skipped);
        source.close();
        if (end == Read_End::Too_Large) {
            Log_Message(window, LOG_WARNING,
                        "\xF1\x05WARNING:\x02 File refused: it holds more than %zu elements or %zu bytes of values",
                        Elements_Max, Kept_Bytes_Max);
            return std::nullopt;
        }
        // Indexed all the same, with what it holds before the damage: the user should know.
        if (end == Read_End::Truncated)
            Log_Message(window, LOG_WARNING,
                        "\xF1\x05WARNING:\x02 %s is truncated: it ends inside an element; what comes before is read",
                        name.c_str());
        if (!stream.check(window)) return std::nullopt;
    }

    if (Trace_Level >= 7) {
        DICOM_Attribute_Sequence_Reset(window, &root);
        DICOM_Attribute_Stool(window, &root, flat, LOG_TRACE_7);
    }
    Log_Message(window, LOG_TRACE_6, "\x02\x09 DICOMDIR: Analyzing DICOM tags...");
    banner(window, "-----                        Checking DICOM Tags                          -----", false);

    DICOM_Attribute_Sequence_Reset(window, &root);
    std::optional<DICOM_Tag_List> formatted = DICOM_Attribute_Format(
        window, flat, true, std::move(Spare_Set), keep, keep ? &Left_Private : nullptr, Skipped);
    Spare_Set = DICOM_Tag_List();
    if (!formatted) {
        Log_Message(window, LOG_WARNING, "\xF1\x05" "WARNING:\xF0\x02 Failed in DICOM_Attribute_Format()");
        return std::nullopt;
    }
    // The flat list is emptied on leaving; deleting it element by element is only worth its
    // cost when the deletions are traced.
    if (Trace_On(LOG_TRACE_5)) {
        DICOM_Attribute_Sequence_Reset(window, &root);
        DICOM_Attribute_Delete(window, &root, &flat, 0xFFFF, 0xFFFF);
    }
    if (Trace_Level >= 7) {
        DICOM_Attribute_Sequence_Reset(window, &root);
        DICOM_Attribute_Stool(window, &root, *formatted, LOG_TRACE_7);
    }
    banner(window, "-----           Complementing the info for Private DICOM tags             -----", false);

    DICOM_Attribute_Sequence_Reset(window, &root);
    const int failed = DICOM_Attribute_Complement(window, &root, *formatted, keep ? &Left_Private : nullptr);
    if (failed != 0) Log_Message(window, LOG_TRACE_1, "Failed %d tags in DICOM_Attribute_Complement()", failed);
    if (Trace_Level >= 6) {
        DICOM_Attribute_Sequence_Reset(window, &root);
        DICOM_Attribute_Stool(window, &root, *formatted, LOG_TRACE_6);
    }
    return formatted;
}

}  // namespace

void DICOMDIR_Scan_Thread_Prepare() {
    Spare_Set.reserve(0);  // makes this file's per-thread lists, both at once
    DICOM_Thread_Prepare();
}
