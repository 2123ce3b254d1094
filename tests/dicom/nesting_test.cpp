#include "dicom/nesting.h"

#include <gtest/gtest.h>

#include "dataset_log.h"

namespace {

TEST(Nesting, TenNestedSequencesCollapseIntoDepthNineWithOneWarning) {
    Trace_Capture log;
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    for (uint16_t n = 1; n <= 9; ++n) EXPECT_EQ(DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0040, n, 0, 0), n);
    EXPECT_EQ(log.count_containing("To many"), 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0040, 10, 0x1000, 0), 9);
    EXPECT_EQ(root.depth, 9);
    EXPECT_EQ(root.Seq_Element[8], 9);
    EXPECT_EQ(root.Seq_Element[9], 10);
    EXPECT_EQ(root.Seq_Flags[9], 0x1000);
    EXPECT_EQ(log.count(LOG_WARNING, "    \xF1\x05WARNING:\x02 To many \"sequences\" in DICOM stream"), 1);
}

TEST(Nesting, StopAtTopLevelIsRefusedAndChangesNothing) {
    Trace_Capture log;
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    EXPECT_EQ(DICOM_Attribute_Sequence_Stop(nullptr, &root, 0), 0);
    EXPECT_EQ(root.depth, 0);
    EXPECT_EQ(log.count(LOG_WARNING,
                        "    \xF1\x05WARNING:\x02 To many \"out of sequences\" in DICOM stream (0000,0000)"),
              1);
}

TEST(Nesting, ItemsAreNumberedPerSequenceAndSurviveItemStop) {
    Trace_Capture log;
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1115, 0, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    for (int n = 0; n < 3; ++n) {
        DICOM_Attribute_Item_Start(nullptr, &root, 0);
        DICOM_Attribute_Item_Stop(nullptr, &root, 0);
    }
    EXPECT_EQ(root.Item_Number[1], 3);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), 2);

    // A new sequence at the same depth starts counting again.
    DICOM_Attribute_Sequence_Stop(nullptr, &root, 0);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1140, 0, 0);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 1), -1);
    EXPECT_EQ(DICOM_Attribute_Sequence_End(nullptr, &root, 12), -1);
}

TEST(Nesting, VisualLinesAreIndentedByDepthAtTheGivenLevel) {
    Trace_Capture log;
    DICOM_Root root;
    DICOM_Attribute_Sequence_Reset(nullptr, &root);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x1115, 0, LOG_TRACE_2);
    DICOM_Attribute_Item_Start(nullptr, &root, LOG_TRACE_2);
    DICOM_Attribute_Sequence_Start(nullptr, &root, 0x0008, 0x114A, 0, LOG_TRACE_2);
    DICOM_Attribute_Sequence_Stop(nullptr, &root, LOG_TRACE_2);
    DICOM_Attribute_Item_Stop(nullptr, &root, LOG_TRACE_2);
    EXPECT_EQ(log.count(LOG_TRACE_2, "------------------------ ---- Sequence in ----(depth=0)-----"), 1);
    EXPECT_EQ(log.count(LOG_TRACE_2, "    ------------------------ ---- Item[1] in ---------------"), 1);
    EXPECT_EQ(log.count(LOG_TRACE_2, "    ------------------------ ---- Sequence in ----(depth=1)-----"), 1);
    EXPECT_EQ(log.count(LOG_TRACE_2, "    ------------------------ ---- Sequence out --------------"), 1);
    EXPECT_EQ(log.count(LOG_TRACE_2, "    ------------------------ ---- Item[1] out --------------"), 1);
    EXPECT_EQ(log.count(LOG_TRACE_5, "in DICOM_Attribute_Sequence_Start(0008,114a)"), 1);
}

}  // namespace
