// Reading Kestrapol.ini.
#include "app/configuration.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <strings.h>

#include "app/configuration_text.h"
#include "dicom/library.h"
#include "dirscan/record_values.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"
#include "util/text.h"

std::vector<uint16_t> Item_Patient_Group, Item_Patient_Elem;
std::vector<uint16_t> Item_Study_Group, Item_Study_Elem;
std::vector<uint16_t> Item_Series_Group, Item_Series_Elem;
std::vector<uint16_t> Item_Image_Group, Item_Image_Elem;
int32_t Item_Patient_Nb = 0, Item_Study_Nb = 0, Item_Series_Nb = 0, Item_Image_Nb = 0;

namespace {

// Lines longer than this are read in pieces, each piece a line of its own.
constexpr int Line_Size = 255;
// A configuration file is read whole; anything near this size is something else.
constexpr std::size_t Size_Max = 1 << 20;

struct Level {
    const char* key;
    const char* label;
    std::vector<uint16_t>& group;
    std::vector<uint16_t>& element;
    int32_t& count;
};

Level levels[] = {
    {"tag_patient", "patient", Item_Patient_Group, Item_Patient_Elem, Item_Patient_Nb},
    {"tag_study", "study", Item_Study_Group, Item_Study_Elem, Item_Study_Nb},
    {"tag_series", "series", Item_Series_Group, Item_Series_Elem, Item_Series_Nb},
    {"tag_image", "image", Item_Image_Group, Item_Image_Elem, Item_Image_Nb},
};

void empty_lists() {
    for (Level& level : levels) {
        level.group.clear();
        level.element.clear();
        level.count = 0;
    }
}

// One blank on each side of the first ":" or "=" after the first character, which becomes "=".
void normalise_separator(std::string& line) {
    std::size_t at = line.find_first_of(":=", 1);
    if (at == std::string::npos) return;
    line[at] = '=';
    if (line[at - 1] == '\t') line[at - 1] = ' ';
    else if (line[at - 1] != ' ') line.insert(at++, 1, ' ');
    if (at + 1 < line.size() && line[at + 1] == '\t') line[at + 1] = ' ';
    else if (at + 1 >= line.size() || line[at + 1] != ' ') line.insert(at + 1, 1, ' ');
}

std::string field(const std::string& line, int wanted) {
    std::size_t start = 0;
    for (int index = 0;; ++index) {
        start = line.find_first_not_of(" \t", start);
        if (start == std::string::npos) return {};
        std::size_t end = line.find_first_of(" \t", start);
        if (index == wanted) return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) return {};
        start = end;
    }
}

// The first token after the "=", cut the way the definition files are cut, without quotes.
std::string value_of(const std::string& line) {
    std::unique_ptr<char[]> text(new char[line.size() + 1]);
    std::memcpy(text.get(), line.c_str(), line.size() + 1);
    const char* delimiters = " \t\n";
    char* token = String_Token(text.get(), delimiters);
    for (int i = 0; token && i < 2; ++i) token = String_Token(nullptr, delimiters);
    if (!token) return {};
    std::string value = token;
    return String_Unquote(value);
}

// Up to four hexadecimal digits; false when the text does not start with one.
bool read_hex4(const std::string& text, uint16_t& number) {
    int digits = 0;
    unsigned value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0 || digits == 4) break;
        value = value * 16 + static_cast<unsigned>(digit);
        ++digits;
    }
    number = static_cast<uint16_t>(value);
    return digits > 0;
}

void bad_line(Win_Handle window, const std::string& file, int number, const std::string& line) {
    Log_Message(window, LOG_WARNING, "\xF1\x05WARNING:\x02 bad line in %s", file.c_str());
    Log_Message(window, LOG_WARNING, "\t\t\x01[%d] \x02%s", number, line.c_str());
}

void add_tag(Win_Handle window, Level& level, const std::string& value, const std::string& file, int number,
             const std::string& line) {
    std::string text = value;
    for (char& c : text)
        if (c == '(' || c == ',' || c == ')') c = ' ';
    std::string group_text = field(text, 0), element_text = field(text, 1);
    uint16_t group = 0, element = 0;
    if (!read_hex4(group_text, group) || !read_hex4(element_text, element)) {
        bad_line(window, file, number, line);  // nothing sensible to store
        return;
    }
    // File meta information, the directory's own elements and item delimiters would make a
    // record no reader can parse.
    if (group == 0x0002 || group == 0x0004 || group == 0xFFFE) {
        Log_Message(window, LOG_WARNING,
                    "\xF1\x05WARNING:\x02 (%04X,%04X) cannot go into a directory record: line %d of %s skipped",
                    group, element, number, file.c_str());
        return;
    }
    Log_Message(window, LOG_REPORT, "    Adding: (\x01%s\x02,\x01%s\x02) to %s tags list", group_text.c_str(),
                element_text.c_str(), level.label);
    level.group.push_back(group);
    level.element.push_back(element);
    ++level.count;
}

void set_trace(const std::string& line) {
    std::string number = field(line, 2);
    if (number.empty()) return;
    int level = static_cast<int>(std::strtol(number.c_str(), nullptr, 10)) & 0xFF;
    if (Trace_Level > level) return;  // never lowered by a value of 0 ... 127
    Trace_Level = static_cast<int8_t>(level);
}

// lists_replaced: whether this file's tag lines have emptied the lists yet.
void act(Win_Handle window, const std::string& command, const std::string& line, const std::string& file,
         int number, bool& lists_replaced) {
    if (strcasecmp(command.c_str(), "trace") == 0) {
        set_trace(line);
        return;
    }
    Level* level = nullptr;
    for (Level& candidate : levels)
        if (strcasecmp(command.c_str(), candidate.key) == 0) level = &candidate;
    const bool record_types = strcasecmp(command.c_str(), "record_types") == 0;
    bool known = level || record_types || strcasecmp(command.c_str(), "scratch") == 0 ||
                 strcasecmp(command.c_str(), "audit") == 0 || strcasecmp(command.c_str(), "tables") == 0;
    if (!known) {
        bad_line(window, file, number, line);
        return;
    }
    // A file that names tag lines replaces the lists; one without keeps those read before.
    if (level && !lists_replaced) {
        empty_lists();
        lists_replaced = true;
    }
    std::string value = value_of(line);
    if (value.empty()) return;
    if (level) {
        add_tag(window, *level, value, file, number, line);
    } else if (record_types) {
        if (strcasecmp(value.c_str(), "sop_class") == 0) Configuration_Record_Types_By_Class = true;
        else if (strcasecmp(value.c_str(), "image") == 0) Configuration_Record_Types_By_Class = false;
        else bad_line(window, file, number, line);
    } else if (strcasecmp(command.c_str(), "scratch") == 0) {
        Scratch_Dir = Path_With_Separator(value);
    } else if (strcasecmp(command.c_str(), "audit") == 0) {
        // Accepted for the files of earlier versions: no audit file is written.
    } else {
        // File paths are the folder followed directly by the file name.
        DICOM_Module_Dir(window, Path_With_Separator(value).c_str());
    }
}

}  // namespace

bool Configuration_Record_Types_By_Class = false;

int Configuration_Read(Win_Handle window, const std::string& path, const std::string& name) {
    Log_Message(window, LOG_TRACE_1, "in Configuration_Read(path=%s,name=%s)", path.c_str(), name.c_str());
    const std::string file = path + name;
    // Only a plain file is read: a named pipe of that name would hold start-up forever.
    const Platform_File opened = File_Open_Read(file, Open_Never_Block | Open_Plain_Only);
    if (opened == No_Platform_File) {
        if (errno == ENODEV || errno == EISDIR) Log_Message(window, LOG_TRACE_1, "%s is no plain file", file.c_str());
        return 0;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(File_Stream_Adopt(opened, "rb"), std::fclose);
    if (!in) return 0;
    std::string bytes;
    char chunk[4096];
    for (std::size_t got; bytes.size() <= Size_Max && (got = std::fread(chunk, 1, sizeof chunk, in.get())) > 0;)
        bytes.append(chunk, got);
    if (bytes.size() > Size_Max) {
        Log_Error_Line(window, "Cannot read %s: it is larger than 1 MiB, no configuration file", file.c_str());
        return 0;
    }
    // An editor's byte-order mark or UTF-16 would otherwise turn lines into unknown keys or,
    // worse, into empty lines that are skipped without a word.
    std::string problem;
    const std::optional<std::string> text = Configuration_Text(bytes, problem);
    if (!text) {
        Log_Error_Line(window, "Cannot read %s: %s", file.c_str(), problem.c_str());
        return 0;
    }
    Log_Message(window, LOG_REPORT, "Reading: \x01%s", file.c_str());
    bool lists_replaced = false;

    std::size_t at = 0;
    for (int number = 1; at < text->size(); ++number) {
        // A line, or a piece of Line_Size - 1 characters of a longer one.
        std::size_t end = text->find('\n', at);
        end = std::min(end == std::string::npos ? text->size() : end + 1, at + Line_Size - 1);
        const std::string buffer = text->substr(at, end - at);
        at = end;
        Log_Message(window, LOG_TRACE_5, "--> line[%d]   \"%s\"", number, buffer.c_str());
        std::string line = buffer.substr(0, buffer.find_first_of("#;"));
        String_Trim(line);
        if (line.empty()) continue;
        if (line.back() == '\n') line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();  // files written on Windows
        if (line.empty()) continue;
        Log_Message(window, LOG_TRACE_1, "--> line[%d]   \"%s\"", number, line.c_str());

        normalise_separator(line);
        Log_Message(window, LOG_TRACE_1, "==> line[%d]   \"%s\"", number, line.c_str());
        std::string command = field(line, 0);
        if (command.empty()) {
            Log_Message(window, LOG_WARNING, "line[%d]: Unable to get a command from \"%s\"", number, line.c_str());
            continue;
        }
        Log_Message(window, LOG_TRACE_1, "==> line[%d]  command: \"%s\"", number, command.c_str());
        act(window, command, line, file, number, lists_replaced);
    }
    Log_Message(window, LOG_REPORT, "Done");
    return 1;
}

Dir_Tag_Lists Configuration_Tag_Lists() {
    Dir_Tag_Lists lists;
    Dir_Tag_Selection* targets[] = {&lists.patient, &lists.study, &lists.series, &lists.image};
    for (int i = 0; i < 4; ++i) {
        targets[i]->group = levels[i].group;
        targets[i]->element = levels[i].element;
    }
    Kestrapol_Add_Required_Keys(lists);
    return lists;
}
