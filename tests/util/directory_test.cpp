#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "support/test_system.h"
#include "util/directory.h"
#include "util/platform_file.h"
#include "util/platform_folder.h"

namespace fs = std::filesystem;

namespace {

class Folder : public ::testing::Test {
protected:
    void SetUp() override { root = Test_Scratch_Folder("kestrapol_dir_"); }
    void TearDown() override { fs::remove_all(root); }
    std::string at(const std::string& name) const { return root + Path_Separator + name; }
    void file(const std::string& name, std::size_t size = 0) const {
        std::ofstream(at(name)) << std::string(size, 'x');
    }
    static std::vector<std::string> names(const std::optional<Dir_List>& list) {
        std::vector<std::string> out;
        for (const Dir_Entry& e : *list) out.push_back(e.Name);
        return out;
    }
    std::string root;
};

TEST_F(Folder, FilesAndFoldersInNameOrder) {
    for (const char* n : {"b", "C", "a.dcm", "_x", "Z", "IMG1", "img2"}) file(n, 3);
    for (const char* n : {"SUB", "A"}) fs::create_directory(at(n));
    auto list = Directory_Get_Files(root, "*.*");
    ASSERT_TRUE(list);
    // Upper-cased comparison ("_" sorts after the letters), whatever order the system lists in.
    EXPECT_EQ(names(list), (std::vector<std::string>{"a.dcm", "b", "C", "IMG1", "img2", "Z", "_x"}));
    EXPECT_EQ((*list)[0].Hidden, 0);
    EXPECT_EQ((*list)[0].File, at("a.dcm"));
    EXPECT_EQ((*list)[0].Size, 3u);
    EXPECT_EQ(names(Directory_Get_Files(root + Path_Separator, "*.DCM")), (std::vector<std::string>{"a.dcm"}));
    EXPECT_EQ(names(Directory_Get_Files(root, "img?")), (std::vector<std::string>{"IMG1", "img2"}));
    auto dirs = Directory_Get_Dirs(root);
    ASSERT_TRUE(dirs);
    EXPECT_EQ(names(dirs), (std::vector<std::string>{".", "..", "A", "SUB"}));
    EXPECT_EQ((*dirs)[2].File, at("A"));
}

TEST_F(Folder, EmptyListVersusFailure) {
    fs::create_directories(fs::path(at("only_dirs")) / "x");
    auto files = Directory_Get_Files(at("only_dirs"));
    ASSERT_TRUE(files);
    EXPECT_TRUE(files->empty());
    errno = 0;
    EXPECT_FALSE(Directory_Get_Files(at("missing")));
    EXPECT_EQ(errno, ENOENT);  // why, for the caller's message
    EXPECT_FALSE(Directory_Get_Dirs(at("missing")));
    EXPECT_FALSE(Directory_Get_Files(at(std::string(Path_Limit, 'a'))));
    EXPECT_EQ(errno, ENAMETOOLONG);
}

TEST_F(Folder, ExistenceTests) {
    file("f.txt");
    EXPECT_EQ(Directory_Exist(root), 1);
    EXPECT_EQ(Directory_Exist(root + Path_Separator), 1);
    EXPECT_EQ(Directory_Exist(at("f.txt")), 0);
    EXPECT_EQ(Directory_Exist(at("missing")), 0);
    EXPECT_EQ(File_Exist(at("f.txt")), 1);
    EXPECT_EQ(File_Exist(root), 0);  // a folder is no file
    EXPECT_EQ(File_Exist_Parts((root + Path_Separator).c_str(), "f", ".txt"), 1);
    EXPECT_EQ(File_Exist_Parts(nullptr, at("f.txt").c_str(), nullptr), 1);
    EXPECT_EQ(File_Exist_Parts(std::string(2048, 'a').c_str(), nullptr, nullptr), 0);
}

TEST(FileNameSplit, Rules) {
    auto check = [](const char* path, const char* folder, const char* name, const char* ext) {
        File_Name_Parts p = File_Name_Split(path);
        EXPECT_EQ(p.folder, folder) << path;
        EXPECT_EQ(p.name, name) << path;
        EXPECT_EQ(p.extension, ext) << path;
    };
    check("D:\\CD\\IMG.dcm", "D:\\CD\\", "IMG", ".dcm");
    check("D:\\CD\\IMG.dcm;1", "D:\\CD\\", "IMG", ".dcm");           // CD version suffix
    check("IMG.12345", "", "IMG.12345", "");                         // digit after the dot
    check("IMG.abcde", "", "IMG.abcde", "");                         // longer than 5 with the dot
    check("IMG.abcd", "", "IMG", ".abcd");
    check("SER1\\IMG1", "SER1\\", "IMG1", "");
    check("D:\\data\\x\\C:\\file.txt", "D:\\data\\x\\", "C:\\file", ".txt");  // second drive mark
    check("trace.dat", "", "trace", ".dat");
    check("\\a.b\\c", "\\a.b\\", "c", "");
    std::string folder = "unchanged", name, ext;
    File_Name_Split(nullptr, &folder, &name, nullptr);
    EXPECT_EQ(folder, "");
}

// What the platform layer tells of files and folders, on whichever system the tests run. (Reads
// at any offset are checked through the reader's file source.)

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
