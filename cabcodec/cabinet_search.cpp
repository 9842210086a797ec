#include <algorithm>
#include <string_view>

#include "cabcodec/expander.hpp"

namespace vexa::cab {
namespace {

constexpr std::string_view kSignature = "MSCF";
constexpr std::size_t kScanChunk = 64 * 1024;

}  // namespace

// Scans for the signature and lets the reader judge each candidate, so that a chance
// "MSCF" in a program's code is passed over; a cabinet's own bytes are not scanned again.
std::optional<std::vector<CabinetLocation>> FindCabinets(CabinetSource& source) {
    std::vector<CabinetLocation> found;
    std::string chunk(kScanChunk, '\0');
    std::uint64_t size = source.Size();
    std::uint64_t position = 0;
    while (position + kSignature.size() <= size) {
        auto got = source.ReadAt(position, reinterpret_cast<unsigned char*>(chunk.data()), chunk.size());
        if (!got) return std::nullopt;
        std::size_t hit = std::string_view(chunk.data(), *got).find(kSignature);
        if (hit == std::string_view::npos) {
            // Keep the last bytes: a signature may straddle two chunks.
            position += std::max<std::size_t>(*got, kSignature.size()) - (kSignature.size() - 1);
            continue;
        }
        std::uint64_t candidate = position + hit;
        if (auto info = IsCabinet(source, candidate)) {
            std::uint64_t length = std::min<std::uint64_t>(info->length, size - candidate);
            found.push_back({candidate, length});
            position = candidate + std::max<std::uint64_t>(length, 1);
        } else {
            position = candidate + 1;
        }
    }
    return found;
}

}  // namespace vexa::cab
