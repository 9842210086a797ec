#pragma once
// File signatures: a text fingerprint of a file's bytes that scripts carry beside each
// cabinet, so that damaged, truncated or stale downloads are refused.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.hpp"

namespace vexa {

// The 16-bit signature checksum of n bytes, continuing from crc (0 starts afresh).
std::uint16_t SignatureChecksum(const unsigned char* data, std::size_t n, std::uint16_t crc = 0);

// The long form ("1-" and 88 lowercase hexadecimal digits), or "" if the file cannot be
// opened, is empty or cannot be read in full.
std::string GenerateFileSignature(Files& files, const std::string& filename);

// A signature as a script carries it, without the remark behind its last apostrophe and
// without surrounding white space.
std::string_view BareSignature(std::string_view signature);
// Whether the text has the long form's shape: "1-" and 88 lowercase hexadecimal digits.
bool IsLongSignature(std::string_view text);

// True only if the file's long form equals the bare signature.
bool VerifyFile(Files& files, const std::string& filename, std::string_view signature);

// The short form: W0 in hexadecimal, "-", the decimal checksum of the block words' digits.
// Serves as a file-name stem. Any text is accepted; "" gives "0-0".
std::string LongSigToShortSig(std::string_view longSignature);

}  // namespace vexa
