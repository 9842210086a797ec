#include "installer/installation_removal.hpp"

#include <filesystem>
#include <iterator>
#include <optional>
#include <set>
#include <system_error>

#include "cabcodec/member_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/installed_programs.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;

// A record's directory as a native path ending in a separator; empty when it is no place
// to remove anything below: empty, relative, or the root of a drive.
std::string RootOf(const std::string& line) {
    const fs::path path = NativePath(line);
    if (!path.is_absolute() || path.relative_path().empty()) return {};
    return WithTrailingSeparator(path.string(), kNativeSeparator);
}

bool StartsWithName(const std::string& path, const std::string& root) {
    if (root.empty()) return false;
    return kFileNamesIgnoreCase ? StartsWithIgnoreCase(path, root) : path.starts_with(root);
}

// Whether a folder between the root and the file is a link, through which a deletion would
// reach outside the root.
bool PassesThroughLink(const fs::path& root, const fs::path& remainder) {
    fs::path level = root;
    for (auto part = remainder.begin(); part != remainder.end() && std::next(part) != remainder.end(); ++part) {
        level /= *part;
        std::error_code ignored;
        if (fs::is_symlink(fs::symlink_status(level, ignored))) return true;
    }
    return false;
}

// A listed file that lies safely below the install directory or the group.
struct Listed {
    fs::path root;       // the directory, without its final separator
    fs::path remainder;  // the path below it
};

std::optional<Listed> SafelyBelow(const std::string& path, const std::string& directory, const std::string& group) {
    for (const std::string& root : {directory, group}) {
        if (!StartsWithName(path, root)) continue;
        const std::string remainder = path.substr(root.size());
        if (cab::IsSafeMemberName(FormatPath(remainder), 0) && !PassesThroughLink(root, NativePath(remainder)))
            return Listed{fs::path(root).parent_path(), NativePath(remainder)};
    }
    return std::nullopt;
}

// Removes the file unless it is a folder; true when nothing stands there afterwards.
bool RemoveListedFile(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!fs::exists(status)) return true;
    if (fs::is_directory(status)) return false;
    return fs::remove(path, error) && !error;
}

// Tries to remove each folder above the file, from the deepest up to and including its
// root; only empty ones go.
void RemoveEmptyParents(const Listed& listed, std::set<std::string>& tried) {
    for (fs::path rest = listed.remainder.parent_path();; rest = rest.parent_path()) {
        const fs::path level = rest.empty() ? listed.root : listed.root / rest;
        std::error_code ignored;
        if (fs::is_directory(fs::symlink_status(level, ignored))) fs::remove(level, ignored);
        tried.insert(level.string());
        if (rest.empty()) break;
    }
}

void DeleteProductKeys(Registry& registry, const std::string& productName) {
    if (productName.empty()) return;  // the parent key itself
    for (std::vector<std::string> key : {InstalledProgramKey(productName), UninstallEntryKey(productName)}) {
        const std::vector<std::string> parent(key.begin(), key.end() - 1);
        if (registry.KeyExists(RegistryRoot::LocalMachine, parent)) registry.DeleteKey(RegistryRoot::LocalMachine, key);
    }
}

}  // namespace

RemovalResult RemoveInstallation(Platform& platform, const std::vector<std::string>& record) {
    RemovalResult result;
    if (record.empty()) return result;
    const std::string directory = record.size() > 1 ? RootOf(record[1]) : std::string();
    const std::string group = record.size() > 2 ? RootOf(record[2]) : std::string();
    std::vector<Listed> removed;
    for (std::size_t line = 3; line < record.size(); ++line) {
        const std::string path = NativePath(record[line]).string();
        auto listed = SafelyBelow(path, directory, group);
        if (!listed) result.refused.push_back(path);
        if (!listed || !RemoveListedFile(path)) result.left.push_back(path);
        else removed.push_back(std::move(*listed));
    }
    std::set<std::string> tried;
    for (const Listed& listed : removed) RemoveEmptyParents(listed, tried);
    for (auto folder = tried.rbegin(); folder != tried.rend(); ++folder) {
        std::error_code ignored;
        if (fs::exists(fs::symlink_status(*folder, ignored))) result.left.push_back(*folder);
    }
    DeleteProductKeys(platform.registry, record[0]);
    return result;
}

}  // namespace vexa::installer
