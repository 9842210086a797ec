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

}  // namespace
}  // namespace vexa::cab
