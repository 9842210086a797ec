#pragma once
// Removing what a record lists: the installer removes a previous installation before it
// installs again, and the uninstall program removes its own.

#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace vexa::installer {

struct RemovalResult {
    std::vector<std::string> left;  // files and directories that could not be removed
    // Those of `left` outside the install directory and the group: never touched, and
    // never to be removed later either.
    std::vector<std::string> refused;
};

// Deletes every file of lines 3 on, then the directories they leave empty, up to the old
// install directory (line 1) or program group (line 2); then the product's "Installed
// Programs" and "Uninstall" keys (named by line 0). Every path passes the name guard first:
// one that is not below the install directory or the group is left alone.
RemovalResult RemoveInstallation(Platform& platform, const std::vector<std::string>& record);

}  // namespace vexa::installer
