#include "platform/fake/fake_shell.hpp"

#include <algorithm>

namespace vexa {

bool FakeShell::Open(const std::string& target) {
    if (std::find(failing_.begin(), failing_.end(), target) != failing_.end()) return false;
    opened_.push_back(target);
    return true;
}

std::string FakeShell::FolderPath(SpecialFolder folder) {
    auto found = folders_.find(folder);
    return found == folders_.end() ? std::string() : found->second;
}

bool FakeShell::CreateShellLink(const ShellLink& link, const std::string& linkPath) {
    links_[linkPath] = link;
    return true;
}

}  // namespace vexa
