// Reading where POSIX differs: the walk where POSIX decides what a file is (links, named pipes,
// permissions), and files written by an independent writer (pydicom, called through
// tests/dirscan/pydicom_write.py) read back with the values that writer stored.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "dicom/definition.h"
#include "dicom/element_helpers.h"
#include "dirscan/read_ahead.h"
#include "dirscan/scan_read.h"
#include "walk_fixture.h"
#include "walk_run.h"

namespace {

TEST(PosixWalk, LinksToFoldersAreNotFollowed) {
    Scratch_Folder folder;
    folder.add("A/IMG1", Sample_With_UID("1.1"));
    std::filesystem::create_directory_symlink(folder.path(), folder.at("LOOP"));
    std::filesystem::create_symlink(folder.at("A/IMG1"), folder.at("LINK"));
    // The link to the file is read like a file (a duplicate of IMG1); the loop is never entered.
    const Walk_Run walk(folder);
    EXPECT_EQ(walk.result, 2);
    EXPECT_EQ(nb_images, 1);
    EXPECT_TRUE(walk.log.has("Duplicate Image (A\\IMG1 /vs/ LINK)"));
}

// A file that is a named pipe by the time it is opened (swapped in after the listing) is
// skipped at once, whether the walk or a helper opens it.
TEST(PosixWalk, NamedPipeSwappedInAfterTheListingIsSkipped) {
    ::alarm(60);  // a walk held up in an open ends the test rather than the run
    Scratch_Folder folder;
    for (int i = 0; i < 4; ++i) folder.add("IMG" + std::to_string(i), Sample_With_UID("1." + std::to_string(i)));
    Kestrapol_Files_Listed = [](const std::string& path, const Dir_List&) {
        for (const char* name : {"/IMG1", "/IMG2"}) {
            std::filesystem::remove(path + name);
            ::mkfifo((path + name).c_str(), 0600);
        }
    };
    for (int threads : {0, 2}) {
        const int saved = Kestrapol_Read_Threads;
        Kestrapol_Read_Threads = threads;
        const Walk_Run walk(folder);
        Kestrapol_Read_Threads = saved;
        EXPECT_EQ(walk.result, 2) << threads;  // IMG0 and IMG3
        EXPECT_FALSE(walk.log.has("Unable to open file")) << threads;
        for (int i = 1; i < 3; ++i) {
            std::filesystem::remove(folder.at("IMG" + std::to_string(i)));
            folder.add("IMG" + std::to_string(i), Sample_With_UID("1." + std::to_string(i)));
        }
    }
    Kestrapol_Files_Listed = nullptr;
    ::alarm(0);
}

TEST(PosixWalk, UnreadableFileIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    Scratch_Folder folder;
    const std::string file = folder.add("IMG1", Sample_With_UID("1.1"));
    std::filesystem::permissions(file, std::filesystem::perms::none);
    const Walk_Run walk(folder);
    EXPECT_EQ(walk.result, 0);
    EXPECT_TRUE(walk.log.has("Unable to open file."));
}


namespace fs = std::filesystem;

std::string hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) out += {digits[b >> 4], digits[b & 15]};
    return out;
}

TEST(ScanReadInterop, PydicomFilesReadBackWithTheSameValues) {
    const Scratch_Folder folder;
    const fs::path dir = folder.path();
    const std::string expected = (dir / "expected.txt").string();
    const std::string command = "/usr/bin/python3 " KESTRAPOL_SOURCE_DIR "/tests/dirscan/pydicom_write.py " +
                                dir.string() + " > " + expected + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "pydicom (python3-pydicom) is not available";
    DICOM_Module_Dir(nullptr, (dir.string() + "/").c_str());  // no definition files

    std::map<std::string, DICOM_Tag_List> sets;
    std::ifstream in(expected);
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, group_text, element_text, value;
        fields >> name >> group_text >> element_text >> value;
        if (!sets.count(name)) {
            auto set = DICOMDIR_Scan_Read(nullptr, (dir / (name + ".dcm")).string());
            ASSERT_TRUE(set) << name;
            sets[name] = std::move(*set);
        }
        const uint16_t group = static_cast<uint16_t>(std::stoul(group_text, nullptr, 16));
        const uint16_t element = static_cast<uint16_t>(std::stoul(element_text, nullptr, 16));
        const DICOM_Tag* tag = find_element(sets[name], group, element, true);
        ASSERT_NE(tag, nullptr) << line;
        if (value == "nested") {
            fields >> value;
            EXPECT_GT(tag->depth, 0) << line;
        }
        if (value == "-") {
            int length = 0;
            fields >> length;
            EXPECT_TRUE(tag->data.empty()) << line;
            EXPECT_EQ(tag->length, length) << line;
        } else {
            EXPECT_EQ(hex(tag->data.to_vector()), value) << line;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 3 * 13);
    for (const auto& [name, set] : sets) {
        const DICOM_Tag* creator_owned = find_element(set, 0x0009, 0x1010, true);
        ASSERT_NE(creator_owned, nullptr);
        EXPECT_EQ(creator_owned->description, "ACME LAB") << name;
    }
    DICOM_Module_Private_Cleanup();
    DICOM_Module_Cleanup();
}

}  // namespace
