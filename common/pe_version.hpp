#pragma once
// The "FileVersion" text of a Windows program or library, read from the version resource
// in its bytes as the system's version functions find it: the first translation's string
// table, else US English with the Windows ANSI code page ("040904E4"). The bytes may be
// hostile: anything out of bounds or malformed reads as no version.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vexa {

// Reads up to n bytes at offset into `into`; returns how many were read. Only the
// headers, the resource directory and the version block are read, never the whole file.
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, unsigned char* into, std::size_t n)>;

// Empty when the file has no such text. The UTF-16 text becomes 8-bit text: characters
// above U+00FF become "?".
std::string PeFileVersion(const ReadBytesAt& read);
std::string PeFileVersion(std::string_view bytes);

}  // namespace vexa
