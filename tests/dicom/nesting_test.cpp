#include "dicom/nesting.h"

#include <gtest/gtest.h>

#include "support/log_recorder.h"

namespace {

TEST(Nesting, TooDeepCollapsesIntoDepthNineAndTooManyStopsAreRefused) {
    Log_Recorder log;
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    EXPECT_EQ(DICOM_Attribute_Sequence_Stop(nullptr, &root, 0), 0);
    EXPECT_TRUE(log.has("WARNING: To many \"out of sequences\" in DICOM stream (0000,0000)"));

    for (uint16_t n = 1; n <= 9; ++n) EXPECT_EQ(DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0040, n, 0, 0), n);
    EXPECT_FALSE(log.has("\"sequences\""));
    EXPECT_EQ(DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0040, 10, 0x1000, 0), 9);
    EXPECT_EQ(root.Seq_Element[8], 9);
    EXPECT_EQ(root.Seq_Element[9], 10);
    EXPECT_EQ(root.Seq_Flags[9], 0x1000);
    EXPECT_TRUE(log.has("To many \"sequences\" in DICOM stream"));
}

TEST(Nesting, ItemsAreNumberedPerSequenceAndSurviveItemStop) {
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1115, 0, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    for (int n = 0; n < 3; ++n) {
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        DICOM_Attribute_Item_Stop(nullptr, &root, 0);
    }
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), 2);
    DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 12), -1);
}

}  // namespace
