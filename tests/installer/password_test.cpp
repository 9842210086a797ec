#include "installer/password.hpp"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace vexa::installer {
namespace {

constexpr const char* kSalt = "0123456789abcdef0123456789abcdef";
// SHA-256 of the salt text followed by "secret", computed by another tool.
constexpr const char* kSecretDigest = "0bcca54fe4bc681d31dd1922d1cf4e8e3d4548a4bcca8fd33d47cbec06fd41e0";

TEST(Password, EncodesWithTheSaltOfTheSetting) {
    std::string setting = std::string(kSalt) + "$" + kSecretDigest;
    EXPECT_EQ(EncodePassword("secret", setting), setting);
    EXPECT_NE(EncodePassword("Secret", setting), setting);
    EXPECT_NE(EncodePassword("secret ", setting), setting);
}

TEST(Password, MadeSettingsMatchTheirPasswordOnlyAndHaveFreshSalts) {
    std::string first = MakePasswordSetting("open sesame");
    std::string second = MakePasswordSetting("open sesame");
    EXPECT_TRUE(std::regex_match(first, std::regex("[0-9a-f]{32}\\$[0-9a-f]{64}"))) << first;
    EXPECT_NE(first.substr(0, 32), second.substr(0, 32));
    EXPECT_EQ(EncodePassword("open sesame", first), first);
    EXPECT_EQ(EncodePassword("open sesame", second), second);
    EXPECT_NE(EncodePassword("open sesam", first), first);
}

TEST(Password, AnEmptyEntryEncodesToNothing) {
    EXPECT_EQ(EncodePassword("", MakePasswordSetting("x")), "");
    EXPECT_EQ(EncodePassword("", ""), "");
    EXPECT_EQ(MakePasswordSetting(""), "");
}

TEST(Password, MalformedSettingsAreNeverMatched) {
    // A setting without a salt separator, written by hand, must not be a password that
    // some entry happens to encode to, nor crash the comparison.
    for (std::string setting : {std::string("secret"), std::string(kSecretDigest), std::string(kSalt), std::string()}) {
        for (std::string entry : {"secret", "x", "$"}) {
            EXPECT_NE(EncodePassword(entry, setting), setting) << setting << " / " << entry;
        }
    }
    // Only the text before the first "$" is the salt.
    std::string twoSeparators = std::string(kSalt) + "$" + kSecretDigest + "$more";
    EXPECT_EQ(EncodePassword("secret", twoSeparators), std::string(kSalt) + "$" + kSecretDigest);
}

}  // namespace
}  // namespace vexa::installer
