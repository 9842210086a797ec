#pragma once
// The parts of a path as text: both "\" and "/" separate folders, as the system's own
// path functions accept either.

#include <string_view>

namespace vexa {

// After the last separator; the whole text when there is none.
std::string_view FileNamePart(std::string_view path);
// Up to and including the last separator; empty when there is none.
std::string_view DirectoryPart(std::string_view path);
// Before the last "."; the text unchanged when it has no ".".
std::string_view WithoutExtension(std::string_view name);

}  // namespace vexa
