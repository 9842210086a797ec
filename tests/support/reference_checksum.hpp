#pragma once
// The signature checksum exactly as defined, one byte at a time with the two nibble
// tables: the yardstick for the fast implementation in tests and benchmarks.

#include <cstddef>
#include <cstdint>

namespace vexa::test {

inline std::uint16_t ReferenceChecksum(const unsigned char* data, std::size_t n, std::uint16_t crc = 0) {
    static constexpr std::uint16_t kLow[16] = {0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241,
                                               0xC601, 0x06C0, 0x0780, 0xC741, 0x0500, 0xC5C1, 0xC481, 0x0440};
    static constexpr std::uint16_t kHigh[16] = {0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00, 0x2800, 0xE401,
                                                0xA001, 0x6C00, 0x7800, 0xB401, 0x5000, 0x9C01, 0x8801, 0x4600};
    for (std::size_t i = 0; i < n; ++i) {
        unsigned a = (data[i] ^ crc) & 0xFFu;
        crc = static_cast<std::uint16_t>(kHigh[a >> 4] ^ kLow[a & 0x0Fu] ^ (crc >> 8));
    }
    return crc;
}

}  // namespace vexa::test
