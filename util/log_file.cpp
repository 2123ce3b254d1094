// Log files: opened for one line at a time in the scratch folder, which is created on demand.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "util/directory.h"
#include "util/log_sink.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"

namespace {

std::atomic<bool> scratch_warning_shown{false};

void scratch_warning(const std::string& text) {
    if (!scratch_warning_shown.exchange(true))
        Log_Show_Box(nullptr, LOG_BOX_ERROR, "Error writing to Scratch dir", text.c_str());
}

// The folder made ready for a log file; false (reported once per run) when it cannot be used.
bool scratch_ready(const std::string& folder) {
    if (folder == Default_Scratch_Dir()) {
        // The user's own folder in the shared temporary folder: never one someone else made.
        const int error = Folder_Make_Private(folder.substr(0, folder.size() - 1));
        if (error == 0) return true;
        if (error == EPERM || error == ENOTDIR) {
            scratch_warning("The folder \"" + folder + "\" belongs to another user or is no folder of yours\n"
                            "No log file is written");
            return false;
        }
    } else if (Directory_Create(folder)) {
        return true;
    }
    scratch_warning("Unable to create directory: \"" + folder + "\"\nMake sure you have the necessary permisions");
    return false;
}

}  // namespace

std::FILE* Log_File_Open(const std::string& name) {
    File_Name_Parts parts = File_Name_Split(name);
    if (parts.folder.empty()) parts.folder = Scratch_Dir;
    if (!parts.folder.empty() && !scratch_ready(parts.folder)) return nullptr;
    return File_Stream_Append(parts.folder + parts.name + parts.extension);
}
