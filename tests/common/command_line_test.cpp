#include "common/command_line.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(CommandLine, SplitsAsTheWindowsRuntimeDoes) {
    using Arguments = std::vector<std::string>;
    const struct {
        const char* text;
        Arguments arguments;
    } cases[] = {
        {"", {}},
        {" \t ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"  a   b  ", {"a", "b"}},
        {"\"two words\" bare", {"two words", "bare"}},
        {"pre\"fix mid\"post next", {"prefix midpost", "next"}},
        {"\"\"", {""}},
        {"a \"\" b", {"a", "", "b"}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"C:\\dir\\file.txt", {"C:\\dir\\file.txt"}},
        {"\"C:\\dir\\\\\"", {"C:\\dir\\"}},          // 2n backslashes before a quote: n, and the quote groups
        {"a\\\\\\\"b", {"a\\\"b"}},                  // 2n+1: n and a literal quote
        {"\\\"quoted\\\" text", {"\"quoted\"", "text"}},
        {"end\\\\", {"end\\\\"}},                    // no quote follows: kept as they are
        {"\"say \"\"hi\"\" now\"", {"say \"hi\" now"}},  // "" inside quotes is one quote
        {"\"a\"\" b", {"a\" b"}},
        {"a\"\"b", {"ab"}},                          // outside quotes "" is an empty group
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.arguments) << c.text;
}

}  // namespace
}  // namespace vexa
