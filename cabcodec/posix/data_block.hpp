#pragma once
// The cabinet's data block (CFDATA): a checksum, the compressed and uncompressed sizes,
// then the compressed bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexa::cab {

inline constexpr std::size_t kBlockInput = 32 * 1024;  // uncompressed bytes per block, as MSZIP requires
inline constexpr std::size_t kDataHeaderSize = 8;

// The format's checksum: 32-bit little-endian words XORed together; a tail of one to three
// bytes is folded in as one more word with its first byte highest.
std::uint32_t DataChecksum(const unsigned char* data, std::size_t n, std::uint32_t seed);

// Fills the header in front of a block whose compressed bytes follow at kDataHeaderSize.
void WriteDataHeader(std::vector<unsigned char>& block, std::uint16_t uncompressedSize);

}  // namespace vexa::cab
