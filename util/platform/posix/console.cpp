// Terminals on POSIX: colour wherever the stream is a terminal; standard output led into a pipe.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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

Stdout_Tee::~Stdout_Tee() {
    restore();
    for (int descriptor : {read_end_, saved_})
        if (descriptor >= 0) close(descriptor);
}

bool Stdout_Tee::start() {
    if (started()) return true;
    int ends[2];
    if (pipe(ends) != 0) return false;
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    if (saved < 0 || dup2(ends[1], STDOUT_FILENO) < 0) {
        for (int descriptor : {ends[0], ends[1], saved})
            if (descriptor >= 0) close(descriptor);
        return false;
    }
    read_end_ = ends[0];
    write_end_ = ends[1];
    saved_ = saved;
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // lines appear as they are written
    return true;
}

std::size_t Stdout_Tee::read(char* buffer, std::size_t size) {
    if (read_end_ < 0) return 0;
    ssize_t got;
    do got = ::read(read_end_, buffer, size);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return 0;
    [[maybe_unused]] const ssize_t passed = write(saved_, buffer, static_cast<std::size_t>(got));
    return static_cast<std::size_t>(got);
}

void Stdout_Tee::restore() {
    if (write_end_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(write_end_);  // the last writer: the reader sees the end
    write_end_ = -1;
}
