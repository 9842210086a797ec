#include "common/file_beside.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// The temporary file as Files::CreateTempFileIn would make it, written.
std::string Written(const TempDir& dir, const std::string& bytes) {
    std::string path = dir / "~vx1.tmp";
    WriteFile(path, bytes);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    return path;
}

std::size_t Entries(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
}

TEST(FileBeside, CommitPutsTheNewFileInPlaceWithThePermissionsOfTheOld) {
    TempDir dir;
    WriteFile(dir / "target", "old");
    const fs::perms kShared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "target", kShared);
    {
        FileBeside file(dir / "target", Written(dir, "new"));
        ASSERT_TRUE(file.Made());
        EXPECT_EQ(ReadFile(dir / "target"), "old");  // until the commit
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(ReadFile(dir / "target"), "new");
    EXPECT_EQ(Entries(dir), 1u);
#ifndef _WIN32  // Windows keeps only the read-only bit
    EXPECT_EQ(fs::status(dir / "target").permissions(), kShared);
#endif
}

TEST(FileBeside, ANewFileIsAsReadableAsItsFolderAndMayBeMadeExecutable) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    FileBeside file(dir / "program", Written(dir, "new"));
    EXPECT_FALSE(file.Commit(fs::perms::owner_exec));
    EXPECT_EQ(ReadFile(dir / "program"), "new");
#ifndef _WIN32
    EXPECT_EQ(fs::status(dir / "program").permissions(), fs::perms::owner_all | fs::perms::group_read);
#endif
}

// Whatever stops the writer, the target stays as it was and the temporary file goes.
TEST(FileBeside, WithoutACommitOrWhenItFailsTheTargetStaysAndTheTemporaryGoes) {
    TempDir dir;
    WriteFile(dir / "kept", "old");
    WriteFile(dir / "read-only", "old");
    fs::permissions(dir / "read-only", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::create_directories(dir / "folder");
    { FileBeside abandoned(dir / "kept", Written(dir, "new")); }
    for (const char* target : {"read-only", "folder"}) {
        FileBeside refused(dir / target, Written(dir, "new"));
        EXPECT_TRUE(refused.Commit()) << target;
    }
    EXPECT_EQ(ReadFile(dir / "kept"), "old");
    EXPECT_EQ(ReadFile(dir / "read-only"), "old");
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
    EXPECT_EQ(Entries(dir), 3u);

    FileBeside none(dir / "kept", std::nullopt);
    EXPECT_FALSE(none.Made());
    EXPECT_TRUE(none.Commit());
}

// A copy goes into the made file, which the system may not let a copy write over.
TEST(FileBeside, ACopyFillsTheNewFile) {
    TempDir dir;
    WriteFile(dir / "source", "copied");
    WriteFile(dir / "target", "old");
    FileBeside file(dir / "target", Written(dir, "made"));
    ASSERT_TRUE(file.CopyFrom(dir / "source"));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(ReadFile(dir / "target"), "copied");
    EXPECT_FALSE(FileBeside(dir / "other", Written(dir, "made")).CopyFrom(dir / "missing"));
    EXPECT_EQ(Entries(dir), 2u);
}

TEST(FileBeside, TheSameFileIsFoundWhateverTheSpellingOrTheLink) {
    TempDir dir;
    WriteFile(dir / "a", "x");
    WriteFile(dir / "b", "x");
    fs::create_hard_link(dir / "a", dir / "linked");
    fs::create_directories(dir / "sub");
    EXPECT_TRUE(IsSameFile(dir / "a", (dir.path() / "sub" / ".." / "a").string()));
    EXPECT_TRUE(IsSameFile(dir / "a", dir / "linked"));
    EXPECT_FALSE(IsSameFile(dir / "a", dir / "b"));
    EXPECT_FALSE(IsSameFile(dir / "a", dir / "missing"));
    EXPECT_FALSE(IsSameFile(dir / "missing", dir / "missing"));
}

TEST(FileBeside, TheTemporaryFileGoesBesideTheTarget) {
    EXPECT_EQ(FileBeside::FolderOf("out.cab"), ".");
    EXPECT_EQ(FileBeside::FolderOf(fs::path("dir") / "out.cab"), "dir");
}

}  // namespace
}  // namespace vexa
