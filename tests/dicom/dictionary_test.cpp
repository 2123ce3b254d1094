// The built-in dictionary: its build on first use, once, and again after cleanup.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "dicom/dictionary.h"
#include "support/log_recorder.h"

namespace {

TEST(Dictionary, BuildsOnceFromConcurrentLookupsAndAgainAfterCleanup) {
    Log_Recorder log;  // a second build would report every line as a duplicate
    for (int round = 0; round < 2; ++round) {
        NEMA_db_Cleanup();
        std::vector<const NEMA_db_Entry*> found(4);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < found.size(); ++i)
            threads.emplace_back([&found, i] { found[i] = NEMA_db_Get(0x0010, 0x0010); });
        for (std::thread& thread : threads) thread.join();
        ASSERT_NE(found[0], nullptr);
        EXPECT_STREQ(found[0]->name, "Patient's Name");
        for (const NEMA_db_Entry* entry : found) EXPECT_EQ(entry, found[0]);
        NEMA_db_Init();  // already built: entries stay where they are
        EXPECT_EQ(NEMA_db_Get(0x0010, 0x0010), found[0]);
    }
    EXPECT_FALSE(log.has("WARNING"));
}

}  // namespace
