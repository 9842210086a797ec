#pragma once
// Whether a member's stored name stays inside the folder it is expanded into. Callers
// join destination and name, so the check belongs to the codec: every caller is covered.

#include <cstdint>
#include <string_view>

namespace vexa::cab {

inline constexpr std::uint16_t kUtf8NameAttribute = 0x80;

// Refuses names that are empty, absolute or rooted ("\" or "/" first), carry a drive or
// any ":", or have a ".." component ("\" and "/" both separate components). A name marked
// as UTF-8 must be well-formed UTF-8.
bool IsSafeMemberName(std::string_view name, std::uint16_t attributes);

// The attributes a maker stores a name with: the UTF-8 mark on a name beyond ASCII that is
// well-formed UTF-8, so that readers on every system decode it alike, and on no other name.
// Other 8-bit names are stored as they are, in no particular code page.
std::uint16_t NameAttributes(std::string_view name, std::uint16_t attributes);

}  // namespace vexa::cab
