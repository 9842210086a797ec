#pragma once
// An earlier installation of the same product, found through its registered directory and
// the record of its uninstall program, and removed before the product is installed again;
// and the uninstall program that the new installation leaves behind.

#include <functional>
#include <string>
#include <vector>

#include "installer/vexa_install.hpp"
#include "platform/platform.hpp"

namespace vexa::installer {

// Fills `previous` with the record of the product's earlier installation and asks whether to
// remove it; false when the user answers No (the list is then empty). A registered directory
// without an uninstall program, or whose record names another product, is no earlier
// installation: no question.
bool CheckPreviousInstallation(Platform& platform, const std::string& productName, std::vector<std::string>& previous);
// Removes what the record lists, the folders it leaves empty and the product's registry keys.
void RemovePreviousInstallation(Platform& platform, const std::vector<std::string>& previous);

// The uninstall program's place below the install directory.
std::string UninstallProgramPath(const std::string& installDirectory);
// Places "Uninstall.EXE" of the attachment in the install directory with the record of this
// installation, and registers it for removal. An attachment without one leaves the product
// without: no status line, no record, no registration.
void PlaceUninstallProgram(Platform& platform, InstallState& state, const CabinetFile& attachment,
                           const std::function<void(const std::string&)>& addStatusLine);

}  // namespace vexa::installer
