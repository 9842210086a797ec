#pragma once
// The system's registry through advapi32, in the program's own view of it.

#include "platform/registry.hpp"

namespace vexa {

class Win32Registry final : public Registry {
public:
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
};

}  // namespace vexa
