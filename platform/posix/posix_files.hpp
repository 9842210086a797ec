#pragma once

#include "platform/files.hpp"

namespace vexa {

class PosixFiles final : public Files {
public:
    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override;
    std::optional<TimeStamp> LastWriteTime(const std::string& path) override;
    bool SetFileTime(const std::string& path, const TimeStamp& local, bool creationToo) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    bool SetAttributes(const std::string& path, std::uint32_t bits) override;
    std::optional<std::string> CreateTempFile(const std::string& prefix) override;
};

}  // namespace vexa
