// Splitting a path into folder, base name and extension.
#include <cctype>
#include <vector>

#include "util/directory.h"
#include "util/platform_folder.h"

File_Name_Parts File_Name_Split(const std::string& input) {
    File_Name_Parts parts;
    std::string path = input;
    if (path.ends_with(";1")) path.resize(path.size() - 2);  // version suffix of CD names

    // A second drive mark (":\" further in) is part of the name, not a separator.
    std::vector<bool> kept(path.size(), false);
    if (path.size() > 6) {
        for (std::size_t at = path.find(":\\", 6); at != std::string::npos; at = path.find(":\\", at + 1))
            kept[at + 1] = true;
    }
    std::size_t name_start = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        if ((path[i] == '/' || path[i] == '\\') && !kept[i]) name_start = i + 1;

    parts.folder = path.substr(0, name_start);
    if constexpr (Path_Has_Drives) {
        // The drive letter in upper case, one kind of separator.
        for (char& c : parts.folder)
            if (c == '/') c = '\\';
        if (parts.folder.size() >= 2 && parts.folder[1] == ':')
            parts.folder[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(parts.folder[0])));
    }
    std::string rest = path.substr(name_start);
    std::size_t dot = rest.rfind('.');
    if (dot != std::string::npos) {
        std::string extension = rest.substr(dot);
        bool digit_first = extension.size() > 1 && std::isdigit(static_cast<unsigned char>(extension[1]));
        if (extension.size() <= 5 && !digit_first) {
            parts.extension = extension;
            rest.resize(dot);
        }
    }
    parts.name = rest;
    return parts;
}

void File_Name_Split(const char* path, std::string* folder, std::string* name, std::string* extension) {
    File_Name_Parts parts = path ? File_Name_Split(std::string(path)) : File_Name_Parts{};
    if (folder) *folder = std::move(parts.folder);
    if (name) *name = std::move(parts.name);
    if (extension) *extension = std::move(parts.extension);
}
