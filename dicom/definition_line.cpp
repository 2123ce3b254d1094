// Reading one line of a definition file.
#include <cctype>
#include <cerrno>

#include "dicom/definition.h"
#include "dicom/element_reader_markup.h"
#include "dicom/warning.h"
#include "util/system_error.h"

namespace {

constexpr std::size_t Line_Capacity = 2048;

void where(Win_Handle window, const std::string& file_name, int line_number) {
    DICOM_Warning(window, "reading file:" DICOM_HI("%s") " line:" DICOM_HI("%d"),
                file_name.c_str(), line_number);
}

}  // namespace

int DICOM_Module_Read_Line(Win_Handle window, std::FILE* file, int line_number, std::string& line,
                           const std::string& file_name, std::string* comment) {
    line.clear();
    if (comment != nullptr) comment->clear();
    bool in_comment = false;
    std::size_t stored = 0;  // bytes in the buffer, comment included
    for (;;) {
        const int c = std::fgetc(file);
        if (c == EOF) {
            if (std::ferror(file)) {
                const int error = errno;
                where(window, file_name, line_number);
                Log_Message(window, DICOM_Warning_Kind, "%s", Error_Str(error));
            }
            return 0;
        }
        if (c == '\n') return 1;
        if (c == '\f') return 0;
        if (c == '\r') continue;
        char byte = static_cast<char>(c);
        if (c == '\t') byte = ' ';
        else if (c == 0x92) byte = '\'';
        if (stored >= Line_Capacity - 1) {
            where(window, file_name, line_number);
            Log_Message(window, DICOM_Warning_Kind, "Line too long (>2048)");
            return 0;
        }
        const unsigned char u = static_cast<unsigned char>(byte);
        if (!std::isprint(u)) {
            where(window, file_name, line_number);
            Log_Message(window, DICOM_Warning_Kind, "Bad charact. 0x%x (pos:%d)", u, static_cast<int>(stored));
        }
        ++stored;
        if (!in_comment && byte == ';') {
            in_comment = true;
            continue;
        }
        if (in_comment) {
            if (comment != nullptr) comment->push_back(byte);
        } else {
            line.push_back(byte);
        }
    }
}
