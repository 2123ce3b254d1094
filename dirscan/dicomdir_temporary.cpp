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

constexpr std::string_view Temporary_Prefix = "DICOMDIR.T";  // then three capital letters
constexpr std::size_t Temporary_Letters = 3;
constexpr int Name_Tries = 100;

char random_letter() {
    thread_local std::mt19937 generator{std::random_device{}()};
    return static_cast<char>('A' + std::uniform_int_distribution<int>(0, 25)(generator));
}

// Whether the file starts with the mark of a DICOMDIR being written here: a finished one has
// its preamble cleared, and no user's copy of it carries the mark.
bool carries_mark(Platform_File file) {
    char head[DICOMDIR_Unfinished_Mark.size()];
    return File_Read_At(file, head, sizeof head, 0) == static_cast<long>(sizeof head) &&
           std::memcmp(head, DICOMDIR_Unfinished_Mark.data(), sizeof head) == 0;
}

}  // namespace

bool DICOMDIR_Is_Temporary_Name(std::string_view name) {
    if (!name.starts_with(Temporary_Prefix)) return false;
    const std::string_view letters = name.substr(Temporary_Prefix.size());
    if (letters.size() != Temporary_Letters) return false;
    for (char c : letters)
        if (c < 'A' || c > 'Z') return false;
    return true;
}

Platform_File DICOMDIR_Create_Temporary(const Held_Folder& folder, std::string& name) {
    for (int i = 0; i < Name_Tries; ++i) {
        name = std::string(Temporary_Prefix) + random_letter() + random_letter() + random_letter();
        const Platform_File file = File_Open_Write_In(folder, name, File_Create::Exclusive);
        if (file != No_Platform_File || errno != EEXIST) return file;
    }
    return No_Platform_File;  // errno EEXIST
}

int DICOMDIR_Remove_Leftovers(Win_Handle window, const Held_Folder& folder, int64_t since) {
    const std::optional<Dir_List> files = Directory_Get_Files(folder.path, std::string(Temporary_Prefix) + "*", true);
    if (!files) return 0;
    int removed = 0;
    for (const Dir_Entry& entry : *files) {
        if (!DICOMDIR_Is_Temporary_Name(entry.Name)) continue;
        const Platform_File file =
            File_Open_Read_In(folder.handle, entry.Name.c_str(), entry.File, Open_Never_Block | Open_Plain_Only);
        if (file == No_Platform_File) continue;
        // A file changed since the run began may be another program's copy in the making.
        File_Status status;
        if (File_Get_Status(file, status) && status.modified < since && carries_mark(file) &&
            File_Remove_Unused_In(folder, file, entry.Name)) {
            Log_Message(window, LOG_REPORT, "\x02\t Removed \x01%s\x02, an unfinished DICOMDIR of an earlier run",
                        entry.File.c_str());
            ++removed;
        }
        File_Close(file);
    }
    return removed;
}
