#pragma once
// Real files whose "system temporary folder" is a test's own folder, with a shell that
// names the same folder, so that the installer's expansion directories land, and are
// removed, inside the test's folder.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_shell.hpp"
#include "tests/support/forwarding_files.hpp"
#include "tests/support/system_files.hpp"

namespace vexa::installer::test {

class TempFolderFiles final : public testing::ForwardingFiles {
public:
    explicit TempFolderFiles(std::filesystem::path temp) : ForwardingFiles(testing::SystemFiles()), temp_(std::move(temp)) {
        std::filesystem::create_directories(temp_);
        shell.SetFolder(SpecialFolder::Temp, temp_.string());
    }

    std::optional<std::uint64_t> shortReadsFrom;  // reads deliver nothing from this offset on
    FakeShell shell;

    std::optional<std::string> CreateTempFile(const std::string& prefix) override {
        return real_.CreateTempFileIn(temp_.string(), prefix);
    }
    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override {
        auto file = real_.OpenShared(path);
        if (!file || !shortReadsFrom) return file;
        return std::make_unique<testing::ShortReads>(std::move(file), *shortReadsFrom);
    }

    // What stands in the temporary folder.
    std::vector<std::string> Left() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temp_)) names.push_back(entry.path().string());
        return names;
    }

private:
    std::filesystem::path temp_;
};

}  // namespace vexa::installer::test
