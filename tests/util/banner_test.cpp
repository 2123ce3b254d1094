#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_system.h"
#include "util/banner.h"
#include "util/log_sink.h"

namespace fs = std::filesystem;

namespace {

TEST(SystemBanner, RestartsTheTraceFile) {
    fs::path scratch = fs::temp_directory_path() / ("kestrapol_banner_" + std::to_string(Test_Process_Id()));
    fs::create_directories(scratch);
    Scratch_Dir = scratch.string() + "/";
    Trace_File_Name = "DICOMDIR_trace.dat";
    std::ofstream(scratch / "DICOMDIR_trace.dat") << "old run\n";
    Prog_Name = "Kestrapol";
    Prog_Version = "1.0 Rev-5";
    Prog_ID = "KSP 10000050";
    Log_Set_Handler(Log_Handler);
    Trace_Level = -1;  // trace file without console; the banner's traces need a positive level
    System_Banner();
    EXPECT_FALSE(fs::exists(scratch / "DICOMDIR_trace.dat"));
    Trace_Level = 1;
    testing::internal::CaptureStdout();
    System_Banner();
    std::string console = testing::internal::GetCapturedStdout();
    Trace_Level = 0;
    Log_Set_Handler(nullptr);

    std::stringstream trace;
    trace << std::ifstream(scratch / "DICOMDIR_trace.dat").rdbuf();
    fs::remove_all(scratch);
    EXPECT_EQ(trace.str().find("old run"), std::string::npos);
    EXPECT_EQ(trace.str().rfind("TRACE:   ==== ==== Kestrapol 1.0 Rev-5 ==== (", 0), 0u);
    for (const char* line : {"TRACE:   Prog_ID:      KSP 10000050\n", "TRACE:   Computer Name:  ",
                             "TRACE:   System:         ", "TRACE:                   version ",
                             "TRACE:   Processor:      ", "TRACE:   -----------------------\n"})
        EXPECT_NE(trace.str().find(line), std::string::npos) << line;
    EXPECT_NE(console.find("TRACE:   ---- Computer Info: ---- \n"), std::string::npos);
}

}  // namespace
