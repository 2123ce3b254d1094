// The per-file calls of the walk and the reader, on whichever system the tests run.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "support/test_system.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"

namespace {

TEST(PlatformFile, ReadsAtAnyOffsetAndTellsSizeAndKind) {
    const std::string root = Test_Scratch_Folder("kestrapol_file_");
    const std::string path = root + Path_Separator + "data";
    std::string bytes(10000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    std::ofstream(Test_Path(path), std::ios::binary) << bytes;

    const Platform_File file = File_Open_Read(path, Open_Never_Block | Open_Plain_Only);
    ASSERT_NE(file, No_Platform_File);
    char got[100];
    // Out of order, as the reader goes back for values it passed over.
    ASSERT_EQ(File_Read_At(file, got, sizeof got, 5000), 100);
    EXPECT_EQ(std::string(got, 100), bytes.substr(5000, 100));
    ASSERT_EQ(File_Read_At(file, got, sizeof got, 0), 100);
    EXPECT_EQ(std::string(got, 100), bytes.substr(0, 100));
    ASSERT_EQ(File_Read_At(file, got, sizeof got, 9990), 10);
    EXPECT_EQ(std::string(got, 10), bytes.substr(9990));
    EXPECT_EQ(File_Read_At(file, got, sizeof got, 20000), 0);
    File_Status status;
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
