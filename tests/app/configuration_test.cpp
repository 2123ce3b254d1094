#include <gtest/gtest.h>

#include "app/configuration.h"
#include "app/startup.h"
#include "dicom/library.h"
#include "dirscan/walk_fixture.h"

namespace fs = std::filesystem;

namespace {

class Configuration : public ::testing::Test {
protected:
    int read(const std::string& content, const char* name = "Kestrapol.ini") {
        scratch.add_text(name, content);  // the line ends as given
        Log_Recorder::lines().clear();
        const int read = Configuration_Read(nullptr, path, name);
        said = Log_Recorder::texts();
        return read;
    }
    Scratch_Folder scratch;
    const std::string path = scratch.path() + "/";
    Log_Recorder log;
    std::vector<std::string> said;  // what the last read said
};

TEST_F(Configuration, SeparatorsCaseAndComments) {
    ASSERT_EQ(read("TAG_PATIENT = (0010,0020)\n"
                   "tag_image=0008,0018\n"
                   "tag_image:\t(0020,0013)   ; instance number\n"
                   "# a comment line\n"
                   "tag_study = (0020,000D) # study UID\n"
                   "\n"
                   "tag_image = (0008,0018)\n"),
              1);
    EXPECT_EQ(Item_Patient_Group, std::vector<uint16_t>{0x0010});
    EXPECT_EQ(Item_Patient_Elem, std::vector<uint16_t>{0x0020});
    EXPECT_EQ(Item_Study_Elem, std::vector<uint16_t>{0x000D});
    EXPECT_EQ(Item_Image_Elem, (std::vector<uint16_t>{0x0018, 0x0013, 0x0018}));  // duplicates stay
    EXPECT_EQ(Item_Series_Nb, 0);
    EXPECT_EQ(said[3], "    Adding: (0020,0013) to image tags list");
    // A long line is read in pieces: the second from character 255 on. A missing file reads nothing.
    read("tag_image = (0008,0018)" + std::string(300, ' ') + "tag_series = (0020,0011)\n");
    EXPECT_EQ(Item_Image_Nb, 1);
    EXPECT_EQ(Item_Series_Nb, 1);
    EXPECT_EQ(Configuration_Read(nullptr, path, "missing.ini"), 0);
}

TEST_F(Configuration, ValuesScratchAuditTables) {
    std::string saved_scratch = Scratch_Dir;
    read("scratch = \"/tmp/my logs\"\naudit = audit2.dat\ntables = /opt/tables\naudit\n");
    EXPECT_EQ(Scratch_Dir, std::string("/tmp/my logs") + Path_Separator);  // the separator added
    EXPECT_EQ(DICOM_Module_Dir(nullptr, nullptr), std::string("/opt/tables") + Path_Separator);
    read("scratch = /var/tmp/\r\n");  // a file written on Windows
    EXPECT_EQ(Scratch_Dir, "/var/tmp/");
    Scratch_Dir = saved_scratch;
    // Record types: a later file's value wins, an unknown one is a bad line that changes nothing.
    const std::pair<const char*, bool> record_types[] = {
        {"record_types = SOP_Class\n", true}, {"audit = a.dat\n", true}, {"record_types = images\n", true},
        {"record_types = image\n", false}};
    for (const auto& [line, by_class] : record_types) {
        read(line);
        EXPECT_EQ(Configuration_Record_Types_By_Class, by_class) << line;
    }
    EXPECT_EQ(said.size(), 2u);
}

TEST_F(Configuration, TraceNeverLoweredByPositiveValues) {
    Trace_Level = 3;
    // In order: no separator is no third field; -1 is read as 255, which always replaces.
    const std::pair<const char*, int> steps[] = {
        {"trace = 2\n", 3}, {"trace = 4\n", 4}, {"trace 9\n", 4}, {"trace = -1\n", -1}, {"trace = 2\n", 2}};
    for (const auto& [line, level] : steps) {
        read(line);
        EXPECT_EQ(Trace_Level, level) << line;
    }
}

TEST_F(Configuration, BadLinesAreWarnedAndSkipped) {
    read("colour = red\ntag_patient = (0010, 0020)\ntag_series = (xyz,0011)\n"
         "tag_image = (0002,0003)\ntag_image = (0004,1500)\ntag_image = (FFFE,E0DD)\ntag_image = (0020,0013)\n");
    ASSERT_EQ(said.size(), 2u + 3u * 2u + 3u + 1u);
    EXPECT_EQ(said[1], "WARNING: bad line in " + path + "Kestrapol.ini");
    EXPECT_EQ(said[2], "\t\t[1] colour = red");
    EXPECT_EQ(said[4], "\t\t[2] tag_patient = (0010, 0020)");  // element cut off by the blank
    EXPECT_EQ(said[9], "WARNING: (FFFE,E0DD) cannot go into a directory record: line 6 of " + path +
                                  "Kestrapol.ini skipped");
    EXPECT_EQ(Item_Patient_Nb, 0);
    EXPECT_EQ(Item_Series_Nb, 0);
    EXPECT_EQ(Item_Image_Elem, std::vector<uint16_t>{0x0013});
}

// Whatever the lists hold, each record level gets the keys readers find its records by, in
// ascending order among the configured ones.
TEST_F(Configuration, RequiredKeysAreAlwaysListed) {
    read("tag_patient = (0008,0005)\ntag_patient = (0010,1010)\ntag_study = (0020,000D)\n");
    const Dir_Tag_Lists lists = Configuration_Tag_Lists();
    EXPECT_EQ(lists.patient.group, (std::vector<uint16_t>{0x0008, 0x0010, 0x0010, 0x0010}));
    EXPECT_EQ(lists.patient.element, (std::vector<uint16_t>{0x0005, 0x0010, 0x0020, 0x1010}));
    EXPECT_EQ(lists.study.element, (std::vector<uint16_t>{0x0020, 0x0030, 0x0050, 0x1030, 0x000D, 0x0010}));
    EXPECT_EQ(lists.series.element, (std::vector<uint16_t>{0x0060, 0x000E, 0x0011}));
    EXPECT_EQ(lists.image.element, std::vector<uint16_t>{0x0013});
}

// What editors save: a UTF-8 byte-order mark, UTF-16 with its mark in either byte order. What
// would read as empty or cut lines is refused with the reason, and nothing of it is taken.
TEST_F(Configuration, EncodingsOfEditors) {
    const std::string lines = "tag_patient = (0010,0020)\r\ntag_study = (0020,000D)\r\n";
    const auto utf16 = [](const std::string& text, bool big_endian, const char* mark) {
        std::string bytes = mark;
        for (char c : text) bytes += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    struct Case {
        const char* name;
        std::string bytes;
        const char* refusal;  // nullptr: read
    };
    const Case cases[] = {
        {"utf8-mark", "\xEF\xBB\xBF" + lines, nullptr},
        {"utf16-le", utf16(lines, false, "\xFF\xFE"), nullptr},
        {"utf16-be", utf16(lines, true, "\xFE\xFF"), nullptr},
        {"utf16-no-mark", utf16(lines, false, ""), "it holds NUL bytes"},
        {"utf16-half-pair", "\xFF\xFE" + std::string("t\0\x00\xD8", 4), "half of a character pair"},
        {"utf16-odd", "\xFE\xFF" + std::string("\0t\0", 3), "half a character"},
    };
    for (const Case& c : cases) {
        read("tag_image = (0008,0018)\n");
        const int result = read(c.bytes, "editor.ini");
        ASSERT_FALSE(said.empty()) << c.name;
        if (c.refusal) {
            EXPECT_EQ(result, 0) << c.name;
            EXPECT_EQ(said.size(), 1u) << c.name;
            EXPECT_TRUE(said[0].starts_with("Cannot read " + path + "editor.ini: ")) << said[0];
            EXPECT_NE(said[0].find(c.refusal), std::string::npos) << said[0];
            EXPECT_EQ(Item_Image_Nb, 1) << c.name;  // the lists read before stay
            continue;
        }
        EXPECT_EQ(result, 1) << c.name;
        EXPECT_EQ(said.size(), 4u) << c.name;  // Reading, two Adding lines, Done: no warning
        EXPECT_EQ(Item_Patient_Elem, std::vector<uint16_t>{0x0020}) << c.name;
        EXPECT_EQ(Item_Study_Elem, std::vector<uint16_t>{0x000D}) << c.name;
        EXPECT_EQ(Item_Image_Nb, 0) << c.name;
    }
}

// The command line: options as they are met, folders taken literally, the first unknown option.
// What the line set, as text: the trace level, the folders in brackets, then only the options met.
std::string parsed(const std::vector<std::string>& args) {
    std::vector<std::string> text = args;
    text.insert(text.begin(), "kestrapol");
    std::vector<char*> argv;
    for (std::string& word : text) argv.push_back(word.data());
    Trace_Level = 0;
    const Command_Line line = Parse_Command_Line(static_cast<int>(argv.size()), argv.data());
    std::string said = std::to_string(Trace_Level);
    for (const std::string& folder : line.folders) said += " [" + folder + "]";
    const std::pair<bool, const char*> flags[] = {{line.window, "window"}, {line.check, "check"},
                                                  {line.help, "help"},     {line.version, "version"},
                                                  {line.missing_value, "missing"}};
    for (const auto& [set, name] : flags) said += set ? std::string(" ") + name : "";
    if (line.copy_to) said += " copy " + *line.copy_to;
    if (line.results_file) said += " results " + *line.results_file;
    if (line.unknown_option || !line.unknown_token.empty()) said += " unknown " + line.unknown_token;
    Trace_Level = 0;
    return said;
}

TEST(CommandLine, OptionsAndFolders) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"-v", "-t", "3"}, "3"},  // the later option wins
        {{"-t", "3", "-v"}, "5"},
        {{"-T", "-1"}, "-1"},
        {{"-v", "-t"}, "0"},                          // no value left: 0
        {{"-verbose", "/data/a"}, "5 [/data/a]"},     // only the second character counts,
        {{"-t5", "/data/images"}, "0"},               // so the folder is taken as the value
        // The shell has taken the quotes it meant: those left belong to the names.
        {{"/b", "-v", "\"/my images\"", "\"X", "", "/a"}, "5 [/b] [\"/my images\"] [\"X] [] [/a]"},
        {{"/a", "-x", "-v", "/b"}, "0 [/a] unknown -x"},  // stops at once
        {{"-"}, "0 unknown -"},
        {{"-w", "/a", "/b c"}, "0 [/a] [/b c] window"},  // the folders make one drop
        {{"-W"}, "0 window"},
        // The words users try first, matched whole; the one-letter rule still holds for -h.
        {{"--help"}, "0 help"},
        {{"/?", "/a"}, "0 [/a] help"},
        {{"-help"}, "0 help"},
        {{"--version"}, "0 version"},
        {{"--verbose"}, "0 unknown --verbose"},  // "--" is no option letter
        // Options with a value take the next argument, whatever it looks like.
        {{"-c", "/a", "-r", "-v"}, "0 [/a] check results -v"},
        {{"-o", "/dest", "/a", "/b"}, "0 [/a] [/b] copy /dest"},
        {{"/a", "-o"}, "0 [/a] missing unknown -o"},
    };
    for (const auto& [args, expected] : cases) EXPECT_EQ(parsed(args), expected) << ::testing::PrintToString(args);
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
