#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

bool AppearsWithin(const std::string& path, std::chrono::seconds limit) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (fs::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(Shell, OpensAProgramWithoutWaitingForIt) {
    testing::TempDir dir;
    std::string program = dir / fs::path(VEXA_SHELL_FIXTURE).filename().string();
    fs::copy_file(VEXA_SHELL_FIXTURE, program);
    NativePlatform platform;
    ASSERT_TRUE(platform.Get().shell.Open(program));
    EXPECT_TRUE(AppearsWithin(program + ".ran", std::chrono::seconds(20)));
}

TEST(Shell, NothingToOpenIsAFailure) {
    testing::TempDir dir;
    NativePlatform platform;
    EXPECT_FALSE(platform.Get().shell.Open(""));
    EXPECT_FALSE(platform.Get().shell.Open(dir / "missing.exe"));
}

TEST(Shell, SpecialFoldersAreDistinctFoldersWithoutATrailingSeparator) {
    NativePlatform platform;
    Shell& shell = platform.Get().shell;
    std::set<std::string> seen;
    for (SpecialFolder folder : {SpecialFolder::Windows, SpecialFolder::System, SpecialFolder::Temp,
                                 SpecialFolder::ProgramFiles, SpecialFolder::Programs, SpecialFolder::Startup}) {
        std::string path = shell.FolderPath(folder);
        ASSERT_FALSE(path.empty()) << static_cast<int>(folder);
        EXPECT_TRUE(fs::is_directory(path)) << path;
        EXPECT_NE(path.back(), '\\') << path;
        EXPECT_NE(path.back(), '/') << path;
        seen.insert(path);
    }
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_TRUE(fs::equivalent(fs::path(shell.FolderPath(SpecialFolder::System)).parent_path(),
                               shell.FolderPath(SpecialFolder::Windows)));
    EXPECT_TRUE(fs::equivalent(fs::path(shell.FolderPath(SpecialFolder::Startup)).parent_path(),
                               shell.FolderPath(SpecialFolder::Programs)));
}

}  // namespace
}  // namespace vexa
