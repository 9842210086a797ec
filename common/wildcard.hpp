#pragma once
// File-name patterns as the system's directory searches read them: "*" is any run of
// characters, "?" any one character, letters match either case, and "*.*" matches every
// name, with or without a dot.

#include <string_view>

namespace vexa {

bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace vexa
