// Byte-order writers and readers for the transfer-syntax codes.
#include <gtest/gtest.h>

#include <array>

#include "dicom/byte_order.h"

namespace {

TEST(ByteOrder, WritersFollowBitZero) {
    // A US value 0x0102: little endian with code 8, big endian with code 9.
    EXPECT_EQ(DICOM_Write_16(8, 0x0102), (std::array<uint8_t, 2>{0x02, 0x01}));
    EXPECT_EQ(DICOM_Write_16(9, 0x0102), (std::array<uint8_t, 2>{0x01, 0x02}));
    EXPECT_EQ(DICOM_Write_32(0, 0x01020304), (std::array<uint8_t, 4>{4, 3, 2, 1}));
    EXPECT_EQ(DICOM_Write_32(9, 0x01020304), (std::array<uint8_t, 4>{1, 2, 3, 4}));
    // Bit 1 is a reader-only matter: the writers ignore it.
    EXPECT_EQ(DICOM_Write_32(2, 0x01020304), (std::array<uint8_t, 4>{4, 3, 2, 1}));
    // 1.0f is 0x3F800000; 1.0 is 0x3FF0000000000000.
    EXPECT_EQ(DICOM_Write_Float(9, 1.0f), (std::array<uint8_t, 4>{0x3F, 0x80, 0, 0}));
    EXPECT_EQ(DICOM_Write_64(8, 1.0), (std::array<uint8_t, 8>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(ByteOrder, ReadersHonourWordSwapBit) {
    const uint8_t b[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    EXPECT_EQ(DICOM_Read_16(0, b), 0x0201);
    EXPECT_EQ(DICOM_Read_16(1, b), 0x0102);
    EXPECT_EQ(DICOM_Read_16(2, b), 0x0102);
    EXPECT_EQ(DICOM_Read_16(3, b), 0x0201);
    EXPECT_EQ(DICOM_Read_32(8, b), 0x04030201u);  // 0-1-2-3
    EXPECT_EQ(DICOM_Read_32(9, b), 0x01020304u);  // 3-2-1-0
    EXPECT_EQ(DICOM_Read_32(2, b), 0x03040102u);  // 1-0-3-2
    EXPECT_EQ(DICOM_Read_32(3, b), 0x02010403u);  // 2-3-0-1
    const uint8_t one_float_be[4] = {0x3F, 0x80, 0, 0};
    EXPECT_EQ(DICOM_Read_Float(9, one_float_be), 1.0f);
    const uint8_t one_double_le[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    EXPECT_EQ(DICOM_Read_Double(8, one_double_le), 1.0);
}

}  // namespace
