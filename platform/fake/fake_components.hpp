#pragma once
// Servers that exist only as names, with the entry points each one exports; every
// entry point called is recorded. File versions, shared-file answers and restarts are
// set and recorded by the test.

#include <map>
#include <utility>
#include <vector>

#include "platform/components.hpp"

namespace vexa {

class FakeComponents final : public Components {
public:
    void AddServer(const std::string& library, bool registers, bool unregisters) {
        servers_[library] = {registers, unregisters};
    }
    // "DllRegisterServer <library>", in call order.
    const std::vector<std::string>& Calls() const { return calls_; }
    // A version set for a bare file name holds for every file of that name without one of its own.
    void SetFileVersion(const std::string& path, std::string version) { versions_[path] = std::move(version); }
    // A file not set is nowhere yet and belongs in `defaultDestination`.
    void SetSharedFile(const std::string& fileName, SharedFileLocation location) { shared_[fileName] = location; }
    void SetDefaultDestination(std::string directory) { defaultDestination_ = std::move(directory); }
    // (replacement, target) pairs, in call order; a deletion has an empty replacement.
    const std::vector<std::pair<std::string, std::string>>& PendingReplacements() const { return pending_; }
    int Restarts() const { return restarts_; }

    bool RegisterServer(const std::string& library) override;
    bool UnregisterServer(const std::string& library) override;
    std::string FileVersion(const std::string& path) override;
    SharedFileLocation FindSharedFile(const std::string& fileName, const std::string& windowsDirectory,
                                      const std::string& appDirectory) override;
    bool ReplaceAtRestart(const std::string& replacement, const std::string& target) override;
    bool DeleteAtRestart(const std::string& target) override;
    bool Restart() override;

private:
    struct Server {
        bool registers;
        bool unregisters;
    };
    std::map<std::string, Server> servers_;
    std::vector<std::string> calls_;
    std::map<std::string, std::string> versions_;
    std::map<std::string, SharedFileLocation> shared_;
    std::string defaultDestination_;
    std::vector<std::pair<std::string, std::string>> pending_;
    int restarts_ = 0;
};

}  // namespace vexa
