#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/startup.h"

namespace {

struct Args {
    explicit Args(std::initializer_list<const char*> list) : text(list.begin(), list.end()) {
        text.insert(text.begin(), "kestrapol");
        for (std::string& t : text) pointers.push_back(t.data());
    }
    int argc() const { return static_cast<int>(pointers.size()); }
    char** argv() { return pointers.data(); }
    std::vector<std::string> text;
    std::vector<char*> pointers;
};

Command_Line parse(std::initializer_list<const char*> list) {
    Trace_Level = 0;
    Args args(list);
    return Parse_Command_Line(args.argc(), args.argv());
}

TEST(CommandLine, LaterOptionWins) {
    parse({"-v", "-t", "3"});
    EXPECT_EQ(Trace_Level, 3);
    parse({"-t", "3", "-v"});
    EXPECT_EQ(Trace_Level, 5);
    parse({"-T", "-1"});
    EXPECT_EQ(Trace_Level, -1);
    parse({"-t", "257"});  // low 8 bits
    EXPECT_EQ(Trace_Level, 1);
    parse({"-t", " 7x"});
    EXPECT_EQ(Trace_Level, 7);
    parse({"-v", "-t"});  // no value left: 0
    EXPECT_EQ(Trace_Level, 0);
}

TEST(CommandLine, OnlyTheSecondCharacterCounts) {
    Command_Line line = parse({"-verbose", "/data/a"});
    EXPECT_EQ(Trace_Level, 5);
    EXPECT_EQ(line.folders, std::vector<std::string>{"/data/a"});
    line = parse({"-t5", "/data/images"});  // the folder is taken as the value
    EXPECT_EQ(Trace_Level, 0);
    EXPECT_TRUE(line.folders.empty());
}

// The shell has taken the quotes it meant: those left belong to the names.
TEST(CommandLine, FoldersKeepTheirOrderAndAreTakenLiterally) {
    Command_Line line = parse({"/b", "-v", "\"/my images\"", "\"X", "", "/a"});
    EXPECT_FALSE(line.unknown_option);
    EXPECT_EQ(line.folders, (std::vector<std::string>{"/b", "\"/my images\"", "\"X", "", "/a"}));
}

TEST(CommandLine, UnknownOptionStopsAtOnce) {
    Command_Line line = parse({"/a", "-x", "-v", "/b"});
    EXPECT_TRUE(line.unknown_option);
    EXPECT_EQ(line.unknown_token, "-x");
    EXPECT_EQ(Trace_Level, 0);
    EXPECT_EQ(parse({"-"}).unknown_token, "-");
}

TEST(CommandLine, WindowOptionKeepsTheFoldersForOneDrop) {
    Command_Line line = parse({"-w", "/a", "/b c"});
    EXPECT_TRUE(line.window);
    EXPECT_EQ(line.folders, (std::vector<std::string>{"/a", "/b c"}));
    EXPECT_TRUE(parse({"-W"}).window);
    EXPECT_FALSE(parse({"/a"}).window);
}

// The desktop's "Open with" runs the entry on a folder: it must open the window, and the
// entry must never make the program the default opener of folders.
TEST(DesktopEntry, OpensTheWindowAndClaimsNoFolders) {
    std::ifstream in(KESTRAPOL_SOURCE_DIR "/app/windows/desktop/kestrapol.desktop");
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
