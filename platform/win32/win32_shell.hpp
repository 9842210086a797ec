#pragma once

#include "platform/shell.hpp"

namespace vexa {

class Win32Shell final : public Shell {
public:
    bool Open(const std::string& target) override;
    std::string FolderPath(SpecialFolder folder) override;
    bool CreateShellLink(const ShellLink& link, const std::string& linkPath) override;
};

}  // namespace vexa
