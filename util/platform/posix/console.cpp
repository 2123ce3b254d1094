// Terminals on POSIX: colour wherever the stream is a terminal.
#include <sys/stat.h>
#include <unistd.h>

#include "util/platform_system.h"

bool Stream_Is_Terminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

bool Console_Supports_Colour(std::FILE* stream) { return Stream_Is_Terminal(stream); }

void Stream_Write_Text(std::FILE* stream, std::string_view utf8, bool) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

// Standard output and standard error are wherever the program was started from.
void Console_Attach(bool) {}

bool Streams_Share_Target(std::FILE* a, std::FILE* b) {
    struct stat first {}, second {};
    if (fstat(fileno(a), &first) != 0 || fstat(fileno(b), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
