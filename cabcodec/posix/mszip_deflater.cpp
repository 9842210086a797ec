#include "cabcodec/posix/mszip_deflater.hpp"

#include <new>

#include "cabcodec/posix/data_block.hpp"

namespace vexa::cab {
namespace {

// Level 6 with the largest hash tables: smaller than gcab's output at about its speed per core.
constexpr int kLevel = 6;
constexpr int kRawWindowBits = -15;
constexpr int kMemLevel = 9;
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
    deflateReset(&stream_);
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
