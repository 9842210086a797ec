#include "platform/fake/fake_registry.hpp"

#include <algorithm>

#include "common/text.hpp"

namespace vexa {
namespace {

std::vector<std::string> Folded(const std::vector<std::string>& key) {
    std::vector<std::string> levels;
    for (const std::string& level : key) levels.push_back(ToUpperAnsi(level));
    return levels;
}

bool IsBelow(const std::vector<std::string>& levels, const std::vector<std::string>& parent) {
    return levels.size() > parent.size() && std::equal(parent.begin(), parent.end(), levels.begin());
}

}  // namespace

FakeRegistry::FakeRegistry() {
    for (RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser, RegistryRoot::ClassesRoot})
        keys_[{root, {}}];
}

FakeRegistry::Key* FakeRegistry::Find(RegistryRoot root, const std::vector<std::string>& key) {
    auto found = keys_.find({root, Folded(key)});
    return found == keys_.end() ? nullptr : &found->second;
}

// Existing levels keep their spelling.
FakeRegistry::Key& FakeRegistry::Make(RegistryRoot root, const std::vector<std::string>& key) {
    Path path{root, {}};
    for (const std::string& level : key) {
        path.second.push_back(ToUpperAnsi(level));
        keys_.try_emplace(path, Key{level, {}});
    }
    return keys_.at(path);
}

bool FakeRegistry::CreateKey(RegistryRoot root, const std::vector<std::string>& key) {
    std::lock_guard lock(mutex_);
    Make(root, key);
    return true;
}

bool FakeRegistry::KeyExists(RegistryRoot root, const std::vector<std::string>& key) {
    std::lock_guard lock(mutex_);
    return Find(root, key) != nullptr;
}

std::optional<std::string> FakeRegistry::ReadString(RegistryRoot root, const std::vector<std::string>& key,
                                                    const std::string& name) {
    std::lock_guard lock(mutex_);
    Key* found = Find(root, key);
    if (!found) return std::nullopt;
    auto value = found->values.find(ToUpperAnsi(name));
    return value == found->values.end() ? std::nullopt : std::optional(value->second.data);
}

bool FakeRegistry::WriteString(RegistryRoot root, const std::vector<std::string>& key, const std::string& name,
                               const std::string& value) {
    std::lock_guard lock(mutex_);
    auto [stored, added] = Make(root, key).values.try_emplace(ToUpperAnsi(name), Value{name, value});
    if (!added) stored->second.data = value;
    return true;
}

std::vector<std::string> FakeRegistry::SubKeys(RegistryRoot root, const std::vector<std::string>& key) {
    std::lock_guard lock(mutex_);
    Path parent{root, Folded(key)};
    std::vector<std::string> names;
    for (auto it = keys_.upper_bound(parent); it != keys_.end() && it->first.first == root; ++it) {
        if (!IsBelow(it->first.second, parent.second)) break;
        if (it->first.second.size() == parent.second.size() + 1) names.push_back(it->second.name);
    }
    return names;
}

std::vector<std::string> FakeRegistry::ValueNames(RegistryRoot root, const std::vector<std::string>& key) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (Key* found = Find(root, key))
        for (const auto& [folded, value] : found->values) names.push_back(value.name);
    return names;
}

bool FakeRegistry::DeleteValue(RegistryRoot root, const std::vector<std::string>& key, const std::string& name) {
    std::lock_guard lock(mutex_);
    Key* found = Find(root, key);
    return found && found->values.erase(ToUpperAnsi(name)) != 0;
}

bool FakeRegistry::DeleteKey(RegistryRoot root, const std::vector<std::string>& key) {
    std::lock_guard lock(mutex_);
    auto first = keys_.find({root, Folded(key)});
    if (key.empty() || first == keys_.end()) return false;
    auto last = std::next(first);
    while (last != keys_.end() && last->first.first == root && IsBelow(last->first.second, first->first.second)) ++last;
    keys_.erase(first, last);
    return true;
}

}  // namespace vexa
