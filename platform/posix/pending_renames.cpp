#include "platform/posix/pending_renames.hpp"

#include <cstdint>

#include "common/text.hpp"

namespace vexa {
namespace {

using Levels = std::vector<std::string>;

const Levels kRestartKey = {"Software", "VexaWeb", "Restart"};
constexpr const char* kRenames = "Renames";
constexpr const char* kRequested = "Requested";

Levels Below(Levels key, const std::string& level) {
    key.push_back(level);
    return key;
}

std::string NumberName(std::int64_t number) {
    std::string digits = std::to_string(number);
    return std::string(digits.size() < 8 ? 8 - digits.size() : 0, '0') + digits;
}

}  // namespace

bool PendingRenames::Add(const PendingRename& rename) {
    Levels renames = Below(kRestartKey, kRenames);
    std::vector<std::string> numbers = registry_.SubKeys(RegistryRoot::LocalMachine, renames);
    Levels entry = Below(renames, NumberName(numbers.empty() ? 1 : ReadLeadingNumber(numbers.back()) + 1));
    return registry_.WriteString(RegistryRoot::LocalMachine, entry, "Target", rename.target) &&
           registry_.WriteString(RegistryRoot::LocalMachine, entry, "Replacement", rename.replacement);
}

std::vector<PendingRename> PendingRenames::List() {
    Levels renames = Below(kRestartKey, kRenames);
    std::vector<PendingRename> list;
    for (const std::string& number : registry_.SubKeys(RegistryRoot::LocalMachine, renames)) {
        Levels entry = Below(renames, number);
        auto target = registry_.ReadString(RegistryRoot::LocalMachine, entry, "Target");
        auto replacement = registry_.ReadString(RegistryRoot::LocalMachine, entry, "Replacement");
        // One still being written by another process has no replacement yet.
        if (target && replacement) list.push_back({*replacement, *target});
    }
    return list;
}

bool PendingRenames::RequestRestart() {
    return registry_.WriteString(RegistryRoot::LocalMachine, kRestartKey, kRequested, "1");
}

bool PendingRenames::RestartRequested() {
    return registry_.ReadString(RegistryRoot::LocalMachine, kRestartKey, kRequested).has_value();
}

bool PendingRenames::Clear() {
    return !registry_.KeyExists(RegistryRoot::LocalMachine, kRestartKey) ||
           registry_.DeleteKey(RegistryRoot::LocalMachine, kRestartKey);
}

}  // namespace vexa
