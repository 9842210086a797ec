#pragma once
// Files that pass every call on to other files: a test's own files derive from it and
// override only the calls they change.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/files.hpp"

namespace vexa::testing {

// A file whose reads deliver nothing from offset `from` on: a read that fails part way.
class ShortReads final : public ReadableFile {
public:
    ShortReads(std::unique_ptr<ReadableFile> file, std::uint64_t from) : file_(std::move(file)), from_(from) {}
    std::uint64_t Size() const override { return file_->Size(); }
    std::size_t ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        if (offset >= from_) return 0;
        return file_->ReadAt(offset, into, static_cast<std::size_t>(std::min<std::uint64_t>(n, from_ - offset)));
    }

private:
    std::unique_ptr<ReadableFile> file_;
    std::uint64_t from_;
};

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
