#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cabcodec/win32/seekable_spool.hpp"

namespace vexa::cab {
namespace {

class StringTemporary final : public TemporaryFile {
public:
    bool Write(const unsigned char* data, std::size_t n) override {
        bytes_.append(reinterpret_cast<const char*>(data), n);
        return true;
    }
    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        std::size_t got = offset < bytes_.size() ? std::min<std::size_t>(n, bytes_.size() - offset) : 0;
        std::memcpy(into, bytes_.data() + offset, got);
        return got;
    }

private:
    std::string bytes_;
};

struct Write {
    std::uint64_t at;
    std::string bytes;
    bool accepted = true;
};

struct SpoolCase {
    const char* label;
    std::vector<Write> writes;
    std::string expected;
};

class SpoolWrites : public ::testing::TestWithParam<SpoolCase> {};

TEST_P(SpoolWrites, ReadBackAsAFileWouldBe) {
    SeekableSpool spool(std::make_unique<StringTemporary>());
    for (const auto& write : GetParam().writes) {
        EXPECT_EQ(spool.Write(write.at, reinterpret_cast<const unsigned char*>(write.bytes.data()), write.bytes.size()),
                  write.accepted)
            << write.at;
    }
    std::string read(GetParam().expected.size() + 5, '?');
    auto got = spool.ReadAt(0, reinterpret_cast<unsigned char*>(read.data()), read.size());
    ASSERT_TRUE(got);
    EXPECT_EQ(read.substr(0, *got), GetParam().expected);
    EXPECT_EQ(spool.Size(), GetParam().expected.size());
    // A read from the middle sees the patches too.
    std::string tail(2, '?');
    ASSERT_EQ(spool.ReadAt(1, reinterpret_cast<unsigned char*>(tail.data()), 2), 2u);
    EXPECT_EQ(tail, GetParam().expected.substr(1, 2));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpoolWrites,
    ::testing::Values(
        SpoolCase{"Appends", {{0, "ab"}, {2, "cd"}}, "abcd"},
        SpoolCase{"SignatureCorrected", {{0, "!CAB...."}, {0, "MSCF"}}, "MSCF...."},
        SpoolCase{"StraddlesTheEnd", {{0, "abcd"}, {2, "XYZW"}}, "abXYZW"},
        SpoolCase{"LaterPatchWins", {{0, "abcd"}, {1, "11"}, {2, "2"}}, "a12d"},
        SpoolCase{"GapRefused", {{0, "abcd"}, {5, "x", false}}, "abcd"},
        SpoolCase{"PatchesBeyondTheLimitRefused",
                  {{0, std::string(SeekableSpool::kMaxPatched + 1, 'a')},
                   {0, std::string(SeekableSpool::kMaxPatched, 'b')},
                   {0, "c", false}},
                  std::string(SeekableSpool::kMaxPatched, 'b') + "a"}),
    [](const auto& param) { return param.param.label; });

}  // namespace
}  // namespace vexa::cab
