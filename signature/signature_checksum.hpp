#pragma once
// The signature checksum over several independent runs of bytes at once, for the
// signature generator (and its benchmark).

#include <array>
#include <cstddef>
#include <cstdint>

namespace vexa {

// Each step of one checksum waits for the previous one; interleaving independent
// checksums keeps the processor busy while it waits.
inline constexpr std::size_t kChecksumLanes = 5;

using ChecksumLanes = std::array<std::uint16_t, kChecksumLanes>;

// Continues crcs[k] over the n bytes at data[k], for every lane k.
void SignatureChecksumLanes(const std::array<const unsigned char*, kChecksumLanes>& data, std::size_t n,
                            ChecksumLanes& crcs);

}  // namespace vexa
