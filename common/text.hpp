#pragma once
// Text helpers for the system's 8-bit texts. Case folding touches ASCII letters only:
// other bytes pass through unchanged, whatever the code page.

#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

// Blank, tab, CR, LF, vertical tab, form feed.
bool IsWhiteSpace(char c);
std::string_view TrimLeft(std::string_view text);
std::string_view Trim(std::string_view text);

char ToUpperAnsi(char c);
std::string ToUpperAnsi(std::string_view text);
std::string ToLowerAnsi(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
// Position of the first occurrence of `needle` in `text`, ignoring case; npos if none.
std::size_t FindIgnoreCase(std::string_view text, std::string_view needle);

// Every occurrence of `find` replaced, scanning left to right without searching the
// inserted text again. An empty `find` changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// The usual leading-digits conversion: leading white space and one sign are skipped,
// reading stops at the first non-digit, a text without digits reads as 0. Saturates.
std::int64_t ReadLeadingNumber(std::string_view text);

// Directory strings end in a separator once resolved: "\" for paths, "/" for URLs.
bool EndsWithSeparator(std::string_view text);
std::string WithTrailingSeparator(std::string_view directory, char separator);

}  // namespace vexa
