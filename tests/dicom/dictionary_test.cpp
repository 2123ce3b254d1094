// The built-in dictionary: its build on first use, once, and again after cleanup, and additions.
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

TEST(Dictionary, ProcessWideAdditions) {
    const char* const lines[] = {"(0006,0001) Local Test Element LO 1"};
    ASSERT_NE(NEMA_db_Get(0x0008, 0x0018), nullptr);
    EXPECT_EQ(NEMA_db_Read_Table(lines, sizeof lines - 1), 0);  // under one line: none
    EXPECT_EQ(NEMA_db_Read_Table(lines, sizeof lines), 1);
    EXPECT_STREQ(NEMA_db_Get(0x0006, 0x0001)->name, "Local Test Element");
    const char* vr[] = {"SH"};
    const char* vm[] = {"1-n"};
    EXPECT_EQ(NEMA_db_Add(0x0006, 0x0001, 0xFFFF, 0xFFFF, "Again", 1, vr, vm), 0);
    EXPECT_EQ(NEMA_db_Add(0x0006, 0x0002, 0xFFFF, 0xFFFF, "Added", -1, vr, vm), 1);
    EXPECT_EQ(NEMA_db_Get(0x0006, 0x0002)->vm[0][1], 0xFFFF);
    NEMA_db_Cleanup();
    EXPECT_EQ(NEMA_db_Get(0x0006, 0x0001), nullptr);
}

}  // namespace
