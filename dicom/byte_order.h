// Byte-order readers and writers for the transfer-syntax codes (bit 0: big endian,
// bit 1: 16-bit words swapped). Writers return the bytes by value, so they are safe on any thread.
#pragma once

#include <array>
#include <cstdint>

// The integer writers are inline: a DICOMDIR's records call them for every element header.
inline std::array<uint8_t, 2> DICOM_Write_16(int code, uint16_t value) {
    const auto low = static_cast<uint8_t>(value), high = static_cast<uint8_t>(value >> 8);
    if ((code & 1) != 0) return {high, low};
    return {low, high};
}
inline std::array<uint8_t, 4> DICOM_Write_32(int code, uint32_t value) {
    const std::array<uint8_t, 4> low_first{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                           static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    if ((code & 1) != 0) return {low_first[3], low_first[2], low_first[1], low_first[0]};
    return low_first;
}
std::array<uint8_t, 4> DICOM_Write_Float(int code, float value);
std::array<uint8_t, 8> DICOM_Write_64(int code, double value);

// Readers swap when exactly one of code bits 0 and 1 is set.
// The reordering forms of the two integer readers; little endian, the usual case, is inline.
uint16_t DICOM_Read_16_Ordered(int code, const uint8_t* bytes);
uint32_t DICOM_Read_32_Ordered(int code, const uint8_t* bytes);
inline uint16_t DICOM_Read_16(int code, const uint8_t* bytes) {
    if ((code & 3) != 0) return DICOM_Read_16_Ordered(code, bytes);
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}
inline uint32_t DICOM_Read_32(int code, const uint8_t* bytes) {
    if ((code & 3) != 0) return DICOM_Read_32_Ordered(code, bytes);
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}
float DICOM_Read_Float(int code, const uint8_t* bytes);
double DICOM_Read_Double(int code, const uint8_t* bytes);
