#include <gtest/gtest.h>

#include "cabcodec/member_name.hpp"

namespace vexa::cab {
namespace {

struct NameCase {
    const char* name;
    std::uint16_t attributes;
    bool safe;
};

class MemberName : public ::testing::TestWithParam<NameCase> {};

TEST_P(MemberName, StaysInsideTheDestination) {
    EXPECT_EQ(IsSafeMemberName(GetParam().name, GetParam().attributes), GetParam().safe) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, MemberName,
    ::testing::Values(NameCase{"readme.txt", 0x20, true}, NameCase{"dir\\sub\\a.txt", 0x20, true},
                      NameCase{"dir/sub/a.txt", 0x20, true}, NameCase{".\\a.txt", 0, true},
                      NameCase{"a..b\\..c", 0, true}, NameCase{"\xe9t\xe9.txt", 0, true},  // 8-bit, not UTF-8
                      NameCase{"\xc3\xa9t\xc3\xa9.txt", 0x80, true},
                      NameCase{"", 0, false}, NameCase{"\\", 0, false}, NameCase{"///", 0, false},
                      NameCase{"\\windows\\win.ini", 0, false}, NameCase{"/etc/passwd", 0, false},
                      NameCase{"C:evil.exe", 0, false}, NameCase{"c:\\evil.exe", 0, false},
                      NameCase{"a.txt:stream", 0, false}, NameCase{"..\\evil", 0, false},
                      NameCase{"dir\\..\\..\\evil", 0, false}, NameCase{"dir/../evil", 0, false},
                      NameCase{"dir\\..", 0, false}, NameCase{"...\\evil", 0, false},
                      NameCase{"dir\\.. \\evil", 0, false},
                      // Overlong "/" and NUL, a surrogate, and a cut sequence, all marked as UTF-8.
                      NameCase{"a\xc0\xaf" "b", 0x80, false}, NameCase{"a\xe0\x80\xaf" "b", 0x80, false},
                      NameCase{"a\xc0\x80", 0x80, false}, NameCase{"\xed\xa0\x80", 0x80, false},
                      NameCase{"a\xc3", 0x80, false}));

// The mark goes on a well-formed UTF-8 name beyond ASCII only; the other bits stay.
TEST(NameAttributes, MarkOnlyTheNamesThatNeedIt) {
    const struct {
        const char* name;
        std::uint16_t given;
        std::uint16_t stored;
    } cases[] = {
        {"readme.txt", 0x21, 0x21},       {"readme.txt", 0xa0, 0x20},        {"\xc3\xa9t\xc3\xa9.txt", 0x21, 0xa1},
        {"\xe9t\xe9.txt", 0x20, 0x20},     {"a\xc0\xaf" "b", 0x20, 0x20},      {"dir\\\xf0\x9f\x93\x81", 0, 0x80},
    };
    for (const auto& c : cases) EXPECT_EQ(NameAttributes(c.name, c.given), c.stored) << c.name;
}

}  // namespace
}  // namespace vexa::cab
