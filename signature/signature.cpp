#include "signature/signature.hpp"

#include <algorithm>
#include <array>
#include <exception>
#include <future>
#include <memory>
#include <optional>
#include <utility>

#include "common/text.hpp"
#include "signature/signature_checksum.hpp"

namespace vexa {
namespace {

constexpr std::string_view kTag = "1-";
constexpr std::size_t kBlocks = 10;
static_assert(kBlocks == 2 * kChecksumLanes, "the blocks are checksummed as two groups of lanes");

// Bytes of each block read at a time: a group's pieces stay in the L2 cache while they
// are summed, and the memory used is the same for any file size.
constexpr std::size_t kPiece = 64 * 1024;
// Below this a second thread costs more than it saves.
constexpr std::uint64_t kThreadedFrom = 1 << 20;

struct Block {
    std::uint64_t offset;
    std::uint64_t length;
};
using Layout = std::array<Block, kBlocks>;
// W0 (the sum) followed by the ten block words.
using Words = std::array<std::uint32_t, kBlocks + 1>;
// Each word in eight hexadecimal digits.
constexpr std::size_t kLongDigits = std::tuple_size_v<Words> * 8;

// Nine blocks of n / 10 bytes, and the last one with the rest.
Layout BlockLayout(std::uint64_t n) {
    std::uint64_t g = n / kBlocks;
    Layout blocks{};
    for (std::size_t k = 0; k < kBlocks; ++k) blocks[k] = {g * k, g};
    blocks.back().length = n - g * (kBlocks - 1);
    return blocks;
}

// Continues crc over [offset, offset + length) of the file; nullopt on a short read.
std::optional<std::uint16_t> ChecksumRange(ReadableFile& file, std::uint64_t offset, std::uint64_t length,
                                           std::uint16_t crc, unsigned char* buffer, std::size_t capacity) {
    for (std::uint64_t done = 0; done < length;) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, length - done));
        if (file.ReadAt(offset + done, buffer, piece) != piece) return std::nullopt;
        crc = SignatureChecksum(buffer, piece, crc);
        done += piece;
    }
    return crc;
}

// The checksums of kChecksumLanes consecutive blocks: their common length is read piece by
// piece and summed side by side, then each block's own rest (only the last block of a file
// has one, of at most nine bytes) alone.
std::optional<ChecksumLanes> ChecksumGroup(ReadableFile& file, const Block* blocks) {
    const Block* end = blocks + kChecksumLanes;
    auto byLength = [](const Block& a, const Block& b) { return a.length < b.length; };
    std::uint64_t common = std::min_element(blocks, end, byLength)->length;
    std::uint64_t longest = std::max_element(blocks, end, byLength)->length;
    std::size_t capacity = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, longest));
    auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kChecksumLanes * capacity);

    ChecksumLanes crcs{};
    std::array<const unsigned char*, kChecksumLanes> lanes{};
    for (std::uint64_t done = 0; done < common;) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, common - done));
        for (std::size_t k = 0; k < kChecksumLanes; ++k) {
            unsigned char* into = buffer.get() + k * capacity;
            if (file.ReadAt(blocks[k].offset + done, into, piece) != piece) return std::nullopt;
            lanes[k] = into;
        }
        SignatureChecksumLanes(lanes, piece, crcs);
        done += piece;
    }
    for (std::size_t k = 0; k < kChecksumLanes; ++k) {
        auto crc = ChecksumRange(file, blocks[k].offset + common, blocks[k].length - common, crcs[k], buffer.get(),
                                 capacity);
        if (!crc) return std::nullopt;
        crcs[k] = *crc;
    }
    return crcs;
}

// The two groups of blocks, on two threads when the file is large enough to gain from it.
// The second thread reads through a handle of its own; where no thread can be started,
// the second group is summed after the first on this one.
std::optional<std::array<ChecksumLanes, 2>> ChecksumBlocks(Files& files, const std::string& filename,
                                                            ReadableFile& file, const Layout& blocks) {
    const Block* firstGroup = blocks.data();
    const Block* secondGroup = blocks.data() + kChecksumLanes;
    std::optional<ChecksumLanes> first;
    std::optional<ChecksumLanes> second;
    if (file.Size() >= kThreadedFrom) {
        auto own = files.OpenShared(filename);
        if (!own || own->Size() != file.Size()) return std::nullopt;
        auto worker = std::async(std::launch::async | std::launch::deferred,
                                 [&] { return ChecksumGroup(*own, secondGroup); });
        first = ChecksumGroup(file, firstGroup);
        second = worker.get();
    } else {
        first = ChecksumGroup(file, firstGroup);
        second = ChecksumGroup(file, secondGroup);
    }
    if (!first || !second) return std::nullopt;
    return std::array<ChecksumLanes, 2>{*first, *second};
}

std::optional<Words> SignatureWords(Files& files, const std::string& filename) {
    auto file = files.OpenShared(filename);
    if (!file || file->Size() == 0) return std::nullopt;
    auto groups = ChecksumBlocks(files, filename, *file, BlockLayout(file->Size()));
    if (!groups) return std::nullopt;

    Words words{};
    for (std::size_t k = 0; k < kBlocks; ++k) words[k + 1] = (*groups)[k / kChecksumLanes][k % kChecksumLanes];
    // A file shorter than ten bytes lies wholly in the last block; its word moves to the front.
    if (file->Size() < kBlocks) words[1] = std::exchange(words[kBlocks], 0);
    for (std::size_t k = 1; k <= kBlocks; ++k) words[0] += words[k];
    return words;
}

// Each word as its four bytes, least significant first, two lowercase digits each.
std::string LongForm(const Words& words) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(kTag);
    for (std::uint32_t word : words) {
        for (int byte = 0; byte < 4; ++byte, word >>= 8) {
            text += kDigits[(word >> 4) & 0xFu];
            text += kDigits[word & 0xFu];
        }
    }
    return text;
}

// Like substr, but a start beyond the end gives "".
std::string_view Slice(std::string_view text, std::size_t start, std::size_t count = std::string_view::npos) {
    return text.substr(std::min(start, text.size()), count);
}

}  // namespace

std::string GenerateFileSignature(Files& files, const std::string& filename) {
    try {
        auto words = SignatureWords(files, filename);
        return words ? LongForm(*words) : std::string();
    } catch (const std::exception&) {  // no memory for the buffers, say
        return {};
    }
}

std::string_view BareSignature(std::string_view signature) {
    return Trim(signature.substr(0, signature.rfind('\'')));
}

bool IsLongSignature(std::string_view text) {
    return text.size() == kTag.size() + kLongDigits && text.starts_with(kTag) &&
           text.find_first_not_of("0123456789abcdef", kTag.size()) == std::string_view::npos;
}

bool VerifyFile(Files& files, const std::string& filename, std::string_view signature) {
    std::string_view bare = BareSignature(signature);
    // Without the tag the file is not read; with it, a file that cannot be signed ("") never matches.
    return bare.starts_with(kTag) && GenerateFileSignature(files, filename) == bare;
}

std::string LongSigToShortSig(std::string_view longSignature) {
    // W0's digits are its bytes in little-endian order: reverse the pairs.
    std::string_view sumDigits = Slice(longSignature, 2, 8);
    std::string sum;
    for (std::size_t pair = 4; pair-- > 0;) sum += Slice(sumDigits, 2 * pair, 2);
    std::string_view significant = Slice(sum, sum.find_first_not_of('0'));

    std::string_view wordDigits = Slice(longSignature, 10);
    auto check = SignatureChecksum(reinterpret_cast<const unsigned char*>(wordDigits.data()), wordDigits.size());
    return std::string(significant.empty() ? "0" : significant) + "-" + std::to_string(check);
}

}  // namespace vexa
