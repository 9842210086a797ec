#include "cabcodec/win32/seekable_spool.hpp"

#include <algorithm>
#include <cstring>

namespace vexa::cab {

bool SeekableSpool::Write(std::uint64_t at, const unsigned char* data, std::size_t n) {
    if (at > size_) return false;
    auto over = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - at));
    if (over > 0) {
        if (over > kMaxPatched - patched_) return false;
        patches_.push_back({at, std::vector<unsigned char>(data, data + over)});
        patched_ += over;
    }
    if (n == over) return true;
    if (!file_->Write(data + over, n - over)) return false;
    size_ += n - over;
    return true;
}

std::optional<std::size_t> SeekableSpool::ReadAt(std::uint64_t at, unsigned char* into, std::size_t n) {
    if (at >= size_) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - at));
    auto got = file_->ReadAt(at, into, n);
    if (!got || *got != n) return std::nullopt;
    for (const auto& patch : patches_) {
        std::uint64_t from = std::max(at, patch.at);
        std::uint64_t to = std::min(at + n, patch.at + patch.bytes.size());
        if (from < to) {
            auto count = static_cast<std::size_t>(to - from);
            std::memcpy(into + (from - at), patch.bytes.data() + (from - patch.at), count);
        }
    }
    return n;
}

}  // namespace vexa::cab
