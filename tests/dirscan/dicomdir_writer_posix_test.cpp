// A disk that fills up half-way through the DICOMDIR, made with POSIX's file size limit.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "dirscan/dicomdir_writer.h"
#include "walk_fixture.h"

TEST(PosixDicomdirWrite, DiskFullKeepsTheOldDirectoryAndNoTemporaryFile) {
    Prog_Name = "Kestrapol";
    Scratch_Folder folder;
    folder.add_text("DICOMDIR", "old contents");
    Dir_Item root;
    root.path = folder.path();
    Kestrapol_Size(nullptr, &root);
    DICOM_Root state;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 200;  // less than the head
    setrlimit(RLIMIT_FSIZE, &small);
    Log_Recorder log;
    const int result = DICOMDIR_Write(nullptr, &state, &root);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(log.has(std::strerror(EFBIG)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary left
    EXPECT_EQ(File_Text(folder.at("DICOMDIR")), "old contents");
}
