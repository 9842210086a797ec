#include "cabcodec/posix/mszip_deflater.hpp"

#include <new>

#include "cabcodec/posix/data_block.hpp"

namespace vexa::cab {
namespace {

// Lazy matching with a shorter search than zlib's default level: about twice its speed,
// and priming still makes the output smaller than that of a default-level compressor
// without priming (the usual MSZIP maker).
constexpr int kLevel = 5;
constexpr int kGoodLength = 4;
constexpr int kMaxLazy = 8;
constexpr int kNiceLength = 32;
constexpr int kMaxChain = 16;
constexpr int kRawWindowBits = -15;
constexpr int kMemLevel = 8;
constexpr unsigned char kMszipMark[2] = {'C', 'K'};

}  // namespace

MszipDeflater::MszipDeflater() {
    if (deflateInit2(&stream_, kLevel, Z_DEFLATED, kRawWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::bad_alloc();
    }
}

MszipDeflater::~MszipDeflater() { deflateEnd(&stream_); }

void MszipDeflater::Compress(std::span<const unsigned char> input, std::span<const unsigned char> history,
                             std::vector<unsigned char>& block) {
    deflateReset(&stream_);  // which also restores the level's search parameters
    deflateTune(&stream_, kGoodLength, kMaxLazy, kNiceLength, kMaxChain);
    if (!history.empty()) deflateSetDictionary(&stream_, history.data(), static_cast<uInt>(history.size()));
    std::size_t prefix = kDataHeaderSize + sizeof kMszipMark;
    block.resize(prefix + deflateBound(&stream_, static_cast<uLong>(input.size())));
    block[kDataHeaderSize] = kMszipMark[0];
    block[kDataHeaderSize + 1] = kMszipMark[1];
    stream_.next_in = const_cast<unsigned char*>(input.data());
    stream_.avail_in = static_cast<uInt>(input.size());
    stream_.next_out = block.data() + prefix;
    stream_.avail_out = static_cast<uInt>(block.size() - prefix);
    // The bound guarantees that the whole stream, final block included, fits in one call.
    deflate(&stream_, Z_FINISH);
    block.resize(block.size() - stream_.avail_out);
    WriteDataHeader(block, static_cast<std::uint16_t>(input.size()));
}

}  // namespace vexa::cab
