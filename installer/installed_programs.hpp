#pragma once
// Where the machine keeps what it knows of an installed product: its directory under
// "Installed Programs" for later runs of the installer, and its entry in the system's list of
// programs that can be removed. The product name is one key level, never split.

#include <string>
#include <vector>

#include "platform/files.hpp"
#include "platform/registry.hpp"

namespace vexa::installer {

inline constexpr std::string_view kDirectoryValue = "Directory";
inline constexpr std::string_view kDisplayNameValue = "DisplayName";
inline constexpr std::string_view kUninstallStringValue = "UninstallString";

// The product's key under "Installed Programs" and under "Uninstall" (HKEY_LOCAL_MACHINE).
std::vector<std::string> InstalledProgramKey(const std::string& productName);
std::vector<std::string> UninstallEntryKey(const std::string& productName);

// The directory an earlier installation of the product registered, ending in a separator,
// when it is still usable; empty otherwise.
std::string RegisteredDirectory(Registry& registry, Files& files, const std::string& productName);

}  // namespace vexa::installer
