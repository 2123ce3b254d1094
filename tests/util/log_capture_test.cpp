// Holding messages back on one thread and reporting them later, in order, once-messages at
// their first place only.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/log_recorder.h"
#include "util/log_capture.h"

namespace {

// The lines the handler was given, as "kind:text".
std::vector<std::string> reported() {
    std::vector<std::string> lines;
    for (const auto& [kind, text] : Log_Recorder::lines()) lines.push_back(std::to_string(kind) + ":" + text);
    return lines;
}

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
    EXPECT_EQ(reported(), (std::vector<std::string>{"3:sure?"}));
    EXPECT_EQ(held.size(), 2u);
    Log_Replay(held);
    EXPECT_EQ(reported(), (std::vector<std::string>{"3:sure?", "2:first 1", "4:second"}));
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
    EXPECT_EQ(reported(), (std::vector<std::string>{"2:table loaded", "4:earlier file", "4:later file"}));
}
