#pragma once
// Keys and string values under the three roots the system uses. Key paths are the
// levels of a "->" or "\" path text (SplitRegistryPath); key and value names are compared
// without regard to case and keep the spelling they were created with. An empty path is
// the root itself. Callable from any thread; several processes may share one registry.

#include <optional>
#include <string>
#include <vector>

namespace vexa {

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot };

class Registry {
public:
    virtual ~Registry() = default;
    // Creates the key and any missing parents; true if it exists afterwards.
    virtual bool CreateKey(RegistryRoot root, const std::vector<std::string>& key) = 0;
    virtual bool KeyExists(RegistryRoot root, const std::vector<std::string>& key) = 0;
    // Empty when the key or the value is missing or the value is not a string.
    virtual std::optional<std::string> ReadString(RegistryRoot root, const std::vector<std::string>& key,
                                                  const std::string& name) = 0;
    // Creates the key if needed. An empty name is the key's default value.
    virtual bool WriteString(RegistryRoot root, const std::vector<std::string>& key, const std::string& name,
                             const std::string& value) = 0;
    // Names of the direct sub-keys in alphabetical order without regard to case, as the
    // system's registry lists them. (Windows compares upper-cased names, and so do our
    // stores; Wine puts "_" and the few marks between "Z" and "a" before the letters.)
    virtual std::vector<std::string> SubKeys(RegistryRoot root, const std::vector<std::string>& key) = 0;
    // In the order the store keeps them; the key's default value, if set, is "".
    virtual std::vector<std::string> ValueNames(RegistryRoot root, const std::vector<std::string>& key) = 0;
    virtual bool DeleteValue(RegistryRoot root, const std::vector<std::string>& key, const std::string& name) = 0;
    // Deletes the key with everything below it; a root is never deleted.
    virtual bool DeleteKey(RegistryRoot root, const std::vector<std::string>& key) = 0;
};

}  // namespace vexa
