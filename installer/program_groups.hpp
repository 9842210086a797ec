#pragma once
// The product's Start-menu shortcuts, from the script's CreateProgramGroup lines.

#include <string>
#include <vector>

#include "loader/script.hpp"
#include "platform/files.hpp"
#include "platform/shell.hpp"

namespace vexa::installer {

// Runs each CreateProgramGroup line in script order: a shortcut in the folder below
// `groupPath` to the file below `installDirectory`. Nothing when either is empty; a line
// whose shortcut fails is passed over in silence. Each link made is appended to `installedFiles`.
void CreateProgramGroups(Files& files, Shell& shell, const ScriptLines& lines, const std::string& groupPath,
                         const std::string& installDirectory, std::vector<std::string>& installedFiles);

// Writes `folder` + `caption` + ".LNK" (making the folders along the way) pointing to
// `target`, described by the caption, starting in the target's folder. False when the caption
// cannot be a file name on every system, or the folder or the link cannot be made.
bool CreateShortcut(Files& files, Shell& shell, const std::string& folder, const std::string& caption,
                    const std::string& target, std::vector<std::string>& installedFiles);

}  // namespace vexa::installer
