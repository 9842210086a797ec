#pragma once
// The installer's folders: the temporary expansion directory it makes and removes again,
// and the directories along an install path.

#include <string>

#include "platform/files.hpp"
#include "platform/shell.hpp"

namespace vexa::installer {

// A new directory in the user's temporary folder, named after a "~vx" placeholder file
// less its extension (with 1 to 300 appended when that name is taken); ends in a
// separator. Empty when none could be made.
std::string MakeExpansionDirectory(Files& files);
// A probe file can be made in `path` (and is deleted again).
bool DirectoryUsable(Files& files, const std::string& path);
// Makes every directory along `path` from the first below its root; levels already usable
// are left alone. False at the first that cannot be made.
bool CreateDirectoryPath(Files& files, const std::string& path);
// Removes `path` with everything below it, only when it is one of ours: it begins with the
// user's temporary folder and "~vx" (letter case aside). Links are removed, never followed.
void RemoveTempDirectory(Shell& shell, const std::string& path);

}  // namespace vexa::installer
