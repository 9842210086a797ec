#include "installer/folders.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/installer_texts.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;

constexpr int kMoreNames = 300;

// Read-only files would stay behind on Windows.
void MakeFilesWritable(const fs::path& folder) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && !it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
    }
}

}  // namespace

std::string MakeExpansionDirectory(Files& files) {
    auto placeholder = files.CreateTempFile(std::string(kTempPrefix));
    if (!placeholder) return {};
    const std::string base = placeholder->substr(0, placeholder->size() - std::min<std::size_t>(4, placeholder->size()));
    std::string made;
    std::error_code error;
    for (int n = 0; n <= kMoreNames && made.empty(); ++n) {
        std::string name = n == 0 ? base : base + std::to_string(n);
        if (fs::create_directory(name, error)) made = name + kNativeSeparator;
    }
    fs::remove(*placeholder, error);
    return made;
}

bool DirectoryUsable(Files& files, const std::string& path) {
    auto probe = files.CreateTempFileIn(path, std::string(kTempPrefix));
    if (!probe) return false;
    std::error_code ignored;
    fs::remove(*probe, ignored);
    return true;
}

bool CreateDirectoryPath(Files& files, const std::string& path) {
    fs::path level = fs::path(path).root_path();
    for (const fs::path& part : fs::path(path).relative_path()) {
        if (part.empty()) continue;
        level /= part;
        if (DirectoryUsable(files, level.string())) continue;
        // A level that stands but takes no files of ours (a system folder above the one we
        // install into) is passed over: whether the next level can be made decides.
        std::error_code error;
        if (fs::is_directory(level, error)) continue;
        if (!fs::create_directory(level, error)) return false;
    }
    return true;
}

void RemoveTempDirectory(Shell& shell, const std::string& path) {
    const std::string temp = shell.FolderPath(SpecialFolder::Temp);
    // Judged by what the path names, not by how it is spelt ("~vx1\..\" climbs out), and
    // without its final separator, through which a link would be followed.
    fs::path target = fs::path(path).lexically_normal();
    if (!target.has_filename()) target = target.parent_path();
    const std::string ours = ToUpperAnsi(temp + kNativeSeparator + std::string(kTempPrefix));
    if (temp.empty() || !ToUpperAnsi(target.string()).starts_with(ours)) return;
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(target, error))) MakeFilesWritable(target);
    fs::remove_all(target, error);
}

}  // namespace vexa::installer
