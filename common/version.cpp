#include "common/version.hpp"

#include <algorithm>
#include <limits>

#include "common/text.hpp"

namespace vexa {
namespace {

// Leading blanks skipped, reading stops at the first non-digit; no sign.
std::uint32_t ReadPart(std::string_view text) {
    text = TrimLeft(text);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) return 0;
    auto value = ReadLeadingNumber(text);
    return static_cast<std::uint32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

Version ParseVersion(std::string_view text) {
    const char separator = text.find(',') != std::string_view::npos ? ',' : '.';
    Version version;
    // The fourth part is the rest of the text: "1,2,3,4,5" reads as 1.2.3.4.
    for (std::size_t i = 0; i < 4 && !text.empty(); ++i) {
        std::size_t cut = i < 3 ? text.find(separator) : std::string_view::npos;
        version.parts[i] = ReadPart(text.substr(0, cut));
        text = cut == std::string_view::npos ? std::string_view{} : text.substr(cut + 1);
    }
    return version;
}

}  // namespace vexa
