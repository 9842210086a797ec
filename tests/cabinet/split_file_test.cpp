#include "cabinet/split_file.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::SystemFiles;
using testing::TempDir;
using testing::WriteFile;

// No temporary file of a writer is left in the folder.
bool OnlyTheseIn(const fs::path& folder, std::set<std::string> names) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) found.insert(entry.path().filename().string());
    return found == names;
}

std::string Bytes(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

TEST(SplitFile, CutsIntoEqualPiecesWithTheRestInTheLast) {
    TempDir dir;
    const struct { std::size_t size; long n; std::vector<std::size_t> pieces; } cases[] = {
        {10, 3, {3, 3, 4}},
        {10, 10, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {1000, 1000, std::vector<std::size_t>(1000, 1)},
        {100, 12, {8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 12}},
        {3 << 20, 2, {3 << 19, 3 << 19}},
    };
    for (const auto& c : cases) {
        std::string file = dir / ("f" + std::to_string(c.size) + "_" + std::to_string(c.n) + ".cab");
        const std::string bytes = Bytes(c.size);
        WriteFile(file, bytes);
        auto time = fs::last_write_time(file) - std::chrono::hours(30);
        fs::last_write_time(file, time);

        ASSERT_EQ(SplitFile(SystemFiles(), file, c.n), "") << file;
        std::string joined;
        for (long k = 1; k <= c.n; ++k) {
            std::string piece = file + std::to_string(k);
            ASSERT_EQ(fs::file_size(piece), c.pieces[k - 1]) << piece;
            EXPECT_EQ(fs::last_write_time(piece), time) << piece;
            joined += ReadFile(piece);
        }
        EXPECT_FALSE(fs::exists(file + std::to_string(c.n + 1)));
        EXPECT_EQ(joined, bytes);
        EXPECT_EQ(ReadFile(file), bytes);

        fs::remove(file);
        ASSERT_EQ(JoinSplitSet(SystemFiles(), file, c.n), "");
        EXPECT_EQ(ReadFile(file), bytes) << file;
    }
}

TEST(SplitFile, RefusesBadCountsAndFilesWithMessages) {
    TempDir dir;
    WriteFile(dir / "five", "12345");
    WriteFile(dir / "ten", "0123456789");
    const struct { std::string file; long n; std::string message; } cases[] = {
        {dir / "missing", 1001, "Number of splits is too large."},
        {dir / "missing", 1, "Number of splits must be 2 or larger."},
        {dir / "ten", -5, "Number of splits must be 2 or larger."},
        {dir / "missing", 2, "Cannot open file: " + (dir / "missing")},
        {dir / "five", 6, "Cannot split the file. Invalid split size."},
        {dir.path().string(), 2, "Cannot open file: " + dir.path().string()},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitFile(SystemFiles(), c.file, c.n), c.message) << c.file << " " << c.n;
    EXPECT_FALSE(fs::exists(dir / "five1"));
}

// Older pieces are replaced only once every new one is written.
TEST(SplitFile, APieceThatCannotBeWrittenLeavesTheOlderPieces) {
    TempDir dir;
    WriteFile(dir / "f", "0123456789");
    WriteFile(dir / "f1", "old");
    fs::create_directory(dir / "f2");  // where piece 2 would go
    EXPECT_EQ(SplitFile(SystemFiles(), dir / "f", 3), "File split failed.");
    EXPECT_EQ(ReadFile(dir / "f1"), "old");
    EXPECT_TRUE(OnlyTheseIn(dir.path(), {"f", "f1", "f2"}));
}

// A piece that is the file itself under another name (a hard link) would destroy it.
TEST(SplitFile, NeverWritesAPieceOverTheFile) {
    TempDir dir;
    WriteFile(dir / "f", "0123456789");
    fs::create_hard_link(dir / "f", dir / "f2");
    EXPECT_EQ(SplitFile(SystemFiles(), dir / "f", 3), "Cannot split the file into itself: " + (dir / "f2"));
    EXPECT_EQ(ReadFile(dir / "f"), "0123456789");
    EXPECT_TRUE(OnlyTheseIn(dir.path(), {"f", "f2"}));
}

TEST(SplitFile, ASmallerSplitLeavesHigherPiecesOfAnEarlierOne) {
    TempDir dir;
    WriteFile(dir / "f", "0123456789");
    ASSERT_EQ(SplitFile(SystemFiles(), dir / "f", 5), "");
    ASSERT_EQ(SplitFile(SystemFiles(), dir / "f", 2), "");
    EXPECT_EQ(ReadFile(dir / "f2"), "56789");
    EXPECT_EQ(ReadFile(dir / "f5"), "89");
}

// A join that fails leaves the file it would have replaced as it was, and nothing else.
TEST(JoinSplitSet, FailsOnAMissingPieceAndNeverJoinsNothing) {
    TempDir dir;
    WriteFile(dir / "f", "keep");
    WriteFile(dir / "f1", "ab");
    WriteFile(dir / "f3", "ef");
    EXPECT_EQ(JoinSplitSet(SystemFiles(), dir / "f", 3), (dir / "f2") + ": cannot be read");
    EXPECT_EQ(JoinSplitSet(SystemFiles(), dir / "f", 0), "Number of pieces must be 1 or larger.");
    EXPECT_EQ(ReadFile(dir / "f"), "keep");
    EXPECT_TRUE(OnlyTheseIn(dir.path(), {"f", "f1", "f3"}));
}

TEST(JoinSplitSet, RefusesAPieceThatIsTheFileItself) {
    TempDir dir;
    WriteFile(dir / "f1", "ab");
    fs::create_hard_link(dir / "f1", dir / "f");
    WriteFile(dir / "f2", "cd");
    EXPECT_EQ(JoinSplitSet(SystemFiles(), dir / "f", 2), (dir / "f") + ": is piece 1 of its own set");
    EXPECT_EQ(ReadFile(dir / "f1"), "ab");
}

}  // namespace
}  // namespace vexa
