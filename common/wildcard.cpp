#include "common/wildcard.hpp"

#include "common/text.hpp"

namespace vexa {
namespace {

// Classic glob matching; after a "*" a mismatch retries one character further on.
bool Glob(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || ToUpperAnsi(pattern[p]) == ToUpperAnsi(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

// A pattern ending in ".*" also matches names without any extension ("readme.*" finds
// "readme"), and one ending in a lone "." matches only names without a dot.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (pattern.ends_with(".*") && Glob(pattern.substr(0, pattern.size() - 2), name)) return true;
    if (pattern.ends_with('.') && !pattern.ends_with("..")) {
        return name.find('.') == std::string_view::npos && Glob(pattern.substr(0, pattern.size() - 1), name);
    }
    return Glob(pattern, name);
}

}  // namespace vexa
