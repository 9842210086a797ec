#pragma once
// In-memory files for tests, with injected read failures.

#include <map>
#include <optional>
#include <string>

#include "platform/files.hpp"

namespace vexa {

class FakeFiles final : public Files {
public:
    void Put(const std::string& path, std::string bytes) { files_[path] = {std::move(bytes), std::nullopt}; }
    // Reads of this file deliver nothing at or beyond `offset`, as a failing disk would.
    void FailReadsFrom(const std::string& path, std::uint64_t offset) { files_.at(path).failFrom = offset; }

    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override;

private:
    struct Entry {
        std::string bytes;
        std::optional<std::uint64_t> failFrom;
    };
    std::map<std::string, Entry> files_;
};

}  // namespace vexa
