// `vexa cache` over the Internet cache and what interrupted downloads leave there, against
// the test program's own prefix.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "tests/support/temp_dir.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

bool Says(const Outcome& outcome, const std::string& text) { return outcome.output.find(text) != std::string::npos; }

// A file held as a live run or a live transfer holds it.
class Hold {
public:
    explicit Hold(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_SH);
    }
    ~Hold() { Release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    void Release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

void MakeOld(const fs::path& path) { fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1)); }

TEST(VexaCache, TheInternetCacheIsListedItsLeftoversHousekeptAndItsEntriesClearedUnlessInUse) {
    const fs::path prefix = std::getenv("VEXA_PREFIX");
    const fs::path internet = prefix / "Internet Cache";
    const fs::path temp = prefix / "windows" / "Temporary VexaWeb Files" / "Temp";
    fs::create_directories(internet);
    fs::create_directories(temp / "~pr1");
    struct File {
        const char* name;
        bool old;
    };
    for (const File& file : {File{"setup[0123456789abcdef].cab", true}, File{"fresh[fedcba9876543210].cab", false},
                             File{".incoming-dead01", true}, File{".incoming-live01", true},
                             File{".incoming-new001", false}, File{"notes.txt", true}, File{"odd[xyz].cab", true}}) {
        WriteFile((internet / file.name).string(), "12345");
        if (file.old) MakeOld(internet / file.name);
    }
    Hold transfer(internet / ".incoming-live01");
    Hold run(temp / "~pr1" / "dntdlt.Flg");

    Outcome list = Vexa({"cache", "list"});
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_TRUE(Says(list, "Internet cache: " + internet.string())) << list.output;
    EXPECT_TRUE(Says(list, "setup[0123456789abcdef].cab  (5 bytes)")) << list.output;
    EXPECT_TRUE(Says(list, ".incoming-dead01  (partial download, 5 bytes)")) << list.output;
    EXPECT_FALSE(Says(list, "notes.txt")) << list.output;
    EXPECT_FALSE(Says(list, "odd[xyz].cab")) << list.output;

    // Only the partial download that nobody holds or wrote lately goes.
    Outcome housekeep = Vexa({"cache", "housekeep"});
    EXPECT_EQ(housekeep.status, 0) << housekeep.output;
    EXPECT_TRUE(Says(housekeep, "left " + (temp / "~pr1").string() + ": its run is going")) << housekeep.output;
    EXPECT_FALSE(fs::exists(internet / ".incoming-dead01"));
    for (const char* kept : {"setup[0123456789abcdef].cab", "fresh[fedcba9876543210].cab", ".incoming-live01",
                             ".incoming-new001", "notes.txt", "odd[xyz].cab"})
        EXPECT_TRUE(fs::exists(internet / kept)) << kept;

    // While a run is going it may still read what it fetched.
    Outcome duringRun = Vexa({"cache", "clear"});
    EXPECT_TRUE(Says(duringRun, "the Internet cache is left as it is while a run is going")) << duringRun.output;
    EXPECT_TRUE(fs::exists(internet / "setup[0123456789abcdef].cab"));

    run.Release();
    Outcome cleared = Vexa({"cache", "clear"});
    EXPECT_EQ(cleared.status, 0) << cleared.output;
    EXPECT_TRUE(Says(cleared, "removed " + (internet / "setup[0123456789abcdef].cab").string())) << cleared.output;
    EXPECT_FALSE(fs::exists(internet / "setup[0123456789abcdef].cab"));
    EXPECT_FALSE(fs::exists(temp / "~pr1"));
    // A download that has just ended may be on its way to its checks; a held body is being written.
    for (const char* kept : {"fresh[fedcba9876543210].cab", ".incoming-live01", ".incoming-new001", "notes.txt",
                             "odd[xyz].cab"})
        EXPECT_TRUE(fs::exists(internet / kept)) << kept;

    transfer.Release();
    EXPECT_TRUE(Says(Vexa({"cache", "housekeep"}), "removed " + (internet / ".incoming-live01").string()));
}

}  // namespace
}  // namespace vexa::testing
