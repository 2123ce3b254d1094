// Parsing a definition file into a flat data set, and converting value texts.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "dicom/attribute_list.h"
#include "dicom/byte_order.h"
#include "dicom/definition.h"
#include "dicom/dictionary.h"
#include "dicom/element_reader_markup.h"
#include "dicom/warning.h"
#include "dicom/nesting.h"
#include "dicom/vr.h"
#include "util/text.h"

namespace {

constexpr std::size_t Max_Number_Bytes = 1024;
// What one load of a definition file may expand to, across the macros it includes: files
// nested as deep as data sets nest, and this many elements. A chain of macros each including
// the next twice would otherwise double at every step.
constexpr int Expansion_Depth_Max = DICOM_Max_Depth;
constexpr long Expansion_Lines_Max = 100000;
// What all loads together may hold, so that many creators including one large macro stay within
// memory: every element kept counts, a macro's own list once however many files include it.
constexpr long Definition_Elements_Max = 500000;
std::atomic<long> definition_elements{0};

// The load under way on this thread: the outermost file parsed and the macros it pulls in.
struct Expansion {
    int depth = 0;  // files being parsed, one inside the other
    long lines = 0;
    bool stopped = false;
};
thread_local Expansion expansion;

class Expansion_Scope {
public:
    Expansion_Scope() {
        if (expansion.depth++ == 0) expansion = Expansion{1, 0, false};
    }
    ~Expansion_Scope() { --expansion.depth; }
    Expansion_Scope(const Expansion_Scope&) = delete;
    Expansion_Scope& operator=(const Expansion_Scope&) = delete;
};

// Stops the load with one message naming the file where the bound was passed.
void stop_expansion(Win_Handle window, const std::string& file_name, int line_number, const char* bound, long limit) {
    if (expansion.stopped) return;
    expansion.stopped = true;
    DICOM_Warning(window, "Expansion of file:" DICOM_HI("%s") " stopped at line:" DICOM_HI("%d") " (%s %ld)",
                  file_name.c_str(), line_number, bound, limit);
}

void where(Win_Handle window, const std::string& file_name, int line_number) {
    DICOM_Warning(window, "reading Attribute file:" DICOM_HI("%s") " line:" DICOM_HI("%d"), file_name.c_str(),
                line_number);
}

// An item or delimitation element marking structure in the parsed list.
DICOM_Tag structure_mark(uint16_t element) {
    DICOM_Tag tag;
    tag.syntax = 8;
    tag.flags = Tag_Flag::Origin_Module;
    tag.group = 0xFFFE;
    tag.element = element;
    tag.vr_def = element == 0xE0DD ? VR_Ia : VR_Item;
    tag.length = Undefined_Length;
    tag.dict = NEMA_db_Get(0xFFFE, element);
    return tag;
}

struct Parse_State {
    Win_Handle window;
    DICOM_Root root;
    DICOM_Tag_List& list;
    const std::string& file_name;
    int depth = 0;
    int open_items = 0;
    int open_sequences = 0;

    void insert(const DICOM_Tag& tag) { DICOM_Attribute_Insert(window, &root, &list, &tag, 0); }
    // An element of a line or a macro: false once the load has expanded to its bound.
    bool add(const DICOM_Tag& tag, int line_number) {
        if (expansion.stopped) return false;
        if (++expansion.lines > Expansion_Lines_Max) {
            stop_expansion(window, file_name, line_number, "more elements than", Expansion_Lines_Max);
            return false;
        }
        if (definition_elements.fetch_add(1) >= Definition_Elements_Max) {
            stop_expansion(window, file_name, line_number, "tables together hold more elements than",
                           Definition_Elements_Max);
            return false;
        }
        insert(tag);
        return true;
    }

    void open_level(bool with_item) {
        ++depth;
        if (with_item) {
            insert(structure_mark(0xE000));
            ++open_items;
        }
    }

    // Closes items and sequences down to depth d. A sequence delimitation line closes its
    // sequence itself.
    void close_levels(int d, bool line_closes_sequence) {
        while (depth > d || open_items > d || open_sequences > d) {
            if (depth > d) --depth;
            if (open_items > depth) {
                insert(structure_mark(0xE00D));
                --open_items;
            }
            if (open_sequences > depth) {
                if (line_closes_sequence) return;
                insert(structure_mark(0xE0DD));
                --open_sequences;
            }
        }
    }
};

void trim(std::string& text) { String_Trim(text); }

// Takes the leading marks and nesting levels off line.
void take_marks(std::string& line, DICOM_Tag& tag, int& line_depth) {
    static constexpr struct { char mark; uint16_t flag; } marks[] = {
        {'!', Tag_Flag::Forced}, {'=', Tag_Flag::Default}, {'-', Tag_Flag::Removal}, {'+', Tag_Flag::Append}};
    for (const auto& m : marks) {
        if (!line.empty() && line[0] == m.mark) {
            tag.flags |= m.flag;
            line.erase(0, 1);
            trim(line);
        }
    }
    line_depth = 0;
    while (!line.empty() && line[0] == '>') {
        ++line_depth;
        line.erase(0, 1);
    }
    trim(line);
}

// The tokens after the tag: value, type, description, VR. Stops at the first syntax error.
void read_tokens(Win_Handle window, std::string rest, DICOM_Tag& tag, std::string& value, bool& has_value,
                 std::string& description, bool& has_description, const std::string& file_name, int line_number) {
    std::vector<char> text(rest.begin(), rest.end());
    text.push_back('\0');
    for (char* token = String_Token(text.data(), " \t\n"); token != nullptr; token = String_Token(nullptr, " \t\n")) {
        std::string t = token;
        if (t.empty()) continue;
        if (t[0] == '"') {
            value = String_Unquote(t);
            has_value = true;
        } else if (t.rfind("type=", 0) == 0) {
            const std::string v = t.substr(5);
            if (v.size() == 1 || v.size() == 2) {
                tag.type = static_cast<uint16_t>((static_cast<unsigned char>(v[0]) << 8) |
                                                 static_cast<unsigned char>(v.size() == 2 ? v[1] : ' '));
            } else {
                where(window, file_name, line_number);
                Log_Message(window, DICOM_Warning_Kind, "Syntax error\"type=xx\" (=%s)", t.c_str());
                return;
            }
        } else if (t.rfind("desc=", 0) == 0) {
            std::string d = t.substr(5);
            description = String_Unquote(d);
            has_description = true;
        } else if (t.rfind("VR=", 0) == 0) {
            const std::string v = t.substr(3);
            const bool letters = v.size() >= 2 && std::isalpha(static_cast<unsigned char>(v[0])) &&
                                 std::isalpha(static_cast<unsigned char>(v[1]));
            if (letters && (v.size() == 2 || v[2] == '\\')) {
                tag.vr_def = static_cast<uint16_t>((static_cast<unsigned char>(v[0]) << 8) | static_cast<unsigned char>(v[1]));
            } else {
                where(window, file_name, line_number);
                Log_Message(window, DICOM_Warning_Kind, "Syntax error\"VR=xx\" (=%s)", t.c_str());
                return;
            }
        } else if (t.rfind("VN=", 0) == 0) {
            continue;
        } else {
            where(window, file_name, line_number);
            Log_Message(window, DICOM_Warning_Kind, "Syntax error (=%s)", t.c_str());
            return;
        }
    }
}

}  // namespace

void DICOM_Module_Elements_Released() { definition_elements = 0; }

int DICOM_Module_Read_File(Win_Handle window, std::FILE* file, const std::string& file_name, DICOM_Tag_List& list) {
    const Expansion_Scope scope;
    Parse_State state{window, {}, list, file_name};
    DICOM_Attribute_Sequence_Reset(window, &state.root);
    std::string line;
    for (int line_number = 1;
         !expansion.stopped && DICOM_Module_Read_Line(window, file, line_number, line, file_name, nullptr);
         ++line_number) {
        Log_Message(window, LOG_TRACE_5, "%s[%d] -> %s", file_name.c_str(), line_number, line.c_str());
        trim(line);
        if (line.empty()) continue;
        DICOM_Tag tag;
        tag.type = VR_Code("3 ");
        tag.syntax = 8;
        tag.flags = Tag_Flag::Origin_Module;
        int line_depth = 0;
        take_marks(line, tag, line_depth);
        if (line.empty()) continue;

        if (line.size() >= 7 && line.compare(1, 6, "nclude") == 0) {
            std::string name = line.substr(7);
            if (line_depth > state.depth) state.open_level(true);
            state.close_levels(line_depth, false);
            for (char& c : name) {
                if (c == '\x91' || c == '\x92') c = '"';
            }
            trim(name);
            String_Unquote(name);
            if (expansion.depth >= Expansion_Depth_Max) {
                stop_expansion(window, file_name, line_number, "includes nested deeper than", Expansion_Depth_Max);
                break;
            }
            if (const DICOM_Tag_List* macro = DICOM_Module_Include_Get(window, name, file_name, line_number)) {
                Log_Message(window, LOG_TRACE_3, "-> insert new macro(%08x) in list %08x",
                            static_cast<unsigned>(reinterpret_cast<uintptr_t>(macro)),
                            static_cast<unsigned>(reinterpret_cast<uintptr_t>(&list)));
                // A macro including itself is the list being filled: its elements as they were,
                // each copied before the list grows.
                const std::size_t count = macro->size();
                const bool itself = macro == &list;
                for (std::size_t i = 0; i < count; ++i) {
                    if (!(itself ? state.add(DICOM_Tag((*macro)[i]), line_number) : state.add((*macro)[i], line_number))) {
                        break;
                    }
                }
            }
            continue;
        }

        unsigned group = 0, element = 0;
        if (line[0] != '(' || std::sscanf(line.c_str(), "(%4x,%4x)", &group, &element) != 2) {
            where(window, file_name, line_number);
            DICOM_Warning(window, "Syntax error: expecting \"(xxxx,yyyy) ...\" instead of \"%s\"",
                        line.c_str());
            continue;
        }
        tag.group = static_cast<uint16_t>(group);
        tag.element = static_cast<uint16_t>(element);
        const std::size_t close = line.find(')');
        std::string rest = close == std::string::npos ? std::string() : line.substr(close + 1);
        trim(rest);

        std::string value, description;
        bool has_value = false, has_description = false;
        read_tokens(window, rest, tag, value, has_value, description, has_description, file_name, line_number);

        tag.dict = NEMA_db_Get(tag.group, tag.element);
        if (tag.vr_def == 0 && tag.dict != nullptr) tag.vr_def = tag.dict->vr[0];
        if (has_value && !DICOM_Module_Value(&tag, value)) {
            where(window, file_name, line_number);
            Log_Message(window, DICOM_Warning_Kind, "Problem with value (=%s)", value.c_str());
        }
        tag.description = description;
        tag.blank_description = has_description && description.empty();

        const bool is_item = tag.group == 0xFFFE && tag.element == 0xE000;
        const bool is_sequence_end = tag.group == 0xFFFE && tag.element == 0xE0DD;
        if (line_depth > state.depth) state.open_level(!is_item);
        state.close_levels(line_depth, is_sequence_end);

        if (tag.vr_def == VR_SQ || is_item) tag.length = Undefined_Length;
        if (!state.add(tag, line_number)) break;
        if (tag.vr_def == VR_SQ) ++state.open_sequences;
        else if (is_item) ++state.open_items;
        else if (tag.group == 0xFFFE && tag.element == 0xE00D && state.open_items > 0) --state.open_items;
        else if (is_sequence_end && state.open_sequences > 0) --state.open_sequences;
    }
    state.close_levels(0, false);
    return 1;
}

int DICOM_Module_Value(DICOM_Tag* tag, const std::string& text) {
    tag->data.clear();
    tag->length = 0;
    if (text.empty()) return 1;
    const uint16_t vr = tag->vr_def;
    const VR_Traits* traits = VR_Find(vr);
    if (traits != nullptr && !traits->binary()) {
        tag->data.assign(text.begin(), text.end());
        if (tag->data.size() & 1) tag->data.push_back(static_cast<uint8_t>(traits->pad));
        tag->length = static_cast<int32_t>(tag->data.size());
        return 1;
    }
    // The numbers a definition file gives, written one unit each (a tag as two 16-bit numbers).
    static constexpr uint16_t Number_VRs[] = {VR_Code("US"), VR_Code("AT"), VR_Code("SS"), VR_Code("UL"),
                                              VR_Code("SL"), VR_Code("FL"), VR_Code("FD")};
    if (std::find(std::begin(Number_VRs), std::end(Number_VRs), vr) == std::end(Number_VRs)) return 0;
    const std::size_t width = VR_Swap_Unit(vr);

    // The first number ends at the first backslash; the following ones are separated by blanks.
    std::vector<std::string> numbers;
    const std::size_t slash = text.find('\\');
    numbers.push_back(text.substr(0, slash));
    if (slash != std::string::npos) {
        std::string rest = text.substr(slash + 1);
        std::size_t at = 0;
        while ((at = rest.find_first_not_of(" \t\n", at)) != std::string::npos) {
            const std::size_t end = rest.find_first_of(" \t\n", at);
            numbers.push_back(rest.substr(at, end - at));
            at = end;
        }
    }
    const int code = tag->syntax;
    for (const std::string& number : numbers) {
        if (tag->data.size() + width > Max_Number_Bytes) break;
        const char* s = number.c_str();
        auto append = [&](const auto& bytes) { tag->data.insert(tag->data.end(), bytes.begin(), bytes.end()); };
        if (vr == VR_Code("FL")) append(DICOM_Write_Float(code, std::strtof(s, nullptr)));
        else if (vr == VR_Code("FD")) append(DICOM_Write_64(code, std::strtod(s, nullptr)));
        else if (width == 2) append(DICOM_Write_16(code, static_cast<uint16_t>(std::strtol(s, nullptr, 10))));
        else append(DICOM_Write_32(code, static_cast<uint32_t>(std::strtoll(s, nullptr, 10))));
    }
    tag->length = static_cast<int32_t>(tag->data.size());
    return 1;
}
