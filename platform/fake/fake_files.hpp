#pragma once
// In-memory files for tests, with injected read failures, holders and a drive whose
// space a test sets.

#include <map>
#include <optional>
#include <string>

#include "platform/files.hpp"

namespace vexa {

class FakeFiles final : public Files {
public:
    void Put(const std::string& path, std::string bytes) {
        files_[path] = {std::make_shared<const std::string>(std::move(bytes)), std::nullopt};
    }
    bool Has(const std::string& path) const { return files_.count(path) != 0; }
    // Reads of this file deliver nothing at or beyond `offset`, as a failing disk would.
    void FailReadsFrom(const std::string& path, std::uint64_t offset) { files_.at(path).failFrom = offset; }
    // What SpaceOfDrive answers for every folder; nullopt makes it fail.
    void SetDriveSpace(std::optional<DriveSpace> space) { driveSpace_ = space; }

    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override;
    std::optional<TimeStamp> LastWriteTime(const std::string& path) override;
    bool SetFileTime(const std::string& path, const TimeStamp& local, bool creationToo) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    bool SetAttributes(const std::string& path, std::uint32_t bits) override;
    // Makes folder + "/" + prefix + a number + ".tmp".
    std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) override;
    // In "temp".
    std::optional<std::string> CreateTempFile(const std::string& prefix) override;
    std::unique_ptr<WritableFile> CreateNewFile(const std::string& path) override;
    std::unique_ptr<HeldFile> CreateHeldFile(const std::string& path) override;
    bool DeleteUnlessHeld(const std::string& path) override;
    std::optional<DriveSpace> SpaceOfDrive(const std::string& folder) override;

private:
    struct Entry {
        // Shared with open handles, so opening a large file copies nothing.
        std::shared_ptr<const std::string> bytes;
        std::optional<std::uint64_t> failFrom;
        TimeStamp time{2000, 1, 1, 0, 0, 0};
        std::uint32_t attributes = kAttributeArchive;
        // Shared by the file's holders: held while any of them lives.
        std::weak_ptr<void> holders{};
    };
    Entry* Find(const std::string& path);

    std::map<std::string, Entry> files_;
    int tempNames_ = 0;
    std::optional<DriveSpace> driveSpace_ = DriveSpace{1ull << 40, 1ull << 39};
};

}  // namespace vexa
