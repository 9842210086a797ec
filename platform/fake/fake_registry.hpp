#pragma once
// A registry in memory with the system's rules: names compared without regard to case,
// the first spelling kept, sub-keys listed in the order of their upper-cased names.

#include <map>
#include <mutex>
#include <utility>

#include "platform/registry.hpp"

namespace vexa {

class FakeRegistry final : public Registry {
public:
    FakeRegistry();

    bool CreateKey(RegistryRoot root, const std::vector<std::string>& key) override;
    bool KeyExists(RegistryRoot root, const std::vector<std::string>& key) override;
    std::optional<std::string> ReadString(RegistryRoot root, const std::vector<std::string>& key,
                                          const std::string& name) override;
    bool WriteString(RegistryRoot root, const std::vector<std::string>& key, const std::string& name,
                     const std::string& value) override;
    std::vector<std::string> SubKeys(RegistryRoot root, const std::vector<std::string>& key) override;
    std::vector<std::string> ValueNames(RegistryRoot root, const std::vector<std::string>& key) override;
    bool DeleteValue(RegistryRoot root, const std::vector<std::string>& key, const std::string& name) override;
    bool DeleteKey(RegistryRoot root, const std::vector<std::string>& key) override;

private:
    // A root and the upper-cased levels below it.
    using Path = std::pair<RegistryRoot, std::vector<std::string>>;
    struct Value {
        std::string name;
        std::string data;
    };
    struct Key {
        std::string name;
        std::map<std::string, Value> values;  // by upper-cased name
    };

    Key* Find(RegistryRoot root, const std::vector<std::string>& key);
    Key& Make(RegistryRoot root, const std::vector<std::string>& key);

    std::mutex mutex_;
    // Every key below a root comes after its parent, before the parent's next sibling.
    std::map<Path, Key> keys_;
};

}  // namespace vexa
