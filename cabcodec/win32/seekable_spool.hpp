#pragma once
// A file that FCI writes, seeks in and reads back, kept in one of the caller's temporary
// files, which only append. FCI writes a cabinet as unfinished and corrects its header at
// the end, so writes over bytes already written are kept in memory as patches, which
// reads see; a spool holds at most kMaxPatched bytes of them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "cabcodec/maker.hpp"

namespace vexa::cab {

class SeekableSpool {
public:
    static constexpr std::size_t kMaxPatched = 64 * 1024;

    explicit SeekableSpool(std::unique_ptr<TemporaryFile> file) : file_(std::move(file)) {}

    std::uint64_t Size() const { return size_; }
    // False if the temporary file refused the bytes, or the write would leave a gap
    // after the end or patch more than the spool keeps.
    bool Write(std::uint64_t at, const unsigned char* data, std::size_t n);
    // Up to n bytes, fewer only at the end; nullopt if the temporary file failed.
    std::optional<std::size_t> ReadAt(std::uint64_t at, unsigned char* into, std::size_t n);

private:
    struct Patch {
        std::uint64_t at;
        std::vector<unsigned char> bytes;
    };

    std::unique_ptr<TemporaryFile> file_;
    std::uint64_t size_ = 0;
    std::vector<Patch> patches_;  // oldest first, so later ones win
    std::size_t patched_ = 0;
};

}  // namespace vexa::cab
