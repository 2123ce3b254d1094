// Folder services where POSIX differs: hidden names, case-sensitive names, links, pipes, "/".
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/test_system.h"
#include "util/directory.h"

namespace fs = std::filesystem;

namespace {

TEST(PosixFolder, DotNamesHiddenLinksFollowedToFilesOnlyPipesNeverListed) {
    const fs::path root = Test_Scratch_Folder("kestrapol_dir_");
    for (const char* name : {"b", "B", ".hidden", "plain"}) std::ofstream(root / name) << "x";
    for (const char* name : {"A", ".git"}) fs::create_directory(root / name);
    fs::create_directory_symlink(root / "A", root / "link_dir");
    fs::create_symlink(root / "plain", root / "link_file");
    mkfifo((root / "pipe").c_str(), 0600);

    std::vector<std::string> files, folders;
    const auto file_list = Directory_Get_Files(root.string()), folder_list = Directory_Get_Dirs(root.string());
    for (const Dir_Entry& e : *file_list) files.push_back(e.Name + (e.Hidden ? "*" : ""));
    for (const Dir_Entry& e : *folder_list) folders.push_back(e.Name + (e.Hidden ? "*" : ""));
    // Byte order breaks a tie of the upper-cased names.
    EXPECT_EQ(files, (std::vector<std::string>{".hidden*", "B", "b", "link_file", "plain"}));
    EXPECT_EQ(folders, (std::vector<std::string>{".", "..", ".git*", "A"}));
    EXPECT_EQ(File_Exist((root / "pipe").string()), 1);  // returns at once, no writer needed
    fs::remove_all(root);
}

TEST(PosixFileNameSplit, SlashesStayAsWritten) {
    const File_Name_Parts parts = File_Name_Split("/data/CD/IMG.dcm");
    EXPECT_EQ(parts.folder, "/data/CD/");
    EXPECT_EQ(parts.name + parts.extension, "IMG.dcm");
    EXPECT_EQ(File_Name_Split("d:/x/y").folder, "d:/x/");  // no drives here
}

}  // namespace
