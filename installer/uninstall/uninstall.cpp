#include "installer/uninstall/uninstall.hpp"

#include <algorithm>
#include <filesystem>

#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/installation_removal.hpp"
#include "installer/installer_texts.hpp"
#include "installer/uninstall_record.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// The program's own file, or a folder on the way to it.
bool HoldsOwnFile(const std::string& path, const std::string& ownEntry) {
    if (ownEntry.empty()) return false;
    if (path == ownEntry) return true;
    return ownEntry.size() > path.size() && ownEntry.starts_with(path) && ownEntry[path.size()] == kNativeSeparator;
}

// The installation's directory and group as roots to climb to, ending in a separator;
// a drive's root or a relative path is none.
std::vector<std::string> RootsOf(const std::vector<std::string>& record) {
    std::vector<std::string> roots;
    for (std::size_t line : {1, 2}) {
        const fs::path root = NativePath(record[line]);
        if (root.is_absolute() && root.has_relative_path())
            roots.push_back(WithTrailingSeparator(root.string(), kNativeSeparator));
    }
    return roots;
}

bool Below(const std::string& path, const std::string& root) {
    return kFileNamesIgnoreCase ? StartsWithIgnoreCase(path, root) : path.starts_with(root);
}

// The path and the folders above it up to the root it lies in, that root included.
void AddWithFolders(const std::string& path, const std::vector<std::string>& roots, std::vector<std::string>& into) {
    if (!Contains(into, path)) into.push_back(path);
    for (const std::string& root : roots) {
        if (!Below(path, root)) continue;
        for (fs::path folder = fs::path(path).parent_path(); folder.string().size() + 1 >= root.size();
             folder = folder.parent_path()) {
            if (!Contains(into, folder.string())) into.push_back(folder.string());
        }
        return;
    }
}

// A folder the removal left because it still holds something: the record lists a file below it.
bool HoldsListedFile(const std::string& path, const std::vector<std::string>& record) {
    for (std::size_t line = 3; line < record.size(); ++line) {
        const std::string listed = NativePath(record[line]).string();
        if (listed.size() > path.size() && listed.starts_with(path) && listed[path.size()] == kNativeSeparator)
            return true;
    }
    return false;
}

// Whatever could not go now, inside the installation, is deleted at the next restart (a
// file in use goes then) with the folders that hold it, each before the folder above it;
// a folder that stays only for what the user put there, and what the record names
// outside the installation, stay untouched.
UninstallResult LeaveToRestart(Platform& platform, const RemovalResult& removal,
                               const std::vector<std::string>& record) {
    const std::vector<std::string> roots = RootsOf(record);
    std::vector<std::string> scheduled, folders;
    for (const std::string& path : removal.left) {
        if (Contains(removal.refused, path)) continue;
        if (HoldsListedFile(path, record)) folders.push_back(path);
        else AddWithFolders(path, roots, scheduled);
    }
    std::stable_sort(scheduled.begin(), scheduled.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), kNativeSeparator) > std::count(b.begin(), b.end(), kNativeSeparator);
    });

    // The record's last file is the program's own, as the removal names it; where it was
    // left (in use, as it runs), it and its folders go at the restart as a matter of course.
    std::string ownEntry = record.size() > 3 ? NativePath(record.back()).string() : std::string();
    if (!Contains(removal.left, ownEntry)) ownEntry.clear();
    UninstallResult result;
    result.removed = true;
    for (const std::string& path : scheduled) {
        if (!platform.components.DeleteAtRestart(path)) result.inPlace.push_back(path);
        else if (!HoldsOwnFile(path, ownEntry)) result.atRestart.push_back(path);
    }
    for (const std::string& folder : folders)
        if (!Contains(scheduled, folder)) result.inPlace.push_back(folder);
    result.inPlace.insert(result.inPlace.end(), removal.refused.begin(), removal.refused.end());
    return result;
}

std::string Listing(std::string_view heading, const std::vector<std::string>& paths) {
    std::string text = "\r\n\r\n" + std::string(heading);
    for (const std::string& path : paths) text += "\r\n" + path;
    return text;
}

std::string EndMessage(const std::string& product, const UninstallResult& result) {
    std::string text = product + std::string(kUninstallDone);
    if (!result.atRestart.empty()) text += Listing(kLeftUntilRestart, result.atRestart);
    if (!result.inPlace.empty()) text += Listing(kLeftInPlace, result.inPlace);
    return text;
}

}  // namespace

UninstallResult Uninstall(Platform& platform, const std::string& ownPath, bool askFirst) {
    const std::string caption(kUninstallCaption);
    auto record = ReadUninstallRecord(platform.files, ownPath);
    if (!record) {
        platform.ui.ShowMessage(std::string(kCannotOpenUninstall) + ownPath, caption, MessageIcon::Error);
        return {};
    }
    // The installer writes the product, directory and group lines even for a product with
    // no files; fewer, or no product name, is no record of an installation.
    if (record->size() < 3 || record->front().empty()) {
        platform.ui.ShowMessage(std::string(kNoInstallationRecord), caption, MessageIcon::Error);
        return {};
    }
    const std::string& product = record->front();
    const std::string directory = NativePath((*record)[1]).string();
    const std::string question =
        std::string(kRemoveQuestion) + product + std::string(kRemoveQuestionFrom) + directory + "?";
    if (askFirst && !platform.ui.AskYesNo(question, product)) return {};

    UninstallResult result = LeaveToRestart(platform, RemoveInstallation(platform, *record), *record);
    const bool clean = result.atRestart.empty() && result.inPlace.empty();
    platform.ui.ShowMessage(EndMessage(product, result), product,
                            clean ? MessageIcon::Information : MessageIcon::Exclamation);
    return result;
}

}  // namespace vexa::installer
