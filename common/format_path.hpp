#pragma once
// Paths inside formats (cabinet member names, script texts) separate folders with "\" on
// every system. This is the one place where such a path becomes a path of the system the
// program runs on.

#include <filesystem>
#include <string_view>

namespace vexa {

// Both "\" and "/" become the system's separator; nothing else changes.
std::filesystem::path NativePath(std::string_view formatPath);

}  // namespace vexa
