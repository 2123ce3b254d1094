// The command line: options and the folders to convert.
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"

Command_Line Parse_Command_Line(int argc, char** argv) {
    Command_Line result;
    for (int i = 1; i < argc; ++i) {
        std::string token = argv[i];
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
        } else {
            result.unknown_option = true;
            result.unknown_token = token;
            return result;
        }
    }
    return result;
}

void Print_Usage(const std::string& token) {
    std::fprintf(stderr, "unknown argument (%s)\n", token.c_str());
    std::printf("\n");
    std::printf(" ----- ----- %s (version: %s) ----- ----- \n", Prog_Name.c_str(), Prog_Version.c_str());
    std::printf("\n");
    std::printf("\n --- usage: ---\n");
    std::printf(" %s [-v] [-t val]", Prog_Name.c_str());
    std::printf("\n\n");
    std::printf(" %s [-v] [-t val] folder ...       converts the folders without a window\n", Prog_Name.c_str());
    std::printf(" %s [-v] [-t val] -w [folder ...]  opens the window and converts the folders there\n\n",
                Prog_Name.c_str());
}
