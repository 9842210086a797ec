#pragma once
// A fresh folder per test, removed afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vexa::testing {

class TempDir {
public:
    TempDir() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("vexa-" + std::string(test->test_suite_name()) + "-" + test->name());
        RemoveAll(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { RemoveAll(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    // Windows refuses to delete a read-only file, so every file is made writable first
    // (links aside: their targets may lie outside).
    static void RemoveAll(const std::filesystem::path& path) {
        namespace fs = std::filesystem;
        std::error_code ignored;
        for (fs::recursive_directory_iterator it(path, ignored), end; it != end; it.increment(ignored)) {
            if (it->is_symlink(ignored)) continue;
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
        fs::remove_all(path, ignored);
    }

    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vexa::testing
