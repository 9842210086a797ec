#pragma once
// Registry path texts: key levels joined by "->", as in
// "SOFTWARE->Microsoft->Windows->CurrentVersion". Keys are opened or created one level
// after the other, so the levels are what callers walk.

#include <string>
#include <string_view>
#include <vector>

namespace vexa {

inline constexpr std::string_view kRegistryLevelSeparator = "->";

// Empty levels (from "A->->B", a leading or a trailing "->") are dropped: a key name is never empty.
std::vector<std::string> SplitRegistryPath(std::string_view path);

}  // namespace vexa
