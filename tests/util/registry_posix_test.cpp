#include <gtest/gtest.h>

#include <filesystem>

#include "util/registry.h"

namespace {

// Without a registry the install folder is the running program's.
TEST(PosixRegistryGetPath, FolderOfTheRunningProgram) {
    std::string path = "unchanged";
    ASSERT_EQ(Registry_Get_Path("Kestrapol", path), 1);
    EXPECT_EQ(path, std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/");
}

}  // namespace
