// Where POSIX differs: folder services (hidden names, case-sensitive names, links, pipes, "/")
// and the names of system errors.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_system.h"
#include "util/directory.h"
#include "util/system_error.h"

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
    // A count's one listing agrees: the same folders, and the files not hidden.
    Dir_List tallied;
    std::size_t counted = 0;
    ASSERT_TRUE(Directory_Tally(root.string(), tallied, counted));
    EXPECT_EQ(counted, 4u);
    ASSERT_EQ(tallied.size(), 2u);
    EXPECT_EQ(tallied[0].Hidden + tallied[1].Hidden, 1);
    EXPECT_EQ(File_Exist((root / "pipe").string()), 1);  // returns at once, no writer needed
    fs::remove_all(root);
}

TEST(PosixFileNameSplit, SlashesStayAsWritten) {
    const File_Name_Parts parts = File_Name_Split("/data/CD/IMG.dcm");
    EXPECT_EQ(parts.folder, "/data/CD/");
    EXPECT_EQ(parts.name + parts.extension, "IMG.dcm");
    EXPECT_EQ(File_Name_Split("d:/x/y").folder, "d:/x/");  // no drives here
}

// System error texts: errno named after its Windows equivalent, before the C library's text.

TEST(PosixSystemErrorStr, NamesTheErrnoOfAFailedOpen) {
    ASSERT_LT(open("/nonexistent/kestrapol/file", O_RDONLY), 0);
    EXPECT_EQ(System_Error_Str(0), std::string("[ERROR_FILE_NOT_FOUND] ") + std::strerror(ENOENT));
    errno = EACCES;
    EXPECT_EQ(System_Error_Str(0), std::string("[ERROR_ACCESS_DENIED] ") + std::strerror(EACCES));
    EXPECT_EQ(System_Error_Str(0x80070005u), std::string("(facility=Win32) [ERROR_ACCESS_DENIED] ") + std::strerror(EACCES));
    EXPECT_STREQ(System_Error_Str(1000), " ");  // neither a name nor an errno
}

}  // namespace
