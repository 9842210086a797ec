#include "platform/posix/policy_trust.hpp"

namespace vexa {

std::optional<TrustPolicy> PolicyTrust::Parse(std::string_view text) {
    if (text == "ask") return TrustPolicy::Ask;
    if (text == "yes") return TrustPolicy::Yes;
    if (text == "no") return TrustPolicy::No;
    return std::nullopt;
}

// Every kind of file gets the same question: there is no publisher to show for any of them.
bool PolicyTrust::Verify(const std::string& path, TrustSubject) {
    switch (policy_) {
    case TrustPolicy::Yes: return true;
    case TrustPolicy::No: return false;
    case TrustPolicy::Ask: break;
    }
    return ui_.AskYesNo("The publisher of \"" + path +
                            "\" cannot be shown on this system, so nobody vouches for what it does.\n"
                            "Do you want to run it?",
                        "Security Warning");
}

}  // namespace vexa
