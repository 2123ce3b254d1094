// Where Windows differs: folder services (the hidden attribute, drives and network shares) and the
// names of system errors. (Wide names and folders beyond MAX_PATH: tools/windows_end_to_end.py.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "support/test_system.h"
#include "util/directory.h"
#include "util/platform_folder.h"
#include "util/system_error.h"

namespace fs = std::filesystem;

namespace {

TEST(Win32Folder, HiddenAndSystemAttributesMarkEntriesHidden) {
    const std::string root = Test_Scratch_Folder("kestrapol_dir_");
    const std::pair<const char*, DWORD> made[] = {
        {"PLAIN", FILE_ATTRIBUTE_NORMAL}, {"HIDDEN", FILE_ATTRIBUTE_HIDDEN}, {"SYSTEM", FILE_ATTRIBUTE_SYSTEM}};
    for (const auto& [name, attributes] : made) {
        std::ofstream(Test_Path(root + "\\" + name)) << "x";
        SetFileAttributesW(Test_Path(root + "\\" + name).c_str(), attributes);
    }
    CreateDirectoryW(Test_Path(root + "\\HFOLDER").c_str(), nullptr);
    SetFileAttributesW(Test_Path(root + "\\HFOLDER").c_str(), FILE_ATTRIBUTE_HIDDEN);
    std::string files, folders;
    const auto file_list = Directory_Get_Files(root), folder_list = Directory_Get_Dirs(root);
    for (const Dir_Entry& e : *file_list) files += e.Name + (e.Hidden ? "* " : " ");
    for (const Dir_Entry& e : *folder_list) folders += e.Name + (e.Hidden ? "* " : " ");
    EXPECT_EQ(files, "HIDDEN* PLAIN SYSTEM* ");
    EXPECT_EQ(folders, ". .. HFOLDER* ");
    // A count's one listing agrees: the same folders, and the files not hidden.
    Dir_List tallied;
    std::size_t counted = 0;
    ASSERT_TRUE(Directory_Tally(root, tallied, counted));
    EXPECT_EQ(counted, 1u);
    ASSERT_EQ(tallied.size(), 1u);
    EXPECT_TRUE(tallied[0].Hidden);
    Test_Remove_All(root);  // clears the attributes as it goes
}

TEST(Win32Paths, DrivesAndNetworkShares) {
    // A drive alone is a folder without asking the system, which does not know Q: here.
    for (const char* drive : {"Q:", "q:\\", "C:\\"}) EXPECT_EQ(Directory_Exist(drive), 1) << drive;
    EXPECT_EQ(Directory_Exist("Q:\\missing"), 0);
    EXPECT_EQ(Path_Root_Length("C:\\CD\\IMG1"), 3u);
    EXPECT_EQ(Path_Root_Length("\\\\server\\share\\CD1"), 15u);
    EXPECT_EQ(Path_Root_Length("\\\\?\\UNC\\server\\share\\CD1"), 21u);
    EXPECT_EQ(Path_Root_Length("CD\\IMG1"), 0u);
    auto split = [](const char* path) {
        const File_Name_Parts parts = File_Name_Split(path);
        return parts.folder + "|" + parts.name + "|" + parts.extension;
    };
    EXPECT_EQ(split("d:/CD/IMG.dcm"), "D:\\CD\\|IMG|.dcm");
    EXPECT_EQ(split("\\\\server\\share\\CD1\\IMG1"), "\\\\server\\share\\CD1\\|IMG1|");
    EXPECT_EQ(split("//server/share/CD1/IMG1"), "\\\\server\\share\\CD1\\|IMG1|");
}

// The test script maps \\kestrapol\share to a folder (Wine's dosdevices\unc); on Windows any
// share named in KESTRAPOL_SHARE will do.
TEST(Win32Paths, FolderOnANetworkShare) {
    const char* share = std::getenv("KESTRAPOL_SHARE");
    if (!share) GTEST_SKIP() << "no share: set KESTRAPOL_SHARE to \\\\server\\share";
    const std::string folder = std::string(share) + "\\CD" + std::to_string(Test_Process_Id());
    ASSERT_EQ(Directory_Create(folder + "\\SER1"), 1);
    std::ofstream(Test_Path(folder + "\\SER1\\IMG1")) << "x";
    const auto dirs = Directory_Get_Dirs(folder);
    ASSERT_TRUE(dirs);
    ASSERT_EQ(dirs->size(), 3u);
    EXPECT_EQ((*dirs)[2].File, folder + "\\SER1");
    EXPECT_EQ(Directory_Get_Files((*dirs)[2].File)->size(), 1u);
    fs::remove_all(Test_Path(folder));
}

// System error texts: the thread's last error and the system's own sentence.
TEST(Win32SystemErrorStr, NamesTheLastErrorOfAFailedOpen) {
    const HANDLE missing = CreateFileW(L"C:\\nonexistent-kestrapol-file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_EQ(missing, INVALID_HANDLE_VALUE);
    const std::string text = System_Error_Str(0);
    EXPECT_EQ(text.rfind("[ERROR_FILE_NOT_FOUND] ", 0), 0u) << text;
    EXPECT_GT(text.size(), 24u);  // the system's sentence follows, without its line break
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
}

}  // namespace
