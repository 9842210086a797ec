#pragma once
// Paths inside formats (cabinet member names, script texts) separate folders with "\" on
// every system. This is the one place where such a path becomes a path of the system the
// program runs on, and back.

#include <filesystem>
#include <string>
#include <string_view>

namespace vexa {

inline constexpr char kNativeSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// Whether this system's file names ignore letter case, as Windows' do. Where they do not,
// a name folded to one case would name another file.
inline constexpr bool kFileNamesIgnoreCase = kNativeSeparator == '\\';

// Both "\" and "/" become the system's separator; nothing else changes.
std::filesystem::path NativePath(std::string_view formatPath);
// The system's separators become "\".
std::string FormatPath(std::string_view nativePath);

}  // namespace vexa
