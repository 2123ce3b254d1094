// The command line: options and the folders to convert.
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"

namespace {

// The words that are matched whole, before the one-letter rule.
bool is_help_word(const std::string& token) { return token == "--help" || token == "/?"; }

}  // namespace

Command_Line Parse_Command_Line(int argc, char** argv) {
    Command_Line result;
    // An option that takes the next argument as its value; false when there is none.
    auto take_value = [&](int& i, const std::string& token, std::optional<std::string>& into) {
        if (i + 1 >= argc) {
            result.unknown_option = result.missing_value = true;
            result.unknown_token = token;
            return false;
        }
        into = argv[++i];
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        std::string token = argv[i];
        if (is_help_word(token)) {
            result.help = true;
            continue;
        }
        if (token == "--version") {
            result.version = true;
            continue;
        }
        if (!token.starts_with('-')) {
            // The shell has split and unquoted the arguments already: a quote left is part of the name.
            result.folders.push_back(token);
            continue;
        }
        // Only the second character counts: "-verbose" is "-v", "-t5" still takes the next token.
        char option = token.size() > 1 ? token[1] : '\0';
        if (option == 't' || option == 'T') {
            long value = i + 1 < argc ? std::strtol(argv[++i], nullptr, 10) : 0;
            Trace_Level = static_cast<int8_t>(value & 0xFF);
        } else if (option == 'v' || option == 'V') {
            Trace_Level = 5;
        } else if (option == 'w' || option == 'W') {
            result.window = true;
        } else if (option == 'h' || option == 'H') {
            result.help = true;
        } else if (option == 'c' || option == 'C') {
            result.check = true;
        } else if (option == 'o' || option == 'O') {
            if (!take_value(i, token, result.copy_to)) return result;
        } else if (option == 'r' || option == 'R') {
            if (!take_value(i, token, result.results_file)) return result;
        } else {
            result.unknown_option = true;
            result.unknown_token = token;
            return result;
        }
    }
    return result;
}

void Print_Help(std::FILE* out) {
    const char* name = Prog_Name.c_str();
    std::fprintf(out, "\n");
    std::fprintf(out, " ----- ----- %s (version: %s) ----- ----- \n", name, Prog_Version.c_str());
    std::fprintf(out, "\n");
    std::fprintf(out, "\n --- usage: ---\n");
    std::fprintf(out, " %s [-v] [-t val]", name);
    std::fprintf(out, "\n\n");
    std::fprintf(out, " %s [-v] [-t val] [-r file] folder ...          converts the folders without a window\n", name);
    std::fprintf(out, " %s [-v] [-t val] -w [folder ...]               opens the window and converts the folders there\n", name);
    std::fprintf(out, " %s [-v] [-t val] [-r file] -c folder ...       checks the folders' DICOMDIR files\n", name);
    std::fprintf(out, " %s [-v] [-t val] [-r file] -o dest folder ...  copies the folders' DICOM files as media into dest\n\n", name);
    std::fprintf(out, " -v            traces at level 5\n");
    std::fprintf(out, " -t val        sets the trace level (negative: the trace file only); val is the next argument\n");
    std::fprintf(out, " -w            opens the window even when folders are named\n");
    std::fprintf(out, " -c            checks each folder's DICOMDIR against the folder and changes nothing\n");
    std::fprintf(out, " -o dest       copies every DICOM file below the folders into dest under media names,\n");
    std::fprintf(out, "               with its DICOMDIR (dest must not exist, or be empty)\n");
    std::fprintf(out, " -r file       also writes the run's results to file as JSON\n");
    std::fprintf(out, " -h, --help, /?  this text\n");
    std::fprintf(out, " --version     the version\n\n");
    std::fprintf(out, " Only the second character of an option counts (-verbose is -v); a later option wins.\n");
    std::fprintf(out, " Every other argument is a folder, taken as it is.\n\n");
}

void Print_Usage(const Command_Line& line) {
    if (line.missing_value)
        std::fprintf(stderr, "argument missing after (%s)\n", line.unknown_token.c_str());
    else
        std::fprintf(stderr, "unknown argument (%s)\n", line.unknown_token.c_str());
    Print_Help(stdout);
}
