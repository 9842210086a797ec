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

}  // namespace
}  // namespace vexa
