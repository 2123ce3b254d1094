#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "util/directory.h"

namespace fs = std::filesystem;

namespace {

class Folder : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("kestrapol_dir_" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override {
        chmod(root.c_str(), 0755);
        fs::remove_all(root);
    }
    void file(const std::string& name, std::size_t size = 0) {
        std::ofstream(root / name) << std::string(size, 'x');
    }
    std::vector<std::string> names(const std::optional<Dir_List>& list) {
        std::vector<std::string> out;
        for (const Dir_Entry& e : *list) out.push_back(e.Name);
        return out;
    }
    fs::path root;
};

TEST_F(Folder, FilesInNameOrderWithHiddenMarked) {
    for (const char* n : {"b", "B", "a.dcm", "_x", "Z", ".hidden", "IMG1", "img2"}) file(n, 3);
    fs::create_directory(root / "SUB");
    auto list = Directory_Get_Files(root.string(), "*.*");
    ASSERT_TRUE(list);
    // Upper-cased comparison first ("_" sorts after the letters), byte order breaks ties.
    EXPECT_EQ(names(list), (std::vector<std::string>{".hidden", "a.dcm", "B", "b", "IMG1", "img2", "Z", "_x"}));
    EXPECT_EQ((*list)[0].Hidden, 1);
    EXPECT_EQ((*list)[1].Hidden, 0);
    EXPECT_EQ((*list)[1].File, root.string() + "/a.dcm");
    EXPECT_EQ((*list)[1].Size, 3u);
    EXPECT_EQ(names(Directory_Get_Files(root.string() + "/", "*.DCM")), (std::vector<std::string>{"a.dcm"}));
    EXPECT_EQ(names(Directory_Get_Files(root.string(), "img?")), (std::vector<std::string>{"IMG1", "img2"}));
}

TEST_F(Folder, FoldersStartWithDotEntriesAndSkipLinks) {
    fs::create_directory(root / "b");
    fs::create_directory(root / "A");
    fs::create_directory(root / ".git");
    file("plain");
    fs::create_directory_symlink(root / "A", root / "link_dir");
    fs::create_symlink(root / "plain", root / "link_file");
    auto dirs = Directory_Get_Dirs(root.string());
    ASSERT_TRUE(dirs);
    EXPECT_EQ(names(dirs), (std::vector<std::string>{".", "..", ".git", "A", "b"}));
    EXPECT_EQ((*dirs)[0].Hidden, 0);
    EXPECT_EQ((*dirs)[2].Hidden, 1);
    // The link to a file is a file; the link to a folder is nowhere.
    EXPECT_EQ(names(Directory_Get_Files(root.string())), (std::vector<std::string>{"link_file", "plain"}));
}

TEST_F(Folder, EmptyListVersusFailure) {
    fs::create_directory(root / "only_dirs");
    fs::create_directory(root / "only_dirs" / "x");
    auto files = Directory_Get_Files((root / "only_dirs").string());
    ASSERT_TRUE(files);
    EXPECT_TRUE(files->empty());
    EXPECT_FALSE(Directory_Get_Files((root / "missing").string()));
    EXPECT_FALSE(Directory_Get_Dirs((root / "missing").string()));
    EXPECT_FALSE(Directory_Get_Files(root.string() + "/" + std::string(5000, 'a')));
}

TEST_F(Folder, ExistenceTests) {
    file("f.txt");
    EXPECT_EQ(Directory_Exist(root.string()), 1);
    EXPECT_EQ(Directory_Exist(root.string() + "/"), 1);
    EXPECT_EQ(Directory_Exist((root / "f.txt").string()), 0);
    EXPECT_EQ(File_Exist((root / "f.txt").string()), 1);
    EXPECT_EQ(File_Exist(root.string()), 0);  // a folder is no file
    EXPECT_EQ(File_Exist_Parts((root.string() + "/").c_str(), "f", ".txt"), 1);
    EXPECT_EQ(File_Exist_Parts(nullptr, (root / "f.txt").c_str(), nullptr), 1);
    EXPECT_EQ(File_Exist_Parts(std::string(2048, 'a').c_str(), nullptr, nullptr), 0);
    mkfifo((root / "pipe").c_str(), 0600);
    EXPECT_EQ(File_Exist((root / "pipe").string()), 1);  // returns at once, no writer needed
    EXPECT_TRUE(Directory_Get_Files(root.string())->size() == 1);  // the pipe is not listed
}

TEST_F(Folder, CreateBuildsEveryLevel) {
    std::string deep = (root / "A" / "B" / "E").string();
    EXPECT_EQ(Directory_Create(deep), 1);
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_EQ(Directory_Create(deep + "/"), 1);  // already there
    file("blocker");
    EXPECT_EQ(Directory_Create((root / "blocker" / "x").string()), 0);
}

TEST(FileNameSplit, Rules) {
    auto check = [](const char* path, const char* folder, const char* name, const char* ext) {
        File_Name_Parts p = File_Name_Split(path);
        EXPECT_EQ(p.folder, folder) << path;
        EXPECT_EQ(p.name, name) << path;
        EXPECT_EQ(p.extension, ext) << path;
    };
    check("/data/CD/IMG.dcm", "/data/CD/", "IMG", ".dcm");
    check("/data/CD/IMG.dcm;1", "/data/CD/", "IMG", ".dcm");         // CD version suffix
    check("IMG.12345", "", "IMG.12345", "");                         // digit after the dot
    check("IMG.abcde", "", "IMG.abcde", "");                         // longer than 5 with the dot
    check("IMG.abcd", "", "IMG", ".abcd");
    check("SER1\\IMG1", "SER1\\", "IMG1", "");
    check("/data/x/C:\\file.txt", "/data/x/", "C:\\file", ".txt");   // second drive mark
    check("trace.dat", "", "trace", ".dat");
    check("/a.b/c", "/a.b/", "c", "");
    std::string folder = "unchanged", name, ext;
    File_Name_Split(nullptr, &folder, &name, nullptr);
    EXPECT_EQ(folder, "");
}

}  // namespace
