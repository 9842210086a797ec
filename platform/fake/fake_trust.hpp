#pragma once
// A certificate check that answers as the test says and records what it was shown.

#include <utility>
#include <vector>

#include "platform/trust.hpp"

namespace vexa {

class FakeTrust final : public Trust {
public:
    void SetAvailable(bool available) { available_ = available; }
    void SetAnswer(bool trusted) { trusted_ = trusted; }
    const std::vector<std::pair<std::string, TrustSubject>>& Checked() const { return checked_; }

    bool Available() override { return available_; }
    bool Verify(const std::string& path, TrustSubject subject) override {
        checked_.emplace_back(path, subject);
        return trusted_;
    }

private:
    bool available_ = true;
    bool trusted_ = true;
    std::vector<std::pair<std::string, TrustSubject>> checked_;
};

}  // namespace vexa
