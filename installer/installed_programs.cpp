#include "installer/installed_programs.hpp"

#include "common/format_path.hpp"
#include "common/registry_path.hpp"
#include "common/text.hpp"
#include "installer/folders.hpp"
#include "installer/installer_texts.hpp"

namespace vexa::installer {
namespace {

std::vector<std::string> KeyBelow(std::string_view parent, const std::string& productName) {
    std::vector<std::string> key = SplitRegistryPath(parent);
    key.push_back(productName);
    return key;
}

}  // namespace

std::vector<std::string> InstalledProgramKey(const std::string& productName) {
    return KeyBelow(kInstalledProgramsKey, productName);
}

std::vector<std::string> UninstallEntryKey(const std::string& productName) {
    return KeyBelow(kUninstallKey, productName);
}

std::string RegisteredDirectory(Registry& registry, Files& files, const std::string& productName) {
    if (productName.empty()) return {};
    const std::string directory =
        registry.ReadString(RegistryRoot::LocalMachine, InstalledProgramKey(productName), std::string(kDirectoryValue))
            .value_or(std::string());
    if (directory.empty()) return {};
    const std::string withSeparator = WithTrailingSeparator(directory, kNativeSeparator);
    return DirectoryUsable(files, withSeparator) ? withSeparator : std::string();
}

}  // namespace vexa::installer
