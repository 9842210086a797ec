#pragma once
// A shell that records what it was asked to open and starts nothing.

#include <vector>

#include "platform/shell.hpp"

namespace vexa {

class FakeShell final : public Shell {
public:
    // Targets that fail to open; every other target opens.
    void FailToOpen(std::string target) { failing_.push_back(std::move(target)); }
    const std::vector<std::string>& Opened() const { return opened_; }

    bool Open(const std::string& target) override;

private:
    std::vector<std::string> failing_;
    std::vector<std::string> opened_;
};

}  // namespace vexa
