// Provisional per-folder procedure: clears the summary state and reads nothing yet.
#include "app/convert.h"

uint8_t name_flags = 0;
int32_t nb_files = 0, nb_patients = 0, nb_studies = 0, nb_series = 0, nb_images = 0;

Folder_Outcome Convert_Folder(Win_Handle, const std::string&, Progress_Window*) {
    name_flags = 0;
    nb_files = nb_patients = nb_studies = nb_series = nb_images = 0;
    return {};
}

void Convert_Thread(Win_Handle, Convert_Data data) { Progress_Close(data.progress); }
