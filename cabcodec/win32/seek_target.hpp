#pragma once
// FCI and FDI seek as the C runtime's _lseek does: from the start, the current position
// or the end, to any place from the start on that a long can hold.

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>

namespace vexa::cab {

inline std::optional<std::uint64_t> SeekTarget(std::uint64_t position, std::uint64_t size, long distance, int origin) {
    if (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) return std::nullopt;
    std::uint64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? position : size;
    std::int64_t target = static_cast<std::int64_t>(base) + distance;
    if (target < 0 || target > std::numeric_limits<long>::max()) return std::nullopt;
    return static_cast<std::uint64_t>(target);
}

}  // namespace vexa::cab
