#include "cabinet/self_extracting.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>

#include "platform/fake/fake_files.hpp"
#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::string Bytes(std::size_t n, unsigned seed) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * seed + i / 251);
    return bytes;
}

std::span<const unsigned char> AsSpan(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// A cabinet larger than the copy buffer, so it is copied in several blocks.
TEST(Cab2Exe, WritesTheStubAndThenTheCabinetUnchanged) {
    TempDir dir;
    NativePlatform platform;
    const std::string stub = Bytes(4096, 3), cabinet = "MSCF" + Bytes(2'500'000, 7);
    WriteFile(dir / "in.cab", cabinet);
    WriteFile(dir / "out.exe", Bytes(3'000'000, 5));  // an older, longer file is replaced

    ASSERT_TRUE(Cab2Exe(platform.Get().files, AsSpan(stub), dir / "in.cab", dir / "out.exe"));
    const std::string out = ReadFile(dir / "out.exe");
    ASSERT_EQ(out.size(), stub.size() + cabinet.size());
    EXPECT_TRUE(out.compare(0, stub.size(), stub) == 0);
    EXPECT_TRUE(out.compare(stub.size(), std::string::npos, cabinet) == 0);
}

TEST(Cab2Exe, MakesNoFileWithoutAStubOrACabinet) {
    TempDir dir;
    NativePlatform platform;
    const std::string stub = Bytes(100, 3);
    WriteFile(dir / "empty.cab", "");
    WriteFile(dir / "good.cab", "MSCF");
    fs::create_directory(dir / "folder.cab");
    const struct {
        const char* label;
        std::string stub;
        const char* cabinet;
    } cases[] = {
        {"empty cabinet file", stub, "empty.cab"},
        {"missing cabinet", stub, "missing.cab"},
        {"folder for a cabinet", stub, "folder.cab"},
        {"empty stub", "", "good.cab"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Cab2Exe(platform.Get().files, AsSpan(c.stub), dir / c.cabinet, dir / "out.exe")) << c.label;
        EXPECT_FALSE(fs::exists(dir / "out.exe")) << c.label;
    }
}

TEST(Cab2Exe, FailsWhenTheCopyCannotBeCompleted) {
    TempDir dir;
    FakeFiles files;
    const std::string stub = Bytes(100, 3);
    files.Put("in.cab", "MSCF" + Bytes(2'500'000, 7));

    EXPECT_FALSE(Cab2Exe(files, AsSpan(stub), "in.cab", dir / "no/such/folder.exe"));

    files.FailReadsFrom("in.cab", 1'500'000);  // in the second block
    WriteFile(dir / "out.exe", "older");
    EXPECT_FALSE(Cab2Exe(files, AsSpan(stub), "in.cab", dir / "out.exe"));
    EXPECT_EQ(ReadFile(dir / "out.exe"), "older");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// The cabinet named as the program too, or through a link, would be replaced by the stub.
TEST(Cab2Exe, NeverWritesOverItsCabinet) {
    TempDir dir;
    NativePlatform platform;
    const std::string cabinet = "MSCF" + Bytes(1000, 7);
    WriteFile(dir / "in.cab", cabinet);
    fs::create_hard_link(dir / "in.cab", dir / "linked.exe");
    for (const std::string& out : {dir / "in.cab", dir / "linked.exe", (dir.path() / "." / "in.cab").string()}) {
        EXPECT_FALSE(Cab2Exe(platform.Get().files, AsSpan(Bytes(100, 3)), dir / "in.cab", out)) << out;
        EXPECT_EQ(ReadFile(dir / "in.cab"), cabinet) << out;
    }
}

}  // namespace
}  // namespace vexa
