// Holding messages back on one thread and reporting them later, in order, once-messages at
// their first place only.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "util/log_capture.h"

namespace {

std::vector<std::string>& reported() {
    static std::vector<std::string> lines;
    return lines;
}

class Reported_Lines {
public:
    Reported_Lines() : previous_(Log_Get_Handler()) {
        reported().clear();
        Log_Set_Handler([](Win_Handle, int kind, const char* text) {
            reported().push_back(std::to_string(kind) + ":" + text);
            return kind == LOG_QUESTION ? 0 : 1;
        });
    }
    ~Reported_Lines() { Log_Set_Handler(previous_); }

private:
    Log_Handler_Fn previous_;
};

}  // namespace

TEST(LogCapture, HeldBackThenReportedInOrder) {
    Reported_Lines lines;
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
    Reported_Lines lines;
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
