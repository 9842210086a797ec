#include "installer/password.hpp"

#include <random>

#include "common/sha256.hpp"

namespace vexa::installer {

namespace {

constexpr char kSaltEnd = '$';

std::string RandomSalt() {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device random;
    std::uniform_int_distribution<int> byte(0, 255);
    std::string salt;
    for (int i = 0; i < 16; ++i) {
        int b = byte(random);
        salt += kHex[b >> 4];
        salt += kHex[b & 0xF];
    }
    return salt;
}

std::string Encode(std::string_view salt, std::string_view password) {
    Sha256 sha;
    sha.Update(salt);
    sha.Update(password);
    return std::string(salt) + kSaltEnd + sha.HexDigest();
}

}  // namespace

std::string EncodePassword(std::string_view entry, std::string_view setting) {
    if (entry.empty()) return {};
    auto end = setting.find(kSaltEnd);
    // A setting without a salt was not made by us; its value then holds no "$" while every
    // encoding does, so no entry can ever match it.
    if (end == std::string_view::npos) return Encode({}, entry);
    return Encode(setting.substr(0, end), entry);
}

std::string MakePasswordSetting(std::string_view password) {
    if (password.empty()) return {};
    return Encode(RandomSalt(), password);
}

}  // namespace vexa::installer
