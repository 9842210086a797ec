// A file held by another process, on POSIX systems, where the hold is a lock that the
// system would not enforce on its own.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/posix_files.hpp"
#include "tests/support/temp_dir.hpp"

extern char** environ;

namespace vexa {
namespace {

namespace fs = std::filesystem;

// A forked child that holds `path`, starts a long-running program and waits to be killed.
// It reports the program's process id, or 0 if it could not hold the file.
class Holder {
public:
    explicit Holder(const std::string& path) {
        int report[2];
        if (::pipe(report) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) Hold(path, report[1]);
        ::close(report[1]);
        if (::read(report[0], &program_, sizeof program_) != sizeof program_) program_ = 0;
        ::close(report[0]);
    }
    ~Holder() {
        Kill(program_);
        Kill(pid_);
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool Holds() const { return program_ > 0; }
    void End() {
        Kill(pid_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    [[noreturn]] static void Hold(const std::string& path, int report) {
        PosixFiles files;
        auto held = files.CreateHeldFile(path);
        pid_t program = 0;
        char sleep[] = "sleep";
        char seconds[] = "60";
        char* argv[] = {sleep, seconds, nullptr};
        if (held && ::posix_spawnp(&program, "sleep", nullptr, nullptr, argv, environ) != 0) program = 0;
        (void)::write(report, &program, sizeof program);
        ::pause();
        ::_exit(0);
    }
    static void Kill(pid_t pid) {
        if (pid > 0) ::kill(pid, SIGKILL);
    }

    pid_t pid_ = 0;
    pid_t program_ = 0;
};

TEST(HeldFileAcrossProcesses, HeldUntilTheHolderEndsWhateverItStarted) {
    testing::TempDir dir;
    const std::string marker = dir / "live.txt";
    PosixFiles files;
    Holder holder(marker);
    ASSERT_TRUE(holder.Holds());
    EXPECT_FALSE(files.DeleteUnlessHeld(marker));
    EXPECT_TRUE(fs::exists(marker));

    // The program the holder started still runs, but holds nothing.
    holder.End();
    EXPECT_TRUE(files.DeleteUnlessHeld(marker));
    EXPECT_FALSE(fs::exists(marker));
}

}  // namespace
}  // namespace vexa
