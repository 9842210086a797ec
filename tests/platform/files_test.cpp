#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/text.hpp"
#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

class NativeFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vexa-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return (dir_ / name).string();
    }

    NativePlatform platform_;
    fs::path dir_;
};

TEST_F(NativeFiles, ReadsAtAnyOffsetAndStopsAtTheEnd) {
    auto file = platform_.Get().files.OpenShared(Write("a.bin", "0123456789"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), 10u);
    unsigned char buf[8] = {};
    EXPECT_EQ(file->ReadAt(6, buf, 8), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "6789");
    EXPECT_EQ(file->ReadAt(2, buf, 3), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 3), "234");
    EXPECT_EQ(file->ReadAt(10, buf, 1), 0u);
}

TEST_F(NativeFiles, LetsOthersWriteWhileOpen) {
    std::string path = Write("shared.bin", "abc");
    auto file = platform_.Get().files.OpenShared(path);
    ASSERT_NE(file, nullptr);
    std::ofstream writer(path, std::ios::binary | std::ios::app);
    writer << "def";
    writer.close();
    EXPECT_TRUE(writer.good());
    EXPECT_EQ(fs::file_size(path), 6u);
}

TEST_F(NativeFiles, RefusesWhatIsNoRegularFile) {
    EXPECT_EQ(platform_.Get().files.OpenShared((dir_ / "missing").string()), nullptr);
    EXPECT_EQ(platform_.Get().files.OpenShared(dir_.string()), nullptr);
}

TEST_F(NativeFiles, TimesAreSetAndReadInLocalTime) {
    std::string path = Write("t.txt", "x");
    Files& files = platform_.Get().files;
    const TimeStamp stamps[] = {{1998, 11, 6, 4, 24, 36}, {2026, 7, 1, 12, 0, 58}, {1980, 1, 1, 0, 0, 0}};
    for (const TimeStamp& stamp : stamps) {
        ASSERT_TRUE(files.SetFileTime(path, stamp, true));
        EXPECT_EQ(files.LastWriteTime(path), stamp);
    }
    EXPECT_FALSE(files.SetFileTime((dir_ / "missing").string(), stamps[0], false));
    EXPECT_EQ(files.LastWriteTime((dir_ / "missing").string()), std::nullopt);
}

TEST_F(NativeFiles, ReadOnlyAttributeRoundTrips) {
    std::string path = Write("a.txt", "x");
    Files& files = platform_.Get().files;
    ASSERT_TRUE(files.SetAttributes(path, kAttributeReadOnly | kAttributeArchive));
    EXPECT_EQ(*files.Attributes(path) & kStoredAttributes & kAttributeReadOnly, kAttributeReadOnly);
    ASSERT_TRUE(files.SetAttributes(path, kAttributeArchive));
    EXPECT_EQ(*files.Attributes(path) & kAttributeReadOnly, 0u);
    EXPECT_EQ(files.Attributes((dir_ / "missing").string()), std::nullopt);
}

TEST_F(NativeFiles, TempFilesAreFreshAndCarryThePrefix) {
    Files& files = platform_.Get().files;
    auto first = files.CreateTempFile("~cb");
    auto second = files.CreateTempFile("~cb");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    for (const std::string& path : {*first, *second}) {
        EXPECT_EQ(fs::path(path).filename().string().substr(0, 3), "~cb");
        EXPECT_EQ(fs::file_size(path), 0u);
        fs::remove(path);
    }
}

TEST_F(NativeFiles, TempFilesInAFolderAreFreshAndEndInTmp) {
    Files& files = platform_.Get().files;
    auto first = files.CreateTempFileIn(dir_.string(), "~dl");
    auto second = files.CreateTempFileIn(dir_.string(), "~dl");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    for (const std::string& path : {*first, *second}) {
        EXPECT_TRUE(fs::equivalent(fs::path(path).parent_path(), dir_)) << path;
        EXPECT_EQ(fs::path(path).filename().string().substr(0, 3), "~dl");
        EXPECT_EQ(ToUpperAnsi(fs::path(path).extension().string()), ".TMP");
        EXPECT_EQ(fs::file_size(path), 0u);
    }
    EXPECT_EQ(files.CreateTempFileIn((dir_ / "missing").string(), "~dl"), std::nullopt);
}

// A new file is made only where nothing stands: what is there stays as it was, and a
// link, even one that points nowhere, is not followed.
TEST_F(NativeFiles, ANewFileIsMadeOnlyWhereNothingStands) {
    Files& files = platform_.Get().files;
    auto made = files.CreateNewFile((dir_ / "new.bin").string());
    ASSERT_NE(made, nullptr);
    const unsigned char bytes[] = {'a', 'b', 'c'};
    EXPECT_TRUE(made->Write(bytes, 3));
    EXPECT_TRUE(made->Close());
    EXPECT_EQ(fs::file_size(dir_ / "new.bin"), 3u);

    std::vector<std::string> taken = {Write("old.txt", "old"), (dir_ / "sub").string(),
                                      (dir_ / "missing" / "x").string()};
    fs::create_directories(dir_ / "sub");
#ifndef _WIN32
    fs::create_symlink(dir_ / "nowhere.txt", dir_ / "dangling");
    taken.push_back((dir_ / "dangling").string());
#endif
    for (const std::string& path : taken) EXPECT_EQ(files.CreateNewFile(path), nullptr) << path;
    std::ifstream old(dir_ / "old.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old");
    EXPECT_FALSE(fs::exists(dir_ / "nowhere.txt"));
}

// Here the holder is in this process; the POSIX tests also hold from another one.
TEST_F(NativeFiles, AHeldFileIsDeletedOnlyOnceEveryHolderLetsGo) {
    Files& files = platform_.Get().files;
    const std::string marker = (dir_ / "live.txt").string();
    auto first = files.CreateHeldFile(marker);
    auto second = files.CreateHeldFile(marker);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(fs::file_size(marker), 0u);
    EXPECT_FALSE(files.DeleteUnlessHeld(marker));
    first.reset();
    EXPECT_FALSE(files.DeleteUnlessHeld(marker));
    EXPECT_TRUE(fs::exists(marker));
    second.reset();
    EXPECT_TRUE(files.DeleteUnlessHeld(marker));
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_TRUE(files.DeleteUnlessHeld(marker));  // already gone
}

TEST_F(NativeFiles, HoldingKeepsTheContentAndNeedsTheFolder) {
    Files& files = platform_.Get().files;
    const std::string path = Write("kept.txt", "content");
    EXPECT_NE(files.CreateHeldFile(path), nullptr);
    EXPECT_EQ(testing::ReadFile(path), "content");
    EXPECT_EQ(files.CreateHeldFile((dir_ / "missing" / "live.txt").string()), nullptr);
    EXPECT_TRUE(files.DeleteUnlessHeld((dir_ / "missing" / "live.txt").string()));
}

TEST_F(NativeFiles, DriveSpaceIsThatOfTheFolder) {
    Files& files = platform_.Get().files;
    auto space = files.SpaceOfDrive(dir_.string());
    ASSERT_TRUE(space);
    fs::space_info expected = fs::space(dir_);
    EXPECT_EQ(space->totalBytes, expected.capacity);
    // Others may write meanwhile, so the free space is compared loosely.
    constexpr std::uint64_t kSlack = 256u << 20;
    EXPECT_LT(std::max(space->freeBytes, expected.available) - std::min(space->freeBytes, expected.available), kSlack);
    EXPECT_FALSE(files.SpaceOfDrive((dir_ / "missing").string()));
}

}  // namespace
}  // namespace vexa
