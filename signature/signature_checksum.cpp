#include "signature/signature_checksum.hpp"

#include "signature/signature.hpp"

#include <bit>
#include <cstring>

namespace vexa {
namespace {

// The format's two nibble tables. The last high entry is 0x4600 where the textbook
// CRC-16 table has 0x4400; every signature ever written depends on it.
constexpr std::array<std::uint16_t, 16> kLow = {0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241,
                                                0xC601, 0x06C0, 0x0780, 0xC741, 0x0500, 0xC5C1, 0xC481, 0x0440};
constexpr std::array<std::uint16_t, 16> kHigh = {0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00, 0x2800, 0xE401,
                                                 0xA001, 0x6C00, 0x7800, 0xB401, 0x5000, 0x9C01, 0x8801, 0x4600};

constexpr std::uint16_t ByteStep(std::uint16_t crc, unsigned byte) {
    unsigned a = (byte ^ crc) & 0xFFu;
    return static_cast<std::uint16_t>(kHigh[a >> 4] ^ kLow[a & 0x0Fu] ^ (crc >> 8));
}

// Two bytes at a time. After two steps the checksum depends only on
// x = (the two bytes, little-endian) XOR crc, so it is a function of 16 bits. Because of
// the irregular high entry that function is not linear, and a 65536-entry table of it
// would not fit the L1 cache. It does split into a part that depends only on the high
// byte of x and a part that depends only on the low byte and the top nibble of x (the
// nibble that decides whether the second step meets the irregular entry; the other bits
// of the high byte pass through the regular, linear part of the tables): 8.5 KiB.
constexpr std::uint16_t TwoSteps(unsigned x) { return ByteStep(ByteStep(0, x & 0xFFu), x >> 8); }

constexpr std::array<std::uint16_t, 256> MakeHighBytePart() {
    std::array<std::uint16_t, 256> part{};
    for (unsigned high = 0; high < 256; ++high) part[high] = TwoSteps(high << 8);
    return part;
}
constexpr auto kHighBytePart = MakeHighBytePart();

// Indexed by (top nibble << 8) | low byte.
constexpr std::array<std::uint16_t, 4096> MakeLowBytePart() {
    std::array<std::uint16_t, 4096> part{};
    for (unsigned index = 0; index < 4096; ++index) {
        unsigned x = ((index >> 8) << 12) | (index & 0xFFu);
        part[index] = static_cast<std::uint16_t>(TwoSteps(x) ^ kHighBytePart[x >> 8]);
    }
    return part;
}
constexpr auto kLowBytePart = MakeLowBytePart();

// `pair` holds two bytes, the first in its low half.
inline std::uint16_t PairStep(std::uint16_t crc, unsigned pair) {
    unsigned x = pair ^ crc;
    return kHighBytePart[x >> 8] ^ kLowBytePart[((x >> 4) & 0xF00u) | (x & 0xFFu)];
}

inline std::uint16_t PairStep(std::uint16_t crc, const unsigned char* pair) {
    return PairStep(crc, pair[0] | (unsigned{pair[1]} << 8));
}

}  // namespace

std::uint16_t SignatureChecksum(const unsigned char* data, std::size_t n, std::uint16_t crc) {
    std::size_t i = 0;
    for (; i + 2 <= n; i += 2) crc = PairStep(crc, data + i);
    if (i < n) crc = ByteStep(crc, data[i]);
    return crc;
}

void SignatureChecksumLanes(const std::array<const unsigned char*, kChecksumLanes>& data, std::size_t n,
                            ChecksumLanes& crcs) {
    // Working on copies, fully unrolled, keeps every lane's checksum in a register.
    ChecksumLanes crc = crcs;
    std::array<const unsigned char*, kChecksumLanes> at = data;
    std::size_t i = 0;
    // Eight bytes of each lane in one load: loads, not the arithmetic, bound this loop.
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= n; i += 8) {
            std::array<std::uint64_t, kChecksumLanes> words;
            for (std::size_t k = 0; k < kChecksumLanes; ++k) std::memcpy(&words[k], at[k] + i, 8);
#pragma GCC unroll 4
            for (unsigned shift = 0; shift < 64; shift += 16) {
#pragma GCC unroll 8
                for (std::size_t k = 0; k < kChecksumLanes; ++k)
                    crc[k] = PairStep(crc[k], static_cast<unsigned>(words[k] >> shift) & 0xFFFFu);
            }
        }
    }
    for (; i + 2 <= n; i += 2) {
#pragma GCC unroll 8
        for (std::size_t k = 0; k < kChecksumLanes; ++k) crc[k] = PairStep(crc[k], at[k] + i);
    }
    if (i < n) {
        for (std::size_t k = 0; k < kChecksumLanes; ++k) crc[k] = ByteStep(crc[k], at[k][i]);
    }
    crcs = crc;
}

}  // namespace vexa
