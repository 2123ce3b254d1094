// Log files: opened for one line at a time in the scratch folder, which is created on demand.
#include <atomic>
#include <cstdio>
#include <string>

#include "util/directory.h"
#include "util/log_sink.h"
#include "util/platform_file.h"

namespace {
std::atomic<bool> scratch_warning_shown{false};
}

std::FILE* Log_File_Open(const std::string& name) {
    File_Name_Parts parts = File_Name_Split(name);
    if (parts.folder.empty()) parts.folder = Scratch_Dir;
    if (!parts.folder.empty() && !Directory_Create(parts.folder)) {
        if (!scratch_warning_shown.exchange(true)) {
            std::string text = "Unable to create directory: \"" + parts.folder +
                               "\"\nMake sure you have the necessary permisions";
            Log_Show_Box(nullptr, LOG_BOX_ERROR, "Error writing to Scratch dir", text.c_str());
        }
        return nullptr;
    }
    return File_Stream_Open(parts.folder + parts.name + parts.extension, "a");
}
