#pragma once
// This system has no certificate store for Windows publishers, so trust is a policy the host
// chooses: ask the user about each file, or answer yes or no for them.

#include <optional>
#include <string_view>

#include "platform/trust.hpp"
#include "platform/ui.hpp"

namespace vexa {

enum class TrustPolicy { Ask, Yes, No };

class PolicyTrust final : public Trust {
public:
    PolicyTrust(TrustPolicy policy, Ui& ui) : policy_(policy), ui_(ui) {}

    // "ask", "yes" or "no", as a host's option gives it; nullopt for anything else.
    static std::optional<TrustPolicy> Parse(std::string_view text);
    void SetPolicy(TrustPolicy policy) { policy_ = policy; }

    bool Available() override { return true; }
    bool Verify(const std::string& path, TrustSubject subject) override;

private:
    TrustPolicy policy_;
    Ui& ui_;
};

}  // namespace vexa
