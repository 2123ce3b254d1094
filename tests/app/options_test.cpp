// The command line: options as they are met, folders taken literally, the first unknown option.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"

namespace {

TEST(CommandLine, OptionsAndFolders) {
    using Words = std::vector<std::string>;
    const struct {
        Words args;
        int trace;
        Words folders;
        bool window = false;
        std::string unknown = "";
        std::string copy_to = "", results = "";
        bool check = false, help = false, version = false, missing = false;
    } cases[] = {
        {{"-v", "-t", "3"}, 3, {}},  // the later option wins
        {{"-t", "3", "-v"}, 5, {}},
        {{"-T", "-1"}, -1, {}},
        {{"-v", "-t"}, 0, {}},                      // no value left: 0
        {{"-verbose", "/data/a"}, 5, {"/data/a"}},  // only the second character counts,
        {{"-t5", "/data/images"}, 0, {}},           // so the folder is taken as the value
        // The shell has taken the quotes it meant: those left belong to the names.
        {{"/b", "-v", "\"/my images\"", "\"X", "", "/a"}, 5, {"/b", "\"/my images\"", "\"X", "", "/a"}},
        {{"/a", "-x", "-v", "/b"}, 0, {"/a"}, false, "-x"},  // stops at once
        {{"-"}, 0, {}, false, "-"},
        {{"-w", "/a", "/b c"}, 0, {"/a", "/b c"}, true},  // the folders make one drop
        {{"-W"}, 0, {}, true},
        // The words users try first, matched whole; the one-letter rule still holds for -h.
        {{"--help"}, 0, {}, false, "", "", "", false, true},
        {{"/?", "/a"}, 0, {"/a"}, false, "", "", "", false, true},
        {{"-help"}, 0, {}, false, "", "", "", false, true},
        {{"--version"}, 0, {}, false, "", "", "", false, false, true},
        {{"--verbose"}, 0, {}, false, "--verbose"},  // "--" is no option letter
        // Options with a value take the next argument, whatever it looks like.
        {{"-c", "/a", "-r", "-v"}, 0, {"/a"}, false, "", "", "-v", true},
        {{"-o", "/dest", "/a", "/b"}, 0, {"/a", "/b"}, false, "", "/dest"},
        {{"/a", "-o"}, 0, {"/a"}, false, "-o", "", "", false, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        Words text = c.args;
        text.insert(text.begin(), "kestrapol");
        std::vector<char*> argv;
        for (std::string& word : text) argv.push_back(word.data());
        Trace_Level = 0;
        const Command_Line line = Parse_Command_Line(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(Trace_Level, c.trace);
        EXPECT_EQ(line.folders, c.folders);
        EXPECT_EQ(line.window, c.window);
        EXPECT_EQ(line.unknown_option, !c.unknown.empty());
        EXPECT_EQ(line.unknown_token, c.unknown);
        EXPECT_EQ(line.copy_to.value_or(""), c.copy_to);
        EXPECT_EQ(line.results_file.value_or(""), c.results);
        EXPECT_EQ(line.check, c.check);
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.version, c.version);
        EXPECT_EQ(line.missing_value, c.missing);
    }
    Trace_Level = 0;
}

// The desktop's "Open with" runs the entry on a folder: it must open the window, and the
// entry must never make the program the default opener of folders.
TEST(DesktopEntry, OpensTheWindowAndClaimsNoFolders) {
    std::ifstream in(KESTRAPOL_SOURCE_DIR "/app/qt/desktop/kestrapol.desktop");
    ASSERT_TRUE(in);
    std::string line, exec;
    while (std::getline(in, line)) {
        EXPECT_EQ(line.find("inode/directory"), std::string::npos) << line;
        EXPECT_FALSE(line.starts_with("MimeType=")) << line;
        if (line.starts_with("Exec=")) exec = line;
    }
    EXPECT_EQ(exec, "Exec=kestrapol -w %F");
}

}  // namespace
