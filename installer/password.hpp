#pragma once
// The installation password. The script holds only a one-way form of it: a random salt,
// "$", and the SHA-256 of salt and password in lower-case hex. An entry is encoded with
// the salt of the setting it is compared with.

#include <string>
#include <string_view>

namespace vexa::installer {

// The encoded form of `entry` under the salt of `setting`; empty for an empty entry.
std::string EncodePassword(std::string_view entry, std::string_view setting);
// A new setting for `password`, with a fresh random salt.
std::string MakePasswordSetting(std::string_view password);

}  // namespace vexa::installer
