// What the POSIX registry adds to the contract: one database shared by processes.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/sqlite_registry.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

// Each child writes values of its own into one key and creates keys that all of them
// create, starting together so that their transactions overlap.
TEST(SqliteRegistry, WritersInSeveralProcessesLoseNothing) {
    testing::TempDir dir;
    const std::string database = dir / "registry.sqlite3";
    constexpr int kChildren = 3;
    constexpr int kWrites = 60;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char go;
            (void)::read(start[0], &go, 1);  // returns once the parent closes its end
            SqliteRegistry registry(database);
            bool allWritten = true;
            for (int i = 0; i < kWrites; ++i) {
                std::string name = std::to_string(c) + "-" + std::to_string(i);
                allWritten &= registry.WriteString(kMachine, {"Shared"}, name, name);
                allWritten &= registry.CreateKey(kMachine, {"Shared", "Common " + std::to_string(i % 7)});
            }
            ::_exit(allWritten ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    SqliteRegistry registry(database);
    EXPECT_EQ(registry.ValueNames(kMachine, {"Shared"}).size(), std::size_t{kChildren * kWrites});
    EXPECT_EQ(registry.SubKeys(kMachine, {"Shared"}).size(), 7u);
    EXPECT_EQ(registry.ReadString(kMachine, {"shared"}, "2-59"), "2-59");
}

TEST(SqliteRegistry, ADatabaseThatCannotBeOpenedFailsEveryOperation) {
    testing::TempDir dir;
    SqliteRegistry registry(dir.path() / "missing folder" / "registry.sqlite3");
    EXPECT_FALSE(registry.CreateKey(kMachine, {"Key"}));
    EXPECT_FALSE(registry.WriteString(kMachine, {"Key"}, "Name", "value"));
    EXPECT_FALSE(registry.KeyExists(kMachine, {}));
    EXPECT_EQ(registry.ReadString(kMachine, {"Key"}, "Name"), std::nullopt);
    EXPECT_TRUE(registry.SubKeys(kMachine, {}).empty());
}

}  // namespace
}  // namespace vexa
