#pragma once
// Replacing a file with a copy of another: the copy is written beside the target and
// renamed over it, so the target is never left half written, and a target that the system
// will not let go (a library in use on Windows) stays as it was.

#include <filesystem>

namespace vexa {

bool ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace vexa
