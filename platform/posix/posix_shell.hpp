#pragma once
// Programs are started directly; documents, folders and addresses go to the desktop's
// opener (xdg-open).

#include <vector>

#include "platform/shell.hpp"

namespace vexa {

class PosixShell final : public Shell {
public:
    PosixShell() = default;
    // Children still running are left to run; the finished ones are reaped.
    ~PosixShell() override;
    PosixShell(const PosixShell&) = delete;
    PosixShell& operator=(const PosixShell&) = delete;

    bool Open(const std::string& target) override;

private:
    bool Spawn(const std::string& program, const std::vector<std::string>& arguments, bool searchPath);
    void ReapFinished();

    std::vector<int> children_;
};

}  // namespace vexa
