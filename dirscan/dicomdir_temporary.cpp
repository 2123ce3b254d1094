// The temporary file a DICOMDIR is written to: a new file under a name no other file has, and
// the leftovers of runs that ended before renaming theirs.
#include <cerrno>
#include <cstring>
#include <random>
#include <string_view>

#include "dirscan/dicomdir_writer.h"
#include "util/directory.h"
#include "util/platform_file.h"

namespace {

constexpr std::string_view Temporary_Prefix = "DICOMDIR.T";  // then two or three capital letters
constexpr int Name_Tries = 100;
constexpr std::size_t Head_Size = 256;
constexpr std::string_view Directory_Class = "1.2.840.10008.1.3.10";

char random_letter() {
    thread_local std::mt19937 generator{std::random_device{}()};
    return static_cast<char>('A' + std::uniform_int_distribution<int>(0, 25)(generator));
}

// Bytes a DICOMDIR written here starts with, cut anywhere: zero bytes of the preamble only, or
// the preamble, "DICM" and a head naming the directory class.
bool begins_like_a_directory(const uint8_t* head, std::size_t length) {
    if (length < 132) {
        for (std::size_t i = 0; i < length; ++i)
            if (head[i] != 0) return false;
        return true;
    }
    if (std::memcmp(head + 128, "DICM", 4) != 0) return false;
    const std::string_view text(reinterpret_cast<const char*>(head), length);
    return text.find(Directory_Class) != std::string_view::npos;
}

}  // namespace

bool DICOMDIR_Is_Temporary_Name(std::string_view name) {
    if (!name.starts_with(Temporary_Prefix)) return false;
    const std::string_view letters = name.substr(Temporary_Prefix.size());
    if (letters.size() < 2 || letters.size() > 3) return false;
    for (char c : letters)
        if (c < 'A' || c > 'Z') return false;
    return true;
}

Platform_File DICOMDIR_Create_Temporary(const std::string& folder, std::string& path) {
    for (int i = 0; i < Name_Tries; ++i) {
        path = folder + std::string(Temporary_Prefix) + random_letter() + random_letter() + random_letter();
        const Platform_File file = File_Open_Write(path, File_Create::Exclusive);
        if (file != No_Platform_File || errno != EEXIST) return file;
    }
    return No_Platform_File;  // errno EEXIST
}

int DICOMDIR_Remove_Leftovers(Win_Handle window, const std::string& folder) {
    const std::optional<Dir_List> files = Directory_Get_Files(folder, std::string(Temporary_Prefix) + "*", true);
    if (!files) return 0;
    int removed = 0;
    for (const Dir_Entry& entry : *files) {
        if (!DICOMDIR_Is_Temporary_Name(entry.Name)) continue;
        const Platform_File file = File_Open_Read(entry.File, Open_Never_Block | Open_Plain_Only);
        if (file == No_Platform_File) continue;
        uint8_t head[Head_Size];
        const long length = File_Read_At(file, head, sizeof head, 0);
        // A user's own file of such a name is no leftover; a running program's file is in use.
        if (length >= 0 && begins_like_a_directory(head, static_cast<std::size_t>(length)) &&
            File_Remove_Unused(file, entry.File)) {
            Log_Message(window, LOG_TRACE_1, "DICOMDIR_Write: removed %s, left by an earlier run", entry.File.c_str());
            ++removed;
        }
        File_Close(file);
    }
    return removed;
}
