#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "support/log_recorder.h"
#include "util/log.h"
#include "util/platform_system.h"
#include "util/region.h"
#include "util/system_error.h"
#include "util/system_error_names.h"

namespace {

TEST(SystemErrorStr, FacilityAndNameOfWindowsCodes) {
    // The system's own sentences differ between systems; what surrounds them does not.
    const std::string denied = System_Error_Describe(5).text;
    EXPECT_FALSE(denied.empty());
    EXPECT_EQ(System_Error_Str(5), "[ERROR_ACCESS_DENIED] " + denied);
    EXPECT_EQ(System_Error_Str(0x80070005u), "(facility=Win32) [ERROR_ACCESS_DENIED] " + System_Error_Describe(0x80070005u).text);
    EXPECT_EQ(System_Error_Str(0x00050002u), "[ERROR_FILE_NOT_FOUND] " + System_Error_Describe(0x00050002u).text);  // facility 5
    EXPECT_EQ(System_Error_Str(1000), std::string(" ").append(System_Error_Describe(1000).text));  // no name
    EXPECT_EQ(std::string(System_Error_Str(2000)).rfind("OpenGL [ERROR_INVALID_PIXEL_FORMAT] ", 0), 0u);
    EXPECT_STREQ(System_Error_Name(1460), "[ERROR_TIMEOUT]");
    EXPECT_EQ(System_Error_Name(35), nullptr);
}

TEST(ProtectedRegion, ReentrantAndGivesUpAfterTheWaitLimit) {
    Mutex_Access_Start();  // no region yet: nothing happens
    Mutex_Access_End();
    Mutex_Region_Create(std::chrono::milliseconds(50));
    Mutex_Access_Start();
    Mutex_Access_Start();  // the holder may enter again
    Log_Recorder log;
    std::thread other([] {
        Mutex_Access_Start();  // times out and goes on unprotected
        Mutex_Access_End();    // must not release what it does not hold
    });
    other.join();
    EXPECT_EQ(log.lines(), (std::vector<std::pair<int, std::string>>{
                               {7, "Critical Region Deadlock in Mutex_Access_Start!"},
                               {2, "+**********Critical Section access deadlock ****** "}}));
    Mutex_Access_End();
    Mutex_Access_End();
    const std::size_t before = log.lines().size();
    std::thread after([] {
        Mutex_Access_Start();  // free again
        Mutex_Access_End();
    });
    after.join();
    EXPECT_EQ(log.lines().size(), before);  // no new warning
    Mutex_Region_Close();
}

}  // namespace
