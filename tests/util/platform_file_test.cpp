// What the platform layer tells of files and folders, on whichever system the tests run. (Reads
// at any offset are checked through the reader's file source.)
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "support/test_system.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"

namespace {

TEST(PlatformFile, TellsPlainFilesFromFolders) {
    const std::string root = Test_Scratch_Folder("kestrapol_file_");
    const std::string path = root + Path_Separator + "data";
    std::ofstream(Test_Path(path), std::ios::binary) << std::string(10000, 'x');

    File_Status status;
    const Platform_File file = File_Open_Read(path, Open_Never_Block | Open_Plain_Only);
    ASSERT_NE(file, No_Platform_File);
    ASSERT_TRUE(File_Get_Status(file, status));
    EXPECT_EQ(status.size, 10000u);
    EXPECT_TRUE(status.plain);
    EXPECT_FALSE(status.folder);
    File_Close(file);

    const Platform_File folder = Folder_Open(root);
    ASSERT_NE(folder, No_Platform_File);
    ASSERT_TRUE(File_Get_Status(folder, status));
    EXPECT_TRUE(status.folder);
    EXPECT_FALSE(status.plain);
    File_Close(folder);
    errno = 0;
    EXPECT_EQ(Folder_Open(path), No_Platform_File);
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_EQ(File_Open_Read(root, Open_Plain_Only), No_Platform_File);
    Test_Remove_All(root);
}

}  // namespace
