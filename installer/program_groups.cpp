#include "installer/program_groups.hpp"

#include <algorithm>
#include <filesystem>

#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/folders.hpp"
#include "installer/install_script.hpp"
#include "installer/vexa_install.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;

// Windows takes none of these in a file name; refusing them everywhere makes a script
// install the same shortcuts on every system.
bool CanBeFileName(std::string_view caption) {
    return !caption.empty() && std::none_of(caption.begin(), caption.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
}

std::string Below(const std::string& directory, const std::string& remainder) {
    return directory + NativePath(remainder).string();
}

}  // namespace

bool CreateShortcut(Files& files, Shell& shell, const std::string& folder, const std::string& caption,
                    const std::string& target, std::vector<std::string>& installedFiles) {
    if (!CanBeFileName(caption)) return false;
    const std::string linkFolder = WithTrailingSeparator(folder, kNativeSeparator);
    if (!CreateDirectoryPath(files, linkFolder)) return false;
    const std::string linkPath = linkFolder + caption + ".LNK";
    const ShellLink link{target, caption, fs::path(target).parent_path().string(), {}};
    if (!shell.CreateShellLink(link, linkPath)) return false;
    installedFiles.push_back(linkPath);
    return true;
}

void CreateProgramGroups(Files& files, Shell& shell, const ScriptLines& lines, const std::string& groupPath,
                         const std::string& installDirectory, std::vector<std::string>& installedFiles) {
    if (groupPath.empty() || installDirectory.empty()) return;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto line = ReadProgramGroupLine(lines, i);
        if (!line || !StaysBelow(line->folder) || !StaysBelow(line->target)) continue;
        CreateShortcut(files, shell, Below(groupPath, line->folder), line->caption, Below(installDirectory, line->target),
                       installedFiles);
    }
}

void VexaInstall::CreateProgramGroups() {
    installer::CreateProgramGroups(platform_.files, platform_.shell, state_.scriptLines, state_.programGroupPath,
                                   state_.installDirectory, state_.installedFiles);
}

}  // namespace vexa::installer
