#pragma once
// Files that pass every call on to other files: a test's own files derive from it and
// override only the calls they change.

#include <memory>
#include <optional>
#include <string>

#include "platform/files.hpp"

namespace vexa::testing {

class ForwardingFiles : public Files {
public:
    explicit ForwardingFiles(Files& real) : real_(real) {}

    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override { return real_.OpenShared(path); }
    std::optional<TimeStamp> LastWriteTime(const std::string& path) override { return real_.LastWriteTime(path); }
    bool SetFileTime(const std::string& path, const TimeStamp& local, bool creationToo) override {
        return real_.SetFileTime(path, local, creationToo);
    }
    std::optional<std::uint32_t> Attributes(const std::string& path) override { return real_.Attributes(path); }
    bool SetAttributes(const std::string& path, std::uint32_t bits) override { return real_.SetAttributes(path, bits); }
    std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) override {
        return real_.CreateTempFileIn(folder, prefix);
    }
    std::optional<std::string> CreateTempFile(const std::string& prefix) override { return real_.CreateTempFile(prefix); }
    std::unique_ptr<WritableFile> CreateNewFile(const std::string& path) override { return real_.CreateNewFile(path); }
    std::unique_ptr<HeldFile> CreateHeldFile(const std::string& path) override { return real_.CreateHeldFile(path); }
    bool DeleteUnlessHeld(const std::string& path) override { return real_.DeleteUnlessHeld(path); }
    std::optional<DriveSpace> SpaceOfDrive(const std::string& folder) override { return real_.SpaceOfDrive(folder); }

protected:
    Files& real_;
};

}  // namespace vexa::testing
