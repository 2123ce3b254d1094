#include "dicom/value_access.h"

#include <algorithm>
#include <array>
#include <new>
#include <string_view>


namespace {

constexpr const char* Source_File = "Prog_Lib/Corvanthis_DICOM/NEMA_Read_Value";
constexpr int Ring_Slots = 128;

// One ring per accessor; slots keep their strings so that steady use does not allocate.
struct Text_Ring {
    std::array<std::vector<std::string>, Ring_Slots> slot;
    int index = 0;
};
// Per thread: readers working side by side each have their own slots.
thread_local Text_Ring string_ring;  // NEMA_Value_Str
thread_local Text_Ring name_text_ring;  // NEMA_Value_Name's split values
thread_local std::array<std::vector<Person_Name>, Ring_Slots> name_ring;  // advanced with name_text_ring

int next_slot(Text_Ring& ring) {
    const int taken = ring.index;
    ring.index = (ring.index + 1) % Ring_Slots;
    return taken;
}

bool one_of(uint16_t vr, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [vr](const char* name) { return vr == VR_Code({name[0], name[1], 0}); });
}

char vr_char(unsigned byte) { return static_cast<char>(byte); }

// The value as a C string would see it: the stored bytes up to the length, cut at a NUL.
std::string_view value_text(const DICOM_Tag& tag) {
    std::size_t size = tag.data.size();
    if (tag.length >= 0) size = std::min(size, static_cast<std::size_t>(tag.length));
    std::string_view text(reinterpret_cast<const char*>(tag.data.data()), size);
    return text.substr(0, text.find('\0'));
}

// Cuts text at every backslash into the slot's strings (empty pieces count).
void split_values(std::string_view text, std::vector<std::string>& values) {
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        const std::size_t end = text.find('\\', start);
        const std::string_view piece = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (count < values.size()) {
            values[count].assign(piece);
        } else {
            values.emplace_back(piece);
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    values.resize(count + 1);
}

void report_bad_vr(Win_Handle window, const DICOM_Tag& tag, uint16_t vr, int line, const char* expected) {
    Log_Message(window, LOG_TRACE_4, "File:%s, Line:%d", Source_File, line);
    Log_Message(window, LOG_TRACE_4, "(%04x,%04x): bad VR value (%c%c) != %s)", tag.group, tag.element,
                vr_char(vr >> 8u), vr_char(vr & 0xFFu), expected);
}

// Family, given, middle, prefix, suffix: the texts between carets; a sixth part is dropped.
void split_name(std::string_view value, Person_Name& name) {
    std::array<std::string, 5> parts;
    std::array<bool, 5> present{};
    std::size_t start = 0;
    for (std::size_t part = 0; part < parts.size(); ++part) {
        const std::size_t end = value.find('^', start);
        parts[part].assign(value.substr(start, end == std::string_view::npos ? end : end - start));
        present[part] = true;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    auto arg = [&](int part) { return present[part] ? parts[part].c_str() : nullptr; };
    conv_name_set(&name, arg(0), arg(1), arg(2), arg(3), arg(4));
}

}  // namespace

const std::vector<std::string>* NEMA_Value_Str(Win_Handle window, DICOM_Tag* tag, uint16_t vr) {
    std::vector<std::string>& values = string_ring.slot[next_slot(string_ring)];
    if (!tag) return nullptr;
    tag->vm = 0;
    if (tag->length == 0) return nullptr;
    if (!NEMA_Value_Load(window, tag)) return nullptr;
    if (tag->data.empty()) return nullptr;

    if (vr == 0) vr = tag->effective_vr();
    try {
        if (one_of(vr, {"AE", "CS", "LO", "SH", "UI"})) {
            split_values(value_text(*tag), values);
        } else if (one_of(vr, {"AS", "LT", "OB", "ST", "UN", "UT"})) {
            values.resize(1);
            values[0].assign(value_text(*tag));
        } else {
            report_bad_vr(window, *tag, vr, __LINE__, "AE,AS,CS,LO,LT,SH,ST,UI,UT");
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "realloc", "V_Str", static_cast<long>(values.size() + 1), 8);
        return nullptr;
    }
    tag->vm = static_cast<uint32_t>(values.size());
    return &values;
}

const std::vector<Person_Name>* NEMA_Value_Name(Win_Handle window, DICOM_Tag* tag, uint16_t vr) {
    const int slot = next_slot(name_text_ring);
    std::vector<std::string>& values = name_text_ring.slot[slot];
    std::vector<Person_Name>& names = name_ring[slot];
    if (!tag) return nullptr;
    tag->vm = 0;
    if (tag->length == 0 || tag->data.empty()) return nullptr;

    try {
        split_values(value_text(*tag), values);
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "calloc", "str", tag->length + 1L, 1);
        return nullptr;
    }
    if (vr == 0) vr = tag->effective_vr();
    if (vr != VR_Code("PN")) {
        report_bad_vr(window, *tag, vr, __LINE__, "PN");
        return nullptr;
    }
    try {
        for (Person_Name& name : names) conv_name_free(&name);
        names.resize(values.size());
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_File, "realloc", "Corv_Name[cc]", static_cast<long>(values.size()), 24);
        return nullptr;
    }
    for (std::size_t n = 0; n < values.size(); ++n) split_name(values[n], names[n]);
    tag->vm = static_cast<uint32_t>(values.size());
    return &names;
}

void NEMA_Value_Cleanup() {
    for (Text_Ring* ring : {&string_ring, &name_text_ring}) {
        for (std::vector<std::string>& slot : ring->slot) std::vector<std::string>().swap(slot);
    }
    for (std::vector<Person_Name>& slot : name_ring) std::vector<Person_Name>().swap(slot);
}
