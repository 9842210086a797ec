#pragma once
// Version texts: up to four decimal numbers separated by "," (or by "." when the text
// holds no comma), missing parts 0. "5,00,3724" is 5.0.3724.0.

#include <array>
#include <compare>
#include <cstdint>
#include <string_view>

namespace vexa {

struct Version {
    std::array<std::uint32_t, 4> parts{};
    // Part by part from the first; the first unequal part decides.
    auto operator<=>(const Version&) const = default;
};

Version ParseVersion(std::string_view text);

}  // namespace vexa
