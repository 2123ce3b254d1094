// Numbers in the byte order of a transfer-syntax code.
//
// Writers honour bit 0 only (big endian when set). Readers also honour bit 1 (bytes of every
// 16-bit word swapped): the 16-bit words of a wider number come high word first when bit 0 is
// set, and each word is byte-swapped when exactly one of bits 0 and 1 is set. For 32 bits this
// gives the byte orders 0-1-2-3, 3-2-1-0 (bit 0), 1-0-3-2 (bit 1) and 2-3-0-1 (both).
#include "dicom/byte_order.h"

#include <bit>

namespace {

bool big_endian(int code) { return (code & 1) != 0; }
bool word_swapped(int code) { return ((code & 1) != 0) != ((code & 2) != 0); }

template <std::size_t N>
std::array<uint8_t, N> write_bytes(int code, uint64_t value) {
    std::array<uint8_t, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t at = big_endian(code) ? N - 1 - i : i;
        out[at] = static_cast<uint8_t>(value >> (8 * i));
    }
    return out;
}

template <std::size_t N>
uint64_t read_bytes(int code, const uint8_t* bytes) {
    constexpr std::size_t words = N / 2;
    uint64_t value = 0;
    for (std::size_t w = 0; w < words; ++w) {
        const uint8_t* word = bytes + 2 * w;
        const uint16_t low_first = static_cast<uint16_t>(word[0] | (word[1] << 8));
        const uint16_t part = word_swapped(code) ? static_cast<uint16_t>((low_first >> 8) | (low_first << 8))
                                                 : low_first;
        const std::size_t rank = big_endian(code) ? words - 1 - w : w;
        value |= static_cast<uint64_t>(part) << (16 * rank);
    }
    return value;
}

}  // namespace

std::array<uint8_t, 4> DICOM_Write_Float(int code, float value) {
    return write_bytes<4>(code, std::bit_cast<uint32_t>(value));
}

std::array<uint8_t, 8> DICOM_Write_64(int code, double value) {
    return write_bytes<8>(code, std::bit_cast<uint64_t>(value));
}

uint16_t DICOM_Read_16_Ordered(int code, const uint8_t* bytes) {
    return static_cast<uint16_t>(read_bytes<2>(code, bytes));
}

uint32_t DICOM_Read_32_Ordered(int code, const uint8_t* bytes) {
    return static_cast<uint32_t>(read_bytes<4>(code, bytes));
}

float DICOM_Read_Float(int code, const uint8_t* bytes) {
    return std::bit_cast<float>(static_cast<uint32_t>(read_bytes<4>(code, bytes)));
}

double DICOM_Read_Double(int code, const uint8_t* bytes) {
    return std::bit_cast<double>(read_bytes<8>(code, bytes));
}
