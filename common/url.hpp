#pragma once
// URL text as the loader handles it: split, canonicalised, combined with a page
// address. Text is taken as bytes; nothing is converted between code pages.
//
// Backslashes: pages opened from disk or a share may use "\" where a URL has "/".
// In a path both count as a separator and are kept as written; "\" also ends the
// host part. A Windows file name used as a reference ("C:\..." or "\\server\...")
// is not a URL, so it is not combined with anything.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vexa {

struct UrlParts {
    std::string scheme;
    std::string user;
    std::string password;
    std::string host;  // an IPv6 address keeps its brackets
    std::string port;
    std::string path;
    std::string extra;  // "?query#fragment" as written, from the first "?" or "#"

    bool operator==(const UrlParts&) const = default;
};

// Null when the text has no scheme. A drive letter ("C:\", "C:/") is not a scheme.
std::optional<UrlParts> SplitUrl(std::string_view url);

// The system splits a URL into buffers of 300 characters, terminator included: a scheme,
// host, path or extra part longer than this cannot be split.
inline constexpr std::size_t kUrlPartLimit = 299;
bool UrlPartsFit(const UrlParts& parts);

// Decodes %XX escapes (a malformed escape, and %00, stay as written), encodes
// nothing, and removes the dot segments of the path. Text without a scheme is
// only decoded.
std::string CanonicalizeUrl(std::string_view url);

// Resolves reference against base by the strict rules of RFC 3986 section 5.2 and
// canonicalises the result. In file URLs a drive ("/C:") is the root of the path.
// Null when base has no scheme or reference is a Windows file name.
std::optional<std::string> CombineUrl(std::string_view base, std::string_view reference);

// The directory URL of a page, the base for the names its script refers to:
// canonicalised (as given when the result has 300 characters or more), query and
// fragment cut, the last two characters dropped when the first of them is "\",
// then everything up to and including the last "/" or "\". Empty without either.
std::string PageBaseUrl(std::string_view pageUrl);

}  // namespace vexa
