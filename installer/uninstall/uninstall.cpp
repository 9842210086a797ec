#include "installer/uninstall/uninstall.hpp"

#include <algorithm>

#include "common/format_path.hpp"
#include "installer/installation_removal.hpp"
#include "installer/installer_texts.hpp"
#include "installer/uninstall_record.hpp"

namespace vexa::installer {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// The program's own file, or a folder on the way to it.
bool HoldsOwnFile(const std::string& path, const std::string& ownEntry) {
    if (ownEntry.empty()) return false;
    if (path == ownEntry) return true;
    return ownEntry.size() > path.size() && ownEntry.starts_with(path) && ownEntry[path.size()] == kNativeSeparator;
}

// Whatever could not go now, inside the installation, is deleted at the next restart (a
// file in use goes then); what the record names outside it stays untouched.
UninstallResult LeaveToRestart(Platform& platform, const RemovalResult& removal, const std::string& ownEntry) {
    UninstallResult result;
    result.removed = true;
    for (const std::string& path : removal.left) {
        const bool scheduled = !Contains(removal.refused, path) && platform.components.DeleteAtRestart(path);
        if (scheduled && HoldsOwnFile(path, ownEntry)) continue;
        (scheduled ? result.atRestart : result.inPlace).push_back(path);
    }
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
    const std::string question = std::string(kRemoveQuestion) + product + std::string(kRemoveQuestionFrom) + directory + "?";
    if (askFirst && !platform.ui.AskYesNo(question, product)) return {};

    // The record's last file is the program's own, as the removal names it.
    const std::string ownEntry = record->size() > 3 ? NativePath(record->back()).string() : std::string();
    UninstallResult result = LeaveToRestart(platform, RemoveInstallation(platform, *record), ownEntry);
    const bool clean = result.atRestart.empty() && result.inPlace.empty();
    platform.ui.ShowMessage(EndMessage(product, result), product, clean ? MessageIcon::Information : MessageIcon::Exclamation);
    return result;
}

}  // namespace vexa::installer
