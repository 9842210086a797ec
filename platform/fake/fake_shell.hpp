#pragma once
// A shell that records what it was asked to open and starts nothing, with special
// folders that a test sets.

#include <map>
#include <vector>

#include "platform/shell.hpp"

namespace vexa {

class FakeShell final : public Shell {
public:
    // Targets that fail to open; every other target opens.
    void FailToOpen(std::string target) { failing_.push_back(std::move(target)); }
    const std::vector<std::string>& Opened() const { return opened_; }
    // Folders never set are unknown (empty).
    void SetFolder(SpecialFolder folder, std::string path) { folders_[folder] = std::move(path); }

    bool Open(const std::string& target) override;
    std::string FolderPath(SpecialFolder folder) override;
    bool CreateShellLink(const ShellLink& link, const std::string& linkPath) override;
    // The links written, by link path.
    const std::map<std::string, ShellLink>& Links() const { return links_; }

private:
    std::vector<std::string> failing_;
    std::vector<std::string> opened_;
    std::map<SpecialFolder, std::string> folders_;
    std::map<std::string, ShellLink> links_;
};

}  // namespace vexa
