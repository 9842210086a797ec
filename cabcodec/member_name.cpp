#include "cabcodec/member_name.hpp"

#include <algorithm>

namespace vexa::cab {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Windows drops trailing dots and spaces from a path component, so "..." and ".. " reach
// the parent folder as surely as "..".
bool ClimbsUp(std::string_view component) {
    int dots = 0;
    for (char c : component) {
        if (c == '.') {
            ++dots;
        } else if (c != ' ') {
            return false;
        }
    }
    return dots >= 2;
}

// Overlong forms are refused: a lax decoder turns "\xC0\xAF" into "/".
bool IsWellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
                                  : lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
        if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return false;
        std::uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

}  // namespace

bool IsSafeMemberName(std::string_view name, std::uint16_t attributes) {
    if (name.empty() || IsSeparator(name.front()) || name.find(':') != std::string_view::npos) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (ClimbsUp(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return (attributes & kUtf8NameAttribute) == 0 || IsWellFormedUtf8(name);
}

std::uint16_t NameAttributes(std::string_view name, std::uint16_t attributes) {
    bool beyondAscii = std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    auto plain = static_cast<std::uint16_t>(attributes & ~kUtf8NameAttribute);
    return beyondAscii && IsWellFormedUtf8(name) ? static_cast<std::uint16_t>(plain | kUtf8NameAttribute) : plain;
}

}  // namespace vexa::cab
