#pragma once
// The record of an installation, appended to its uninstall program: the lines (product
// name, install directory, program group, then every file installed, the uninstall program
// last), each ending in CR LF, and a 32-byte trailer: "BRINDELLORGEXESIZE" and the
// program's own length in 14 characters, right-aligned.

#include <optional>
#include <string>
#include <vector>

#include "platform/files.hpp"

namespace vexa::installer {

inline constexpr std::string_view kRecordMarker = "BRINDELLORGEXESIZE";
inline constexpr std::size_t kTrailerSize = 32;

// The record's lines; empty when the file carries none; nullopt when it cannot be opened.
std::optional<std::vector<std::string>> ReadUninstallRecord(Files& files, const std::string& path);
// The record read from the file's bytes (for the reader above and its fuzzer).
std::vector<std::string> RecordLinesOf(std::string_view bytes);
// Replaces the file with its program (an older record left out) followed by `lines` and a
// new trailer, written beside it and renamed over it, so a failed write leaves it as it was.
bool WriteUninstallRecord(Files& files, const std::string& path, const std::vector<std::string>& lines);

}  // namespace vexa::installer
