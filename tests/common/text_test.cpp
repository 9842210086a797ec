#include "common/text.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(Text, WhiteSpaceIsTheSixControlAndBlankCharacters) {
    for (char c : std::string(" \t\r\n\v\f")) EXPECT_TRUE(IsWhiteSpace(c)) << int(c);
    for (char c : std::string("a0\"'\x01\xa0")) EXPECT_FALSE(IsWhiteSpace(c)) << int(c);
    EXPECT_EQ(Trim(" \t\v\f x y \r\n"), "x y");
    EXPECT_EQ(TrimLeft("\f\vx "), "x ");
    EXPECT_EQ(Trim(" \t "), "");
}

TEST(Text, CaseFoldingTouchesAsciiLettersOnly) {
    EXPECT_EQ(ToUpperAnsi("InstallOcxFile <tempdir>\\a-z{}"), "INSTALLOCXFILE <TEMPDIR>\\A-Z{}");
    EXPECT_EQ(ToUpperAnsi("\xe4\xf6"), "\xe4\xf6");
    EXPECT_TRUE(EqualsIgnoreCase("Execute", "EXECUTE"));
    EXPECT_FALSE(EqualsIgnoreCase("Execute", "Executes"));
    EXPECT_TRUE(StartsWithIgnoreCase("<tempdir>\\x", "<TempDir>"));
    EXPECT_FALSE(StartsWithIgnoreCase("<Temp", "<TempDir>"));
    EXPECT_EQ(FindIgnoreCase("abc <DefaultUrl>/x", "<DEFAULTURL>"), 4u);
    EXPECT_EQ(FindIgnoreCase("abc", "abcd"), std::string_view::npos);
}

TEST(Text, LeadingNumberConversion) {
    const struct { const char* text; std::int64_t value; } cases[] = {
        {"123", 123}, {"  42abc", 42}, {"-7", -7}, {"+8", 8}, {"abc", 0}, {"", 0},
        {"99999999999999999999999", INT64_MAX}, {"12 34", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadLeadingNumber(c.text), c.value) << c.text;
}

TEST(Text, DirectoryStringsGetExactlyOneSeparator) {
    EXPECT_EQ(WithTrailingSeparator("C:\\dir", '\\'), "C:\\dir\\");
    EXPECT_EQ(WithTrailingSeparator("C:\\dir\\", '\\'), "C:\\dir\\");
    EXPECT_EQ(WithTrailingSeparator("http://h/d", '/'), "http://h/d/");
    EXPECT_EQ(WithTrailingSeparator("", '/'), "/");
    EXPECT_TRUE(EndsWithSeparator("a\\"));
    EXPECT_TRUE(EndsWithSeparator("a/"));
    EXPECT_FALSE(EndsWithSeparator("a"));
    EXPECT_FALSE(EndsWithSeparator(""));
}

}  // namespace
}  // namespace vexa
