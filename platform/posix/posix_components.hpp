#pragma once
// Servers are shared objects exporting the registration entry points. Versions are read
// from the files' own version resources; shared files belong in the prefix's system
// directory; replacements at restart and the restart itself are recorded in the
// registry (PendingRenames) for `vexa restart --apply`: the machine is never restarted.

#include "platform/components.hpp"
#include "platform/posix/pending_renames.hpp"
#include "platform/posix/prefix.hpp"

namespace vexa {

class PosixComponents final : public Components {
public:
    PosixComponents(PosixPrefix prefix, Registry& registry) : prefix_(std::move(prefix)), pending_(registry) {}

    bool RegisterServer(const std::string& library) override;
    bool UnregisterServer(const std::string& library) override;
    std::string FileVersion(const std::string& path) override;
    SharedFileLocation FindSharedFile(const std::string& fileName, const std::string& windowsDirectory,
                                      const std::string& appDirectory) override;
    bool ReplaceAtRestart(const std::string& replacement, const std::string& target) override;
    bool DeleteAtRestart(const std::string& target) override;
    bool Restart() override;

private:
    PosixPrefix prefix_;
    PendingRenames pending_;
};

}  // namespace vexa
