#pragma once
// Registry path texts: key levels joined by "->", as in
// "SOFTWARE->Microsoft->Windows->CurrentVersion", or by "\" as the system writes them
// ("SOFTWARE\Microsoft\Windows"). Keys are opened or created one level after the other,
// so the levels are what callers walk.

#include <string>
#include <string_view>
#include <vector>

namespace vexa {

inline constexpr std::string_view kRegistryLevelSeparator = "->";

// Both separators split, in any mix: a key name cannot hold a "\", and the system's calls
// would take one inside a level as the start of another. Empty levels (from "A->->B", a
// leading or a trailing separator) are dropped: a key name is never empty.
std::vector<std::string> SplitRegistryPath(std::string_view path);

}  // namespace vexa
