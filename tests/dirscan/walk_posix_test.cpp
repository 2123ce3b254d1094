// The walk where POSIX decides what a file is: links and named pipes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "dirscan/read_ahead.h"
#include "walk_fixture.h"

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

}  // namespace
