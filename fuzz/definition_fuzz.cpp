// The definition file parser over arbitrary text, with the macros it includes.
//
// The input is cut at form feeds (which end a definition file anyway): the first part is the
// file parsed, the next ones the macros M1, M2, ... that it may include, written to a folder of
// their own. M1 also serves as the definitions of the private creator FUZZ.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dicom/definition.h"
#include "fuzz_common.h"

namespace {

constexpr std::size_t Most_Macros = 16;

// A memory-backed folder when there is one, with the files of the last input.
const std::string& folder() {
    static const std::string path = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/kestrapol_definition_fuzz_" + std::to_string(::getpid()) + "/";
    static const struct Remover {
        Remover() { std::filesystem::create_directory(path); }
        ~Remover() { std::filesystem::remove_all(path); }
    } remover;
    return path;
}

// Writes text to the folder's file name, or removes the file when there is no text.
void write(const std::string& name, const std::string* text) {
    if (text) std::ofstream(folder() + name, std::ios::binary) << *text;
    else ::unlink((folder() + name).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_quiet_logging(0);
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\f' && parts.size() <= Most_Macros) parts.emplace_back();
        else parts.back().push_back(static_cast<char>(data[i]));
    }
    for (std::size_t n = 1; n <= Most_Macros; ++n)
        write("DICOM_Include_M" + std::to_string(n) + ".txt", n < parts.size() ? &parts[n] : nullptr);
    write("DICOM_Private_FUZZ.txt", parts.size() > 1 ? &parts[1] : nullptr);
    DICOM_Module_Dir(nullptr, folder().c_str());  // the folder is listed afresh

    std::FILE* f = std::tmpfile();
    if (f == nullptr) return 0;
    std::fwrite(parts[0].data(), 1, parts[0].size(), f);
    std::rewind(f);
    DICOM_Tag_List list;
    DICOM_Module_Read_File(nullptr, f, "fuzz.txt", list);
    std::fclose(f);
    for (DICOM_Tag& tag : list)
        if (tag.vr_def != 0) DICOM_Module_Value(&tag, std::string(tag.description));
    DICOM_Tag element;
    element.group = 0x0029;
    element.element = 0x1010;
    DICOM_Module_Read_Private(nullptr, "FUZZ CREATOR", &element);
    // Everything the run made is released, so that the fuzzer sees no growth to suspect.
    DICOM_Module_Include_Cleanup();
    DICOM_Module_Private_Cleanup();
    DICOM_Module_Cleanup();
    return 0;
}
