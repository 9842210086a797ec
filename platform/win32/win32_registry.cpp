#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_registry.hpp"

namespace vexa {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    }
    return nullptr;
}

// "A\B\C"; empty for the root itself, which the system's calls open as a new handle to it.
std::string KeyPath(const std::vector<std::string>& key) {
    std::string path;
    for (const std::string& level : key) path += (path.empty() ? "" : "\\") + level;
    return path;
}

// A key opened (or created) with the access asked for; closed when it goes.
class OpenKey {
public:
    enum Missing { Fail, Create };

    OpenKey(RegistryRoot root, const std::vector<std::string>& key, REGSAM access, Missing missing = Fail) {
        std::string path = KeyPath(key);
        LONG status = missing == Create ? ::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr,
                                                            REG_OPTION_NON_VOLATILE, access, nullptr, &key_, nullptr)
                                        : ::RegOpenKeyExA(RootKey(root), path.c_str(), 0, access, &key_);
        if (status != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Key names have at most 255 characters, value names 16383.
constexpr DWORD kKeyNameBuffer = 256;
constexpr DWORD kValueNameBuffer = 16384;

// The names that `enumerate` (RegEnumKeyExA or RegEnumValueA) gives for index 0, 1, ...
// until it has no more.
template <typename Enumerate>
std::vector<std::string> ListNames(const OpenKey& open, DWORD bufferSize, Enumerate enumerate) {
    std::vector<std::string> names;
    std::string name(bufferSize, '\0');
    for (DWORD i = 0, length = bufferSize;
         open && enumerate(open.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = bufferSize)
        names.push_back(name.substr(0, length));
    return names;
}

}  // namespace

bool Win32Registry::CreateKey(RegistryRoot root, const std::vector<std::string>& key) {
    return static_cast<bool>(OpenKey(root, key, KEY_QUERY_VALUE, OpenKey::Create));
}

bool Win32Registry::KeyExists(RegistryRoot root, const std::vector<std::string>& key) {
    return static_cast<bool>(OpenKey(root, key, KEY_QUERY_VALUE));
}

// The size is asked for with the data, so a value that grows between two calls is read
// again; the text ends at its first NUL, as the system's string readers take it.
std::optional<std::string> Win32Registry::ReadString(RegistryRoot root, const std::vector<std::string>& key,
                                                     const std::string& name) {
    OpenKey open(root, key, KEY_QUERY_VALUE);
    if (!open) return std::nullopt;
    std::string data;
    DWORD type = 0;
    DWORD size = 0;
    LONG status;
    do {
        data.resize(size);
        status = ::RegQueryValueExA(open.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                    &size);
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    data.resize(std::min<std::size_t>(size, std::strlen(data.c_str())));
    return data;
}

// The stored size counts the terminating NUL.
bool Win32Registry::WriteString(RegistryRoot root, const std::vector<std::string>& key, const std::string& name,
                                const std::string& value) {
    OpenKey open(root, key, KEY_SET_VALUE, OpenKey::Create);
    return open && ::RegSetValueExA(open.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::vector<std::string> Win32Registry::SubKeys(RegistryRoot root, const std::vector<std::string>& key) {
    return ListNames(OpenKey(root, key, KEY_ENUMERATE_SUB_KEYS), kKeyNameBuffer, ::RegEnumKeyExA);
}

std::vector<std::string> Win32Registry::ValueNames(RegistryRoot root, const std::vector<std::string>& key) {
    return ListNames(OpenKey(root, key, KEY_QUERY_VALUE), kValueNameBuffer, ::RegEnumValueA);
}

bool Win32Registry::DeleteValue(RegistryRoot root, const std::vector<std::string>& key, const std::string& name) {
    OpenKey open(root, key, KEY_SET_VALUE);
    return open && ::RegDeleteValueA(open.get(), name.c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(RegistryRoot root, const std::vector<std::string>& key) {
    return !key.empty() && ::RegDeleteTreeA(RootKey(root), KeyPath(key).c_str()) == ERROR_SUCCESS;
}

}  // namespace vexa
