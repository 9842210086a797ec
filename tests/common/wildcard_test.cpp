#include "common/wildcard.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(Wildcard, MatchesAsDirectorySearchesDo) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.*", "readme", true},
        {"*.*", "a.b.c", true},
        {"*.*", ".hidden", true},
        {"*", "anything.txt", true},
        {"*.txt", "a.TXT", true},
        {"*.txt", "a.txt.bak", false},
        {"*.txt", "txt", false},
        {"a?c.*", "abc.d", true},
        {"a?c.*", "ac.d", false},
        {"readme.*", "readme", true},
        {"readme.*", "README.md", true},
        {"*.", "makefile", true},
        {"*.", "make.file", false},
        {"*b*", "abc", true},
        {"*b*b", "abcb", true},
        {"*b*b", "abcbc", false},
        {"DATA??.bin", "data01.bin", true},
        {"", "", true},
        {"", "a", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

}  // namespace
}  // namespace vexa
