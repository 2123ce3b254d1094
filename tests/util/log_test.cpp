#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/log_recorder.h"
#include "support/test_system.h"
#include "util/log.h"
#include "util/log_capture.h"
#include "util/log_sink.h"

namespace fs = std::filesystem;

namespace {

struct Recording_Sink : Log_Sink {
    std::vector<std::string> lines;
    void panel_write(const char* raw) override { lines.push_back(std::string("W:") + raw); }
    void panel_overwrite(const char* raw) override { lines.push_back(std::string("O:") + raw); }
    void thread_line_posted(Win_Handle) override {
        lines.push_back(std::string("T:") + Thread_Text_Ring[(Thread_Ring_Write_Index() + 127) % 128]);
    }
    int box(Win_Handle, const char* caption, const char* text, Box_Icon icon) override {
        lines.push_back("B:" + std::string(caption) + "|" + text + "|" + std::to_string(static_cast<int>(icon)));
        return icon == Box_Icon::Question ? 0 : 1;
    }
};

class Logging : public ::testing::Test {
protected:
    void SetUp() override {
        scratch = fs::temp_directory_path() / ("kestrapol_log_" + std::to_string(Test_Process_Id())) / "scratch";
        fs::remove_all(scratch.parent_path());
        Scratch_Dir = scratch.string() + "/";  // created by the first file line
        Trace_File_Name = "DICOMDIR_trace.dat";
        Log_Set_Handler(Log_Handler);
        Log_Set_Sink(&sink);
    }
    void TearDown() override {
        Log_Set_Sink(nullptr);
        Log_Set_Handler(nullptr);
        Trace_Level = 0;
        fs::remove_all(scratch.parent_path());
    }
    std::string read(const char* name) {
        std::ifstream in(scratch / name);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Runs the messages at a trace level; returns what reached the console.
    std::string run_at(int8_t level, void (*messages)()) {
        Trace_Level = level;
        testing::internal::CaptureStdout();
        messages();
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    fs::path scratch;
    Recording_Sink sink;
};

void every_kind() {
    Log_Message(nullptr, LOG_ERROR, "e%d", 1);
    Log_Message(nullptr, LOG_WARNING, "\xF1\x05WARNING:\x02 w");
    Log_Message(nullptr, LOG_REPORT, "r");
    Log_Message(nullptr, LOG_AUDIT, "a");
    Log_Message(nullptr, LOG_THREAD, "t");
    Log_Message(nullptr, LOG_OVER, "o");
    Log_Message(nullptr, 9, "ignored");
    Log_Message(nullptr, LOG_TRACE_1, "t1");
    Log_Message(nullptr, LOG_TRACE_3, "t3");
}

// The trace level chooses what reaches the console and the trace file; the sink sees everything.
TEST_F(Logging, TraceLevelChoosesConsoleAndTraceFile) {
    const struct {
        int8_t level;
        std::string console, file;
    } levels[] = {
        {0, "", ""},
        {1, "ERROR: e1\nWARNING: WARNING: w\nREPORT:  r\nAUDIT:   a \nTHREAD:  t\nOVER:   o\nTRACE:   t1 \n",
         "ERROR:   e1\nWARNING: WARNING: w\nREPORT: r\nTHREAD:  t\nOVER: o\nTRACE:   t1\n"},
        {-1, "", "ERROR:   e1\nWARNING: WARNING: w\nREPORT: r\nTHREAD:  t\nOVER: o\n"},
        {-2, "", "ERROR:   e1\nWARNING: WARNING: w\n"},
        {-3, "", "ERROR:   e1\n"},
        {-4, "", ""},
    };
    for (const auto& [level, console, file] : levels) {
        SCOPED_TRACE(int{level});
        fs::remove_all(scratch);
        sink.lines.clear();
        EXPECT_EQ(run_at(level, every_kind), console);
        EXPECT_EQ(read("DICOMDIR_trace.dat"), file);
        EXPECT_EQ(fs::exists(level == 0 ? scratch : scratch / "DICOMDIR_trace.dat"), !file.empty());
        EXPECT_EQ(sink.lines, (std::vector<std::string>{"B:|e1|2", "W:\xF1\x05WARNING:\x02 w", "W:r", "T:t", "O:o"}));
    }
    // The indentation grows with the level.
    EXPECT_EQ(run_at(9, [] { Log_Message(nullptr, LOG_TRACE_9, "y"); }), "TRACE:   " + std::string(32, ' ') + "y \n");
}

TEST_F(Logging, ErrorLogHasOneHeaderPerRun) {
    Prog_Name = "Kestrapol";
    Prog_Version = "1.0 Rev-5";
    Log_Message(nullptr, LOG_ERRLOG, "first");
    Log_Message(nullptr, LOG_ERRLOG, "second \x04red");
    std::string log = read("Corvanthis.err");
    EXPECT_EQ(log.rfind("\n======== Kestrapol 1.0 Rev-5 =====(", 0), 0u) << log;
    EXPECT_NE(log.find(")========\nfirst\nsecond red\n"), std::string::npos) << log;
}

TEST_F(Logging, QuestionAndBoxes) {
    Prog_Name = "Kestrapol";
    EXPECT_EQ(Log_Message(nullptr, LOG_QUESTION, "go?"), 0);
    EXPECT_EQ(Log_Box(nullptr, LOG_BOX_WARNING, "Cap", "n=%d", 2), 1);
    Log_Box(nullptr, 0x84, "none", "shows nothing");
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"B:Kestrapol|go?|3", "B:Cap|n=2|1"}));

    Log_Set_Sink(nullptr);  // no window: boxes go to standard error
    testing::internal::CaptureStderr();
    Log_Box(nullptr, LOG_BOX_ERROR, "Wrong DLL version", "We need:\x01 21.6");
    Log_Message(nullptr, LOG_ERROR, "plain");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Wrong DLL version: We need: 21.6\nplain\n");
}

TEST_F(Logging, ThreadRingWrapsAndCutsLongLines) {
    int start = Thread_Ring_Write_Index();
    std::string longer(2000, 'x');
    for (int i = 0; i < 130; ++i) Log_Message(nullptr, LOG_THREAD, "%s", longer.c_str());
    EXPECT_EQ(Thread_Ring_Write_Index(), (start + 130) % 128);
    EXPECT_EQ(std::string(Thread_Text_Ring[start]).size(), 1023u);
}

TEST_F(Logging, ScratchFolderThatCannotBeCreatedIsReportedOnce) {
    std::ofstream(fs::path(scratch.parent_path().string() + "_file")) << "x";
    Scratch_Dir = scratch.parent_path().string() + "_file/sub/";
    Trace_Level = -1;
    Log_Message(nullptr, LOG_REPORT, "one");
    Log_Message(nullptr, LOG_REPORT, "two");
    fs::remove(scratch.parent_path().string() + "_file");
    ASSERT_EQ(sink.lines.size(), 3u);
    EXPECT_EQ(sink.lines[0].rfind("B:Error writing to Scratch dir|Unable to create directory: \"", 0), 0u);
    EXPECT_NE(sink.lines[0].find("\"\nMake sure you have the necessary permisions|2"), std::string::npos);
}

using Lines = std::vector<std::pair<int, std::string>>;

}  // namespace

TEST(LogCapture, HeldBackThenReportedInOrder) {
    Log_Recorder lines;
    std::vector<Log_Record> held;
    {
        Log_Capture capture(held);
        Log_Message(nullptr, LOG_WARNING, "first %d", 1);
        {
            std::vector<Log_Record> inner;
            Log_Capture nested(inner);
            Log_Message(nullptr, LOG_REPORT, "inner");
            EXPECT_EQ(inner.size(), 1u);
        }
        Log_Message(nullptr, LOG_REPORT, "second");
        // A question needs its answer now.
        EXPECT_EQ(Log_Message(nullptr, LOG_QUESTION, "sure?"), 0);
    }
    EXPECT_EQ(lines.lines(), (Lines{{LOG_QUESTION, "sure?"}}));
    EXPECT_EQ(held.size(), 2u);
    Log_Replay(held);
    EXPECT_EQ(lines.lines(), (Lines{{LOG_QUESTION, "sure?"}, {LOG_WARNING, "first 1"}, {LOG_REPORT, "second"}}));
}

TEST(LogCapture, OnceMessagesAtTheirFirstPlaceInReplayOrder) {
    Log_Recorder lines;
    // Loaded while another thread held its messages back: they belong to whichever file first
    // refers to them in the order the walk reports.
    auto once = std::make_shared<Log_Once>();
    std::vector<Log_Record> later_file, earlier_file;
    std::thread reader([&] {
        Log_Capture capture(later_file);
        {
            Log_Capture loading(once->records);
            Log_Message(nullptr, LOG_WARNING, "table loaded");
        }
        Log_Refer_Once(nullptr, once);
        Log_Message(nullptr, LOG_REPORT, "later file");
    });
    reader.join();
    {
        Log_Capture capture(earlier_file);
        Log_Refer_Once(nullptr, once);
        Log_Message(nullptr, LOG_REPORT, "earlier file");
    }
    Log_Replay(earlier_file);
    Log_Replay(later_file);
    Log_Refer_Once(nullptr, once);  // reporting directly: already told
    EXPECT_EQ(lines.lines(),
              (Lines{{LOG_WARNING, "table loaded"}, {LOG_REPORT, "earlier file"}, {LOG_REPORT, "later file"}}));
}
