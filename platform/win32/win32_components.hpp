#pragma once

#include "platform/components.hpp"

namespace vexa {

class Win32Components final : public Components {
public:
    bool RegisterServer(const std::string& library) override;
    bool UnregisterServer(const std::string& library) override;
    std::string FileVersion(const std::string& path) override;
    SharedFileLocation FindSharedFile(const std::string& fileName, const std::string& windowsDirectory,
                                      const std::string& appDirectory) override;
    bool ReplaceAtRestart(const std::string& replacement, const std::string& target) override;
    bool DeleteAtRestart(const std::string& target) override;
    bool Restart() override;
};

}  // namespace vexa
