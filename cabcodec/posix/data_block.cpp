#include "cabcodec/posix/data_block.hpp"

namespace vexa::cab {
namespace {

void PutLittle(unsigned char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

std::uint32_t DataChecksum(const unsigned char* data, std::size_t n, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t whole = n / 4 * 4;
    for (std::size_t i = 0; i < whole; i += 4) {
        sum ^= static_cast<std::uint32_t>(data[i]) | static_cast<std::uint32_t>(data[i + 1]) << 8 |
               static_cast<std::uint32_t>(data[i + 2]) << 16 | static_cast<std::uint32_t>(data[i + 3]) << 24;
    }
    std::uint32_t tail = 0;
    for (std::size_t i = whole; i < n; ++i) tail = tail << 8 | data[i];
    return sum ^ tail;
}

// The checksum covers the compressed bytes first, then the two size fields.
void WriteDataHeader(std::vector<unsigned char>& block, std::uint16_t uncompressedSize) {
    unsigned char* header = block.data();
    auto compressedSize = static_cast<std::uint16_t>(block.size() - kDataHeaderSize);
    PutLittle(header + 4, compressedSize, 2);
    PutLittle(header + 6, uncompressedSize, 2);
    std::uint32_t sum = DataChecksum(header + kDataHeaderSize, compressedSize, 0);
    PutLittle(header, DataChecksum(header + 4, 4, sum), 4);
}

}  // namespace vexa::cab
