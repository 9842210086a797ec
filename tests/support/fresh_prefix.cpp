// Linked into every native test program: the POSIX platform keeps its emulated machine
// (registry, special folders, caches) in a fresh folder for each run of the program, never
// in the user's own prefix. Natively each test case runs as a program of its own, so each
// gets a fresh prefix; the programs it starts inherit it.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class FreshPrefix final : public ::testing::Environment {
public:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() / ("vexa-prefix-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        ::setenv("VEXA_PREFIX", root_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

private:
    std::filesystem::path root_;
};

[[maybe_unused]] const auto* const kFreshPrefix = ::testing::AddGlobalTestEnvironment(new FreshPrefix);

}  // namespace
