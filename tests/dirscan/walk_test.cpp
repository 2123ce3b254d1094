// The name check, the order of the walk and what it skips.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "dicom/definition.h"
#include "dirscan/read_ahead.h"
#include "walk_fixture.h"

namespace {

struct Name_Case {
    std::string name;
    int result;
    uint8_t flags;
    const char* marked;      // the marked copy in the warning, nullptr when none is due
    char separator = '\\';  // '/': a name as the listing spells it
    const char* line = nullptr;  // a line of its own instead of "Invalid file name"
};

std::vector<std::string> listed_folders;
std::map<std::string, int> files_read_when_listed;  // by folder, for the last transcript

// Every message of a walk at the highest trace level, the tree it built, and the folders whose
// files were listed (in name order: helpers list some ahead), as text.
std::vector<std::string> walk_transcript(const Scratch_Folder& folder, int read_threads) {
    const int threads = Kestrapol_Read_Threads;
    Kestrapol_Read_Threads = read_threads;
    DICOM_Module_Private_Cleanup();  // each walk looks its private creators up afresh
    listed_folders.clear();
    files_read_when_listed.clear();
    Kestrapol_Files_Listed = [](const std::string& path, const Dir_List&) {
        listed_folders.push_back(path);
        files_read_when_listed.emplace(path, nb_files);
    };
    Walk_Run walk(folder, nullptr, 9);
    Kestrapol_Files_Listed = nullptr;
    Kestrapol_Dump(nullptr, LOG_TRACE_1, &walk.root, 0);
    Kestrapol_Read_Threads = threads;
    std::vector<std::string> lines;
    std::sort(listed_folders.begin(), listed_folders.end());
    for (const std::string& path : listed_folders) lines.push_back("listed " + path);
    for (const auto& [kind, text] : walk.log.lines()) lines.push_back(std::to_string(kind) + " " + text);
    lines.push_back("read " + std::to_string(walk.result) + " images " + std::to_string(nb_images));
    return lines;
}

}  // namespace

// What the walk reports, in what order, and the tree it builds do not depend on helper threads
// reading ahead, within a folder or into the next: broken files, names, duplicates, a folder
// longer than they read ahead, skipped files, folders nested, small, empty or hidden.
TEST(Walk, HelpersReadingAheadChangeNothing) {
    Scratch_Folder folder;
    // Where each file goes: the walk reads S/A/X, S/A, S/B, S/C/D, S/C/E, then S.
    const char* folders[] = {"S/A/X/", "S/A/", "S/B/", "S/C/D/", "S/C/E/", "S/"};
    for (int i = 0; i < 70; ++i) {
        Sample_Image sample = Sample_Of(i % 3 ? "PA" : "PB", "1.5." + std::to_string(i));
        sample.filler_elements = i % 5;
        sample.nested_sequence = i % 7 == 0;
        sample.code = i % 2 ? 8 : 0;
        char name[32];
        std::snprintf(name, sizeof name, "%sIMG%03d", i < 60 ? folders[i % 5] : folders[5], i);
        folder.add(name, sample);
    }
    std::filesystem::create_directories(folder.at("S/C/0"));  // empty, and first of S/C
    folder.add("S/C/.H/IMG900", Sample_Of("PX", "9.5"));
    folder.hide("S/C/.H");
    // One file, read ahead by the helpers alone; after it, S/C holds no files, so they read on in S.
    folder.add("S/C/G/IMG901", Sample_Of("PC", "9.6"));
    folder.add("S/img999", Sample_Of("PA", "1.5.1"));  // bad name, and a duplicate
    folder.add_text("S/NOTDICOM", std::string(300, 'x'));
    // (0010,0010) PN claiming 64 bytes where 2 are left.
    folder.add_text("S/TRUNC", std::string(128, '\0') + "DICM" +
                                   std::string("\x10\x00\x10\x00" "PN" "\x40\x00" "AB", 10));
    folder.add("S/DICOMDIR", Sample_Of("PX", "9.1"));
    folder.add("S/.IMG8", Sample_Of("PX", "9.4"));
    folder.hide("S/.IMG8");
    const std::vector<std::string> alone = walk_transcript(folder, 0);
    EXPECT_EQ(alone.back(), "read 73 images 71");
    const int s_listed_alone = files_read_when_listed.at(folder.at("S"));
    for (int threads : {1, 3}) {
        const std::vector<std::string> helped = walk_transcript(folder, threads);
        // The helpers pass S/C, which holds no files, and read on in S before the walk is there.
        EXPECT_LT(files_read_when_listed.at(folder.at("S")), s_listed_alone) << threads;
        // The first line that differs, rather than both transcripts in full.
        const auto differ = std::mismatch(alone.begin(), alone.end(), helped.begin(), helped.end());
        EXPECT_TRUE(differ.first == alone.end() && differ.second == helped.end())
            << threads << " helpers, line " << (differ.first - alone.begin()) << ": \""
            << (differ.first != alone.end() ? *differ.first : "(end)") << "\" against \""
            << (differ.second != helped.end() ? *differ.second : "(end)") << "\"";
    }
}

// The helpers read the list queued for the next folder, but a different list started instead
// gets its own files, and the queued one is dropped with what was read of it.
TEST(ReadAhead, AListStartedInPlaceOfTheQueuedOneIsReadAfresh) {
    Scratch_Folder folder;
    for (const char* name : {"Q/IMG1", "Q/IMG2", "R/IMG1", "R/IMG2"})
        folder.add(name, Sample_With_UID(std::string("1.7.") + (name[0] == 'Q' ? "1." : "2.") + name[5]));
    const std::optional<Dir_List> queued = Directory_Get_Files(folder.at("Q"));
    const std::optional<Dir_List> started = Directory_Get_Files(folder.at("R"));
    ASSERT_TRUE(queued && started);
    Read_Ahead helpers(nullptr, 2, Kestrapol_Image_Keys());
    helpers.queue_next(*queued, std::vector<bool>(queued->size()), -1);
    EXPECT_TRUE(helpers.queued(*queued));
    helpers.start(*started, std::vector<bool>(started->size()), -1);
    EXPECT_FALSE(helpers.queued(*queued));
    for (std::size_t i = 0; i < started->size(); ++i) {
        Read_Result result = helpers.take(i);
        ASSERT_TRUE(result.set.has_value());
        const auto uid = std::find_if(result.set->begin(), result.set->end(), [](const DICOM_Tag& tag) {
            return tag.group == 0x0008 && tag.element == 0x0018;
        });
        ASSERT_NE(uid, result.set->end());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(uid->data.data()), uid->data.size()).substr(0, 7),
                  "1.7.2." + std::to_string(i + 1));
    }
    helpers.finish();
}

TEST(NameCheck, MarksEveryFaultyCharacter) {
    const Name_Case cases[] = {
        {"SERIES01\\IMAGE001", 1, 0, nullptr},           // 8 permitted characters per component
        {"A B\\C_9", 1, 0, nullptr},                      // blank and underscore are allowed
        {"", 1, 0, nullptr},
        {"SERIES01\\IMAGE0001", 0, 2, "SERIES01\\IMAGE000\x04" "1\x01"},
        {"image01", 0, 4, "\x04i\x01\x04m\x01\x04" "a\x01\x04g\x01\x04" "e\x01" "01"},
        {"ABCDEFGHi", 0, 2, "ABCDEFGH\x04i\x01"},          // a ninth character is too long, whatever it is
        {"IMG.DCM", 0, 4, "IMG\x04.\x01" "DCM"},
        {"IMG-1", 0, 4, "IMG\x04-\x01" "1"},
        {"longfolder\\X", 0, 6, nullptr},
        // Blanks that start or end a component would be dropped by readers.
        {" AB\\CD \\E F", 0, 4, "\x04 \x01" "AB\\CD\x04 \x01\\E F"},
        {std::string("A\x01\x04") + "\xF1", 0, 4, "A\x04?\x01\x04?\x01\x04?\x01"},  // shown as "?", not as markup
        // A backslash inside a listed name is a character, not a separator.
        {"SER\\IMG1/X", 0, 4, "SER\x04\\\x01IMG1\\X", '/'},
        {"A/B/C/D/E/F/G/H", 1, 0, nullptr, '/'},  // 8 levels
        {"A/B/C/D/E/F/G/H/I", 0, 2, nullptr, '/',
         "Too many levels in \x01\"A\\B\\C\\D\\E\\F\\G\\H\\I\"\x02: 9, the standard only allows for 8"},
    };
    for (const Name_Case& c : cases) {
        Log_Recorder log;
        name_flags = 0;
        EXPECT_EQ(Kestrapol_Name_Check(nullptr, c.name, c.separator), c.result) << c.name;
        EXPECT_EQ(name_flags, c.flags) << c.name;
        EXPECT_EQ(Media_Name_Faults(c.name, c.separator), c.flags) << c.name;  // the media copy's check
        EXPECT_EQ(log.count("Invalid file name"), c.result || c.line ? 0 : 1) << c.name;
        EXPECT_TRUE(!c.marked || log.has(std::string("\"").append(c.marked).append("\" !"))) << c.name;
        EXPECT_TRUE(!c.line || log.has(c.line)) << c.name;
    }
    name_flags = 2;
    Kestrapol_Name_Check(nullptr, "x");
    EXPECT_EQ(name_flags, 6);  // bits are only added
}

TEST(Walk, SubFoldersFirstThenFilesInNameOrder) {
    Scratch_Folder folder;
    folder.add("B/IMG1", Sample_Of("PB", "1.1"));
    folder.add("a/IMG2", Sample_Of("PA", "1.2"));  // "a" sorts as "A", before "B"
    folder.add("IMG0", Sample_Of("PR", "1.0"));
    folder.add("C/D/IMG3", Sample_Of("PB", "1.3"));
    folder.add_text("NOTDICOM", std::string(200, 'x'));
    folder.add_text("SHORT", "DICM");
    folder.add("DICOMDIR", Sample_Of("PX", "9.1"));
    folder.add("DICOMDIR.OLD", Sample_Of("PX", "9.2"));
    folder.add(".hidden/IMG9", Sample_Of("PX", "9.3"));
    folder.add(".IMG8", Sample_Of("PX", "9.4"));
    folder.hide(".hidden");
    folder.hide(".IMG8");

    Progress_Recorder progress;
    const Walk_Run walk(folder, &progress);
    const Dir_Item& root = walk.root;
    EXPECT_EQ(walk.result, 4);
    EXPECT_EQ(nb_files, 4);
    EXPECT_EQ(name_flags, 4);  // the lower-case folder "a"
    // Every visited plain file moves the bar, DICOM or not; hidden ones are not visited.
    EXPECT_EQ(progress.added, 8);
    EXPECT_EQ(Kestrapol_Count(folder.path(), nullptr), 8);
    // The running count reaches the window as it grows and ends at the total.
    EXPECT_EQ(Kestrapol_Count(folder.path(), &progress), 8);
    EXPECT_EQ(progress.counted_files.load(), 8);

    // Each image as "patient file", in the tree's order.
    std::vector<std::string> images;
    for (const Dir_Node& patient : root.child)
        for (const Dir_Node& study : patient.child)
            for (const Dir_Node& series : study.child)
                for (const Dir_Node& image : series.child)
                    images.push_back(std::string(patient.key.substr(0, 2)) + " " + std::string(image.file_name));
    EXPECT_EQ(images, (std::vector<std::string>{"PA a\\IMG2", "PB B\\IMG1", "PB C\\D\\IMG3", "PR IMG0"}));
}

TEST(Walk, CancelStopsTheWalk) {
    Scratch_Folder folder;
    folder.add("A/IMG1", Sample_Of("PA", "1.1"));
    folder.add("B/IMG2", Sample_Of("PB", "1.2"));
    Progress_Recorder progress(3);
    EXPECT_EQ(Walk_Run(folder, &progress).result, 0);
    EXPECT_LT(nb_files, 2);
    Progress_Recorder counting(0);
    EXPECT_EQ(Kestrapol_Count(folder.path(), &counting), 0);
}
