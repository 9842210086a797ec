#include "cabcodec/cabinet_source.hpp"

#include <algorithm>

namespace vexa::cab {

namespace {

constexpr std::size_t kReadWindow = 256 * 1024;

}  // namespace

std::optional<std::size_t> FileCabinetSource::ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) {
    if (n > kReadWindow / 2) return ReadFile(offset, into, n);
    if (offset < windowAt_ || offset + n > windowAt_ + window_.size()) {
        window_.resize(kReadWindow);
        auto got = ReadFile(offset, window_.data(), kReadWindow);
        window_.resize(got.value_or(0));
        windowAt_ = offset;
        if (!got) return std::nullopt;
    }
    std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(n, windowAt_ + window_.size() - offset));
    std::copy_n(window_.data() + (offset - windowAt_), part, into);
    return part;
}

std::optional<std::size_t> FileCabinetSource::ReadFile(std::uint64_t offset, unsigned char* into, std::size_t n) {
    std::size_t got = file_->ReadAt(offset, into, n);
    std::uint64_t size = file_->Size();
    std::uint64_t available = offset < size ? size - offset : 0;
    if (got < std::min<std::uint64_t>(n, available)) return std::nullopt;
    return got;
}

namespace {

constexpr unsigned char kSignature[4] = {'M', 'S', 'C', 'F'};
constexpr std::size_t kLengthField = 8;  // cbCabinet, after the signature and a reserved word

}  // namespace

CabinetWindow::CabinetWindow(CabinetSource& whole, std::uint64_t offset) : whole_(whole), offset_(offset) {
    std::uint64_t size = whole.Size();
    if (offset >= size) return;
    length_ = size - offset;
    unsigned char head[kLengthField + 4] = {};
    auto got = whole.ReadAt(offset, head, sizeof head);
    if (!got) {
        failed_ = true;
        return;
    }
    if (*got < sizeof head || !std::equal(std::begin(kSignature), std::end(kSignature), head)) return;
    std::uint32_t declared = static_cast<std::uint32_t>(head[kLengthField]) |
                             static_cast<std::uint32_t>(head[kLengthField + 1]) << 8 |
                             static_cast<std::uint32_t>(head[kLengthField + 2]) << 16 |
                             static_cast<std::uint32_t>(head[kLengthField + 3]) << 24;
    length_ = std::min<std::uint64_t>(length_, declared);
}

std::optional<std::size_t> CabinetWindow::ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) {
    if (failed_) return std::nullopt;
    if (offset >= length_) return 0;
    return whole_.ReadAt(offset_ + offset, into, static_cast<std::size_t>(std::min<std::uint64_t>(n, length_ - offset)));
}

}  // namespace vexa::cab
