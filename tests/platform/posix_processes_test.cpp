// Starting programs on POSIX systems: files expanded without execute permission, and
// Windows programs, which run through Wine.

#include <signal.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/posix_processes.hpp"
#include "tests/platform/process_fixture_run.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// The search path for one test.
class SearchPath {
public:
    explicit SearchPath(const std::string& path) : saved_(::getenv("PATH") ? ::getenv("PATH") : "") {
        ::setenv("PATH", path.c_str(), 1);
    }
    ~SearchPath() { ::setenv("PATH", saved_.c_str(), 1); }
    SearchPath(const SearchPath&) = delete;
    SearchPath& operator=(const SearchPath&) = delete;

private:
    std::string saved_;
};

TEST(PosixProcesses, StartsAProgramWithoutExecutePermission) {
    testing::TempDir dir;
    PosixProcesses processes;
    test::FixtureRun run(processes, dir.path());
    std::string program = run.CopyOfFixture("expanded");
    fs::permissions(program, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::remove);
    ASSERT_TRUE(run.Start("exit", "argument", "", program));
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(run.Arguments(), std::vector<std::string>{"argument"});
}

TEST(PosixProcesses, AProcessMayBeReleasedWhileItRuns) {
    testing::TempDir dir;
    PosixProcesses processes;
    test::FixtureRun run(processes, dir.path());
    ASSERT_TRUE(run.Start("sleep", ""));
    ASSERT_TRUE(run.WaitForReport());
    int pid = static_cast<int>(run.Process());
    processes.Release(run.Process());
    processes.Release(run.Process());
    EXPECT_FALSE(processes.IsActive(run.Process()));  // no longer known, so not ended by the run
    ::kill(pid, SIGKILL);
    // Once it has ended, the next step of the port reaps it: then not even a zombie is left.
    EXPECT_TRUE(test::WaitUntil([&] {
        processes.Release(0);
        return ::kill(pid, 0) != 0;
    }));
}

// A stand-in for Wine on the search path writes where it runs and what it was given.
class ThroughWine : public ::testing::Test {
protected:
    ThroughWine() {
        fs::create_directories(dir_.path() / "bin");
        testing::WriteFile(dir_ / "bin/wine", "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > \"" + report_ + "\"\n");
        fs::permissions(dir_ / "bin/wine", fs::perms::owner_all);
        testing::WriteFile(program_, "MZ and a Windows program's image");
    }

    testing::TempDir dir_;
    std::string report_ = dir_ / "wine.txt";
    std::string program_ = dir_ / "setup.exe";
    PosixProcesses processes_;
};

TEST_F(ThroughWine, WindowsProgramsRunThroughWine) {
    SearchPath path(dir_ / "bin");
    auto started = processes_.Start(program_, R"("two words" x)", dir_.path().string(), WindowShow::Normal);
    ASSERT_TRUE(started);
    EXPECT_TRUE(processes_.WaitForExit(started->process, test::kPatienceMs));
    processes_.Release(started->process);
    std::vector<std::string> report = test::ReportLines(report_);
    ASSERT_EQ(report.size(), 4u);
    EXPECT_TRUE(fs::equivalent(report[0], dir_.path())) << report[0];
    EXPECT_EQ(std::vector<std::string>(report.begin() + 1, report.end()),
              (std::vector<std::string>{program_, "two words", "x"}));
}

TEST_F(ThroughWine, WithoutWineAWindowsProgramDoesNotStart) {
    fs::create_directories(dir_.path() / "empty");
    SearchPath path(dir_ / "empty");
    EXPECT_FALSE(processes_.Start(program_, "", dir_.path().string(), WindowShow::Normal));
}

}  // namespace
}  // namespace vexa
