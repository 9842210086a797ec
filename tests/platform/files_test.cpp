#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/native.hpp"

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

}  // namespace
}  // namespace vexa
