#pragma once
// Deleting an open file succeeds on POSIX systems, so a held file is one with a shared
// flock(2) lock, and a deletion takes the exclusive lock first. The lock belongs to the
// open file: it goes when the holder closes it or its process ends, and no program the
// holder starts inherits it.

#include "platform/files.hpp"

namespace vexa {

// Writes all n bytes to the open file, going on after interruptions and short writes.
bool WriteAll(int fd, const unsigned char* bytes, std::size_t n);

class PosixFiles final : public Files {
public:
    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override;
    std::optional<TimeStamp> LastWriteTime(const std::string& path) override;
    bool SetFileTime(const std::string& path, const TimeStamp& local, bool creationToo) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    bool SetAttributes(const std::string& path, std::uint32_t bits) override;
    std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) override;
    std::optional<std::string> CreateTempFile(const std::string& prefix) override;
    std::unique_ptr<WritableFile> CreateNewFile(const std::string& path) override;
    std::unique_ptr<HeldFile> CreateHeldFile(const std::string& path) override;
    bool DeleteUnlessHeld(const std::string& path) override;
    std::optional<DriveSpace> SpaceOfDrive(const std::string& folder) override;
};

}  // namespace vexa
