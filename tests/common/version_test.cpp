#include "common/version.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using Parts = std::array<std::uint32_t, 4>;

TEST(Version, ParsesTextsOfOneToFourParts) {
    const struct { const char* text; Parts parts; } cases[] = {
        {"5,00,3724", {5, 0, 3724, 0}},
        {"2", {2, 0, 0, 0}},
        {"2,3,0,35", {2, 3, 0, 35}},
        {"1.2.3.4", {1, 2, 3, 4}},
        {"2, 0, 0, 39", {2, 0, 0, 39}},   // blanks before a number are skipped
        {"1.2,3", {1, 3, 0, 0}},          // a comma makes "," the separator: "1.2" reads as 1
        {"1,2,3,4,5", {1, 2, 3, 4}},      // the fourth part is the rest
        {"", {0, 0, 0, 0}},
        {"x,,7y", {0, 0, 7, 0}},
        {"99999999999,1", {4294967295u, 1, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseVersion(c.text).parts, c.parts) << c.text;
}

TEST(Version, ComparesPartByPartFromTheLeft) {
    EXPECT_LT(ParseVersion("5,0,3724,0"), ParseVersion("5,0,3724,1"));
    EXPECT_LT(ParseVersion("1,9,9,9"), ParseVersion("2"));
    EXPECT_GT(ParseVersion("1.10"), ParseVersion("1.9"));
    EXPECT_EQ(ParseVersion("5,00,3724"), ParseVersion("5.0.3724.0"));
    EXPECT_EQ(ParseVersion(""), ParseVersion("0,0,0,0"));
}

}  // namespace
}  // namespace vexa
