// The definition folder and the process-wide tables of private creators and macros.
//
// Which definition files exist is learned from one listing of the folder, so that looking
// for a creator's file (a name shortened one character at a time) costs no call per name.
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dicom/attribute_list.h"
#include "dicom/definition.h"
#include "dicom/element_reader_markup.h"
#include "dicom/warning.h"
#include "dicom/nesting.h"
#include "util/directory.h"
#include "util/log_capture.h"
#include "util/platform_file.h"
#include "util/region.h"
#include "util/text.h"

namespace {

constexpr int Include_Max = 10240;

struct Private_Creator {
    std::optional<DICOM_Tag_List> list;   // nullopt when no file was found
    // What loading reported, when a thread holding back its messages loaded it: reported at
    // the first lookup in the order the held-back messages are replayed.
    std::shared_ptr<Log_Once> load_messages;
};

std::string Module_Dir;
// The definition files of the folder, by upper-case name (names match in any case, as the
// folder services match them): learned from one listing when first needed.
std::optional<std::unordered_map<std::string, std::string>> Folder_Files;
uint64_t Folder_Calls = 0;
// By the creator text as callers pass it, and by macro name (blanks replaced by "_"). Entries
// never move once added, so returned lists stay valid while others are added.
std::unordered_map<std::string, std::unique_ptr<Private_Creator>> Private_List;
std::unordered_map<std::string, std::unique_ptr<DICOM_Tag_List>> Include_List;

// The library's protected region, held for a scope.
class Region {
public:
    Region() { Mutex_Access_Start(); }
    ~Region() { Mutex_Access_End(); }
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;
};

struct File_Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File_Ptr = std::unique_ptr<std::FILE, File_Closer>;

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Opens file_name in the definition folder when the folder holds it; no call otherwise.
File_Ptr open_definition_file(const std::string& file_name, std::string& path) {
    if (!Folder_Files) {
        Folder_Files.emplace();
        ++Folder_Calls;
        if (const std::optional<Dir_List> files = Directory_Get_Files(Module_Dir, "DICOM_*.txt", false)) {
            for (const Dir_Entry& file : *files) Folder_Files->try_emplace(upper(file.Name), file.Name);
        }
    }
    const auto found = Folder_Files->find(upper(file_name));
    path = Module_Dir + (found != Folder_Files->end() ? found->second : file_name);
    if (found == Folder_Files->end()) return nullptr;
    ++Folder_Calls;
    // Listed as a plain file, but it may have been replaced since: a pipe is not waited for.
    const Platform_File file = File_Open_Read(path, Open_Never_Block | Open_Plain_Only);
    if (file == No_Platform_File) return nullptr;
    return File_Ptr(File_Stream_Adopt(file, "rb"));
}

// The creator as it appears in a file name: trimmed, upper case, no characters that file
// names cannot hold.
std::string creator_file_stem(const std::string& creator) {
    std::string stem = creator;
    String_Trim(stem);
    for (char& c : stem) {
        if (std::strchr("/\\:*?\"<>|", c) != nullptr && c != '\0') c = '_';
        else c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return stem;
}

// Looks for the creator's file, shortening the name one character at a time.
std::optional<DICOM_Tag_List> load_creator(Win_Handle window, const std::string& creator) {
    const std::string stem = creator_file_stem(creator);
    for (std::size_t n = stem.size(); n > 0; --n) {
        const std::string file_name = "DICOM_Private_" + stem.substr(0, n) + ".txt";
        Log_Message(window, LOG_TRACE_3, "Private Attribute file:" DICOM_HI("%s") " in dir:" DICOM_HI("%s"),
                    file_name.c_str(), Module_Dir.c_str());
        std::string path;
        File_Ptr file = open_definition_file(file_name, path);
        if (!file) continue;
        DICOM_Tag_List list;
        DICOM_Module_Read_File(window, file.get(), path, list);
        return list;
    }
    if (Prog_Name != "Zorvatine") {
        Log_Message(window, DICOM_Notice_Kind,
                    DICOM_NOTICE_PREFIX "Found no private attribute file for creator:" DICOM_HI("%s") " in dir:" DICOM_HI(
                        "%s"),
                    creator.c_str(), Module_Dir.c_str());
    }
    return std::nullopt;
}

}  // namespace

std::string DICOM_Module_Dir(Win_Handle, const char* folder) {
    Region region;
    if (folder != nullptr) {
        Module_Dir = folder;
        Folder_Files.reset();
    }
    return Module_Dir;
}

uint64_t DICOM_Module_Folder_Calls() {
    Region region;
    return Folder_Calls;
}

int DICOM_Module_Read_Private(Win_Handle window, const std::string& creator, DICOM_Tag* tag) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Module_Read_Private(%s)", creator.c_str());
    if (tag == nullptr) return 0;
    const DICOM_Tag_List* definitions = DICOM_Module_Private_Definitions(window, creator);
    return definitions != nullptr ? DICOM_Module_Apply_Private(window, *definitions, tag) : 0;
}

const DICOM_Tag_List* DICOM_Module_Private_Definitions(Win_Handle window, const std::string& creator) {
    if (creator.empty()) return nullptr;
    Region region;
    auto [slot, added] = Private_List.try_emplace(creator);
    if (added) slot->second = std::make_unique<Private_Creator>();
    Private_Creator* entry = slot->second.get();
    if (added) {
        if (Log_Capture::active() != nullptr) {
            entry->load_messages = std::make_shared<Log_Once>();
            Log_Capture capture(entry->load_messages->records);
            entry->list = load_creator(window, creator);
        } else {
            entry->list = load_creator(window, creator);
        }
    }
    Log_Refer_Once(window, entry->load_messages);
    return entry->list ? &*entry->list : nullptr;
}

int DICOM_Module_Apply_Private(Win_Handle window, const DICOM_Tag_List& definitions, DICOM_Tag* tag) {
    // A loaded creator's list is never changed again: no lock needed to read it.
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(window, &root);
    auto& list = const_cast<DICOM_Tag_List&>(definitions);
    const DICOM_Tag* definition = DICOM_Attribute_Get(window, &root, &list, tag->group, tag->element);
    if (definition == nullptr) {
        definition = DICOM_Attribute_Get(window, &root, &list, tag->group, tag->element & 0x00FF);
    }
    if (definition == nullptr) return 0;
    if (definition->vr_def != 0) tag->vr_def = definition->vr_def;
    if (!definition->description.empty()) tag->description = definition->description;
    if (definition->flags & Tag_Flag::Removal) tag->flags |= Tag_Flag::Deleted;
    return 1;
}

const DICOM_Tag_List* DICOM_Module_Include_Get(Win_Handle window, const std::string& name,
                                               const std::string& including_file, int line) {
    Log_Message(window, LOG_TRACE_3, "DICOM_Module_Include_Get(%s)", name.c_str());
    std::string key = name;
    for (char& c : key) {
        if (c == ' ') c = '_';
    }
    Region region;
    if (const auto known = Include_List.find(key); known != Include_List.end()) {
        Log_Message(window, LOG_TRACE_3, "-> macro already in memory");
        return known->second.get();
    }
    std::string path;
    File_Ptr file = open_definition_file("DICOM_Include_" + key + ".txt", path);
    if (!file) {
        DICOM_Warning(window, "reading Attribute file:" DICOM_HI("%s") " line:" DICOM_HI("%d"),
                    including_file.c_str(), line);
        DICOM_Warning(window, "Unable to open included file:\"" DICOM_HI("%s") "\"",
                    path.c_str());
        return nullptr;
    }
    if (Include_List.size() >= Include_Max - 1) {
        DICOM_Warning(window, "To many include in DICOM tables! (max=%d)",
                    Include_Max);
        return nullptr;
    }
    // Remembered before parsing, so that a macro including itself ends instead of recursing.
    DICOM_Tag_List* macro = (Include_List[key] = std::make_unique<DICOM_Tag_List>()).get();
    DICOM_Module_Read_File(window, file.get(), path, *macro);
    return macro;
}

void DICOM_Module_Cleanup() {
    Region region;
    Module_Dir.clear();
    Folder_Files.reset();
}

void DICOM_Module_Include_Cleanup() {
    Region region;
    Include_List.clear();
    if (Private_List.empty()) DICOM_Module_Elements_Released();
}

void DICOM_Module_Private_Cleanup() {
    Region region;
    Private_List.clear();
    if (Include_List.empty()) DICOM_Module_Elements_Released();
}
