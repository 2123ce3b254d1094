// Lookups in the built-in dictionary: plain, retired, repeating, masked and odd-group tags.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dicom/dictionary.h"
#include "util/log.h"

namespace {

constexpr uint16_t Code(const char (&vr)[3]) { return static_cast<uint16_t>((vr[0] << 8) | vr[1]); }

// Counts the warnings logged while it lives.
class Warning_Counter {
public:
    Warning_Counter() : previous_(Log_Get_Handler()), previous_kind_(DICOM_Warning_Kind) {
        count_ = 0;
        DICOM_Warning_Kind = LOG_WARNING;  // 0 until start-up chooses, which silences warnings
        Log_Set_Handler(&Warning_Counter::handler);
    }
    ~Warning_Counter() {
        Log_Set_Handler(previous_);
        DICOM_Warning_Kind = previous_kind_;
    }
    int count() const { return count_; }

private:
    static int handler(Win_Handle, int kind, const char*) {
        if (kind == LOG_WARNING) ++count_;
        return 1;
    }
    static inline int count_ = 0;
    Log_Handler_Fn previous_;
    int previous_kind_;
};

TEST(Dictionary, PlainEntriesCarryNameVrAndMultiplicity) {
    const NEMA_db_Entry* syntax = NEMA_db_Get(0x0002, 0x0010);
    ASSERT_NE(syntax, nullptr);
    EXPECT_STREQ(syntax->name, "Transfer Syntax UID");
    EXPECT_EQ(syntax->vr[0], Code("UI"));
    EXPECT_EQ(syntax->count, 1);
    EXPECT_EQ(syntax->vm[0][0], 1);
    EXPECT_EQ(syntax->vm[0][1], 1);

    const NEMA_db_Entry* length = NEMA_db_Get(0x0002, 0x0000);
    ASSERT_NE(length, nullptr);
    EXPECT_STREQ(length->name, "Group Length");
    EXPECT_EQ(length->vr[0], Code("UL"));

    const NEMA_db_Entry* strength = NEMA_db_Get(0x300A, 0x022B);
    const NEMA_db_Entry* date = NEMA_db_Get(0x300A, 0x022C);
    ASSERT_NE(strength, nullptr);
    ASSERT_NE(date, nullptr);
    EXPECT_STREQ(strength->name, "Source Strength");
    EXPECT_EQ(strength->vr[0], Code("DS"));
    EXPECT_STREQ(date->name, "Source Strength Reference Date");
    EXPECT_EQ(date->vr[0], Code("DA"));
    ASSERT_NE(NEMA_db_Get(0x300C, 0x00F0), nullptr);
    EXPECT_EQ(NEMA_db_Get(0x300C, 0x00F2)->vr[0], Code("SQ"));

    const NEMA_db_Entry* positions = NEMA_db_Get(0x0020, 0x0032);  // Image Position (Patient)
    ASSERT_NE(positions, nullptr);
    EXPECT_EQ(positions->vm[0][0], 3);
    EXPECT_EQ(positions->vm[0][1], 3);
}

TEST(Dictionary, RetiredEntriesHaveNegativeCount) {
    const NEMA_db_Entry* device = NEMA_db_Get(0x0018, 0x1011);
    ASSERT_NE(device, nullptr);
    EXPECT_STREQ(device->name, "Hardcopy Creation Device ID");
    EXPECT_EQ(device->vr[0], Code("LO"));
    EXPECT_EQ(device->vm[0][1], 1);
    EXPECT_EQ(device->count, -1);

    const NEMA_db_Entry* pixel_values = NEMA_db_Get(0x0018, 0x1240);
    ASSERT_NE(pixel_values, nullptr);
    EXPECT_STREQ(pixel_values->name, "Upper/Lower Pixel Values");
    EXPECT_EQ(pixel_values->count, 0);
    EXPECT_EQ(pixel_values->vr[0], Code("RT"));
    EXPECT_EQ(pixel_values->vm[0][0], 0xFFFF);

    const NEMA_db_Entry* gray = NEMA_db_Get(0x0028, 0x1200);
    ASSERT_NE(gray, nullptr);
    EXPECT_EQ(gray->count, -3);
    EXPECT_EQ(gray->vr[0], Code("US"));
    EXPECT_EQ(gray->vr[1], Code("SS"));
    EXPECT_EQ(gray->vr[2], Code("OW"));
    EXPECT_EQ(gray->vm[0][1], 0xFFFF);
    EXPECT_EQ(gray->vm[2][1], 1);
}

TEST(Dictionary, AlternativesKeepLineOrderAndWholeNames) {
    const NEMA_db_Entry* descriptor = NEMA_db_Get(0x0028, 0x1101);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_STREQ(descriptor->name, "Red Palette Color Lookup Table Descriptor");
    EXPECT_EQ(descriptor->count, 2);
    EXPECT_EQ(descriptor->vr[0], Code("US"));
    EXPECT_EQ(descriptor->vr[1], Code("SS"));
    EXPECT_EQ(descriptor->vm[1][0], 3);
}

TEST(Dictionary, RepeatingGroupsAndElements) {
    const NEMA_db_Entry* comments = NEMA_db_Get(0x6000, 0x4000);
    ASSERT_NE(comments, nullptr);
    EXPECT_EQ(NEMA_db_Get(0x6002, 0x4000), comments);
    EXPECT_EQ(NEMA_db_Get(0x60FE, 0x4000), comments);
    EXPECT_STREQ(comments->name, "Overlay Comments");
    EXPECT_LT(comments->count, 0);
    EXPECT_EQ(NEMA_db_Get(0x6100, 0x4000), nullptr);

    const NEMA_db_Entry* curve = NEMA_db_Get(0x5002, 0x3000);
    ASSERT_NE(curve, nullptr);
    EXPECT_STREQ(curve->name, "Curve Data");
    EXPECT_EQ(curve->vr[0], Code("OW"));
    EXPECT_EQ(curve->vr[1], Code("OB"));

    const NEMA_db_Entry* label = NEMA_db_Get(0x0028, 0x0800);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->element_mask, 0xFF0F);
    EXPECT_EQ(NEMA_db_Get(0x0028, 0x0810), label);
    EXPECT_EQ(NEMA_db_Get(0x0028, 0x08F0), label);
    EXPECT_STREQ(NEMA_db_Get(0x0028, 0x0838)->name, "Image Data Location");
    EXPECT_EQ(NEMA_db_Get(0x0028, 0x0811), nullptr);  // no 08x1 element
}

TEST(Dictionary, AbsentTags) {
    EXPECT_EQ(NEMA_db_Get(0x0009, 0x0010), nullptr);  // private
    EXPECT_EQ(NEMA_db_Get(0x0029, 0x1010), nullptr);
    EXPECT_EQ(NEMA_db_Get(0x6001, 0x4000), nullptr);  // odd member of a repeating group
    EXPECT_EQ(NEMA_db_Get(0x7FE0, 0x0010), nullptr);  // Pixel Data
    EXPECT_EQ(NEMA_db_Get(0x0000, 0x0000), nullptr);  // command group
    EXPECT_EQ(NEMA_db_Get(0x0010, 0xFFFF), nullptr);
    EXPECT_EQ(NEMA_db_Get(0xFFFF, 0xFFFF), nullptr);
}

TEST(Dictionary, ItemTagsUseTheLibraryCodes) {
    EXPECT_EQ(NEMA_db_Get(0xFFFE, 0xE000)->vr[0], Code("I-"));
    EXPECT_EQ(NEMA_db_Get(0xFFFE, 0xE00D)->vr[0], Code("Ia"));
    EXPECT_EQ(NEMA_db_Get(0xFFFE, 0xE0DD)->vr[0], Code("Ia"));
    const NEMA_db_Entry* end = NEMA_db_Get(0xFFFC, 0xFFFC);
    ASSERT_NE(end, nullptr);
    EXPECT_STREQ(end->name, "Terminatior");
    EXPECT_EQ(end->vr[0], Code("OB"));
}

TEST(Dictionary, BuildsWithoutWarningsOnceAndAgainAfterCleanup) {
    NEMA_db_Cleanup();
    Warning_Counter warnings;
    const NEMA_db_Entry* first = NEMA_db_Get(0x0010, 0x0010);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->name, "Patient's Name");
    EXPECT_EQ(warnings.count(), 0);

    NEMA_db_Init();  // already built: the entries stay where they are
    EXPECT_EQ(NEMA_db_Get(0x0010, 0x0010), first);

    NEMA_db_Cleanup();
    ASSERT_NE(NEMA_db_Get(0x0010, 0x0010), nullptr);
    EXPECT_STREQ(NEMA_db_Get(0x0010, 0x0010)->name, "Patient's Name");
    EXPECT_EQ(warnings.count(), 0);
}

TEST(Dictionary, ConcurrentFirstLookupsBuildOnce) {
    NEMA_db_Cleanup();
    Warning_Counter warnings;  // a second build would report every line as a duplicate
    std::vector<const NEMA_db_Entry*> found(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < found.size(); ++i)
        threads.emplace_back([&found, i] { found[i] = NEMA_db_Get(0x0008, 0x0018); });
    for (std::thread& thread : threads) thread.join();
    ASSERT_NE(found[0], nullptr);
    for (const NEMA_db_Entry* entry : found) EXPECT_EQ(entry, found[0]);
    EXPECT_EQ(warnings.count(), 0);
}

}  // namespace
