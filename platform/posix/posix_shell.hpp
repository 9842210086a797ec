#pragma once
// Programs are started directly; documents, folders and addresses go to the desktop's
// opener (xdg-open). The special folders are those of the prefix.

#include <vector>

#include "platform/posix/prefix.hpp"
#include "platform/shell.hpp"

namespace vexa {

class PosixShell final : public Shell {
public:
    explicit PosixShell(PosixPrefix prefix) : prefix_(std::move(prefix)) {}
    // Children still running are left to run; the finished ones are reaped.
    ~PosixShell() override;
    PosixShell(const PosixShell&) = delete;
    PosixShell& operator=(const PosixShell&) = delete;

    bool Open(const std::string& target) override;
    std::string FolderPath(SpecialFolder folder) override;
    bool CreateShellLink(const ShellLink& link, const std::string& linkPath) override;

private:
    bool Spawn(const std::string& program, const std::vector<std::string>& arguments, bool searchPath);
    void ReapFinished();

    PosixPrefix prefix_;
    std::vector<int> children_;
};

}  // namespace vexa
