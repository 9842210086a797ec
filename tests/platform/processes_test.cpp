// Programs started through the system's process port: what they are given, and their
// lives from start to release.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/native.hpp"
#include "tests/platform/process_fixture_run.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using test::FixtureRun;

TEST(Processes, ArgumentsArriveSplitAsWindowsProgramsSplitThem) {
    NativePlatform platform;
    testing::TempDir dir;
    FixtureRun run(platform.Get().processes, dir.path());
    ASSERT_TRUE(run.Start("exit", R"(plain "two words" "C:\dir\\" a\"b "say ""hi""")"));
    ASSERT_TRUE(run.WaitForExit());
    std::vector<std::string> expected = {"plain", "two words", "C:\\dir\\", "a\"b", "say \"hi\""};
    EXPECT_EQ(run.Arguments(), expected);
}

// The program lies in a folder with a blank in its name, as under "Program Files".
TEST(Processes, StartsInTheWorkingDirectory) {
    NativePlatform platform;
    testing::TempDir dir;
    FixtureRun run(platform.Get().processes, dir.path());
    fs::path work = run.Folder() / "work folder";
    fs::create_directories(work);
    ASSERT_TRUE(run.Start("exit", "", work.string(), run.CopyOfFixture("program folder")));
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_TRUE(fs::equivalent(run.WorkingDirectory(), work)) << run.WorkingDirectory();
}

TEST(Processes, RunsUntilItEndsOrIsTerminated) {
    NativePlatform platform;
    Processes& processes = platform.Get().processes;
    testing::TempDir dir;
    FixtureRun run(processes, dir.path() / "sleeping");
    ASSERT_TRUE(run.Start("sleep", ""));
    ASSERT_TRUE(run.WaitForReport());
    EXPECT_TRUE(processes.IsActive(run.Process()));
    EXPECT_FALSE(processes.WaitForExit(run.Process(), 50));
    processes.Terminate(run.Process());
    EXPECT_TRUE(processes.WaitForExit(run.Process(), test::kPatienceMs));
    EXPECT_FALSE(processes.IsActive(run.Process()));  // the handle outlives the process until Release

    FixtureRun ending(processes, dir.path() / "ending");
    ASSERT_TRUE(ending.Start("exit", ""));
    ASSERT_TRUE(ending.WaitForExit());
    EXPECT_FALSE(processes.IsActive(ending.Process()));
    processes.Terminate(ending.Process());  // an ended process is left alone
    EXPECT_FALSE(processes.IsActive(ending.Process()));
}

TEST(Processes, WhatCannotBeStartedIsAFailure) {
    NativePlatform platform;
    Processes& processes = platform.Get().processes;
    testing::TempDir dir;
    EXPECT_FALSE(processes.Start(dir / "missing.exe", "", dir.path().string(), WindowShow::Normal));
    EXPECT_FALSE(processes.Start(VEXA_PROCESS_FIXTURE, "report exit", dir / "missing folder", WindowShow::Normal));
}

TEST(Processes, ShortPathNamesTheSameFile) {
    NativePlatform platform;
    Processes& processes = platform.Get().processes;
    testing::TempDir dir;
    fs::create_directories(dir.path() / "a long folder name");
    std::string file = dir / "a long folder name/a long file name.text";
    testing::WriteFile(file, "x");
    std::string shortPath = processes.ShortPath(file);
    EXPECT_TRUE(fs::equivalent(shortPath, file)) << shortPath;
    EXPECT_EQ(processes.ShortPath(dir / "missing file"), dir / "missing file");
}

}  // namespace
}  // namespace vexa
