#include "loader/installation.hpp"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "cabcodec/expand_into.hpp"
#include "cabcodec/member_name.hpp"
#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "signature/signature.hpp"
#include "loader/texts.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

// The texts of one component kind: "DLL" or "OCX".
struct ComponentTexts {
    std::string install, workDirectory, expand, installExpanded;
};

ComponentTexts TextsOf(InstallKind kind) {
    std::string k = kind == InstallKind::Library ? "DLL" : "OCX";
    return {"Cannot install " + k + " file: ", "Cannot create temporary expansion directory for " + k + " file.",
            "Cannot expand cabbed " + k + " file: ", "Cannot install expanded " + k + " file: "};
}

std::string MismatchText(const InstallLine& line) {
    return "Download error. Signature of downloaded file does not match script specs. File Name: " + line.cabinet +
           kLineBreak + "To re-download the file, make sure you are connected to the Internet and then refresh this page.";
}

// The drive of a folder, as its first three characters ("C:\").
std::string DriveOf(const std::string& folder) { return folder.substr(0, 3); }

}  // namespace

Installation::Installation(InstallPorts ports, LocalCache& cache)
    : ports_(ports), placement_(ports.files, ports.components, ports.registry, ports.shell), cache_(cache) {}

std::string Installation::NeedComponent(const InstallLine& line, const std::string& version) {
    return line.kind == InstallKind::Library ? NeedDll(line.fileName, version)
                                             : NeedControl(line.classId, version, line.fileName);
}

std::string Installation::KeptKey(std::int64_t size, const std::string& signature) {
    return std::to_string(size) + "|" + signature;
}

namespace {

std::shared_future<std::string> Answered(std::string answer) {
    std::promise<std::string> promise;
    promise.set_value(std::move(answer));
    return promise.get_future().share();
}

bool IsAnswered(const std::shared_future<std::string>& answer) {
    return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace

std::string Installation::FindCachedProgram(const std::string&, std::int64_t size, const std::string& signature) {
    std::string key = KeptKey(size, signature);
    if (auto known = keptPrograms_.find(key); known != keptPrograms_.end()) return known->second.get();
    std::string entry = LocalCache::KeptProgramEntry(cache_.GetDownloadedProgramsFolder(), size, signature);
    if (entry.empty()) return {};  // it may yet be kept during the run
    auto checked = Answered(VerifyFile(ports_.files, entry, signature) ? entry : "");
    return keptPrograms_.emplace(key, checked).first->second.get();
}

// A second visit checks every kept cabinet, and each check is short: two threads take
// turns through the list while the run goes on, asking for each answer when it needs it.
void Installation::CheckKeptPrograms(const ScriptLines& lines) {
    struct Check {
        std::string entry;
        std::string signature;
        std::promise<std::string> answer;
    };
    auto checks = std::make_shared<std::vector<Check>>();
    const std::string folder = cache_.GetDownloadedProgramsFolder();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto line = ReadInstallLine(lines, i);
        if (!line || line->kind != InstallKind::Program) continue;
        std::string key = KeptKey(line->cabinetSize, line->signature);
        if (keptPrograms_.contains(key)) continue;
        std::string entry = LocalCache::KeptProgramEntry(folder, line->cabinetSize, line->signature);
        if (entry.empty()) continue;
        Check& check = checks->emplace_back(Check{entry, line->signature, {}});
        keptPrograms_.emplace(key, check.answer.get_future().share());
    }
    auto checkEveryOther = [checks, &files = ports_.files](std::size_t first) {
        for (std::size_t i = first; i < checks->size(); i += 2) {
            Check& check = (*checks)[i];
            check.answer.set_value(VerifyFile(files, check.entry, check.signature) ? check.entry : "");
        }
    };
    for (std::size_t first = 0; first < std::min<std::size_t>(2, checks->size()); ++first) {
        try {
            checkers_.emplace_back(checkEveryOther, first);
        } catch (const std::system_error&) {  // no thread to spare: check them here
            checkEveryOther(first);
        }
    }
}

bool Installation::KeptChecksPending() const {
    return std::any_of(keptPrograms_.begin(), keptPrograms_.end(),
                       [](const auto& kept) { return !IsAnswered(kept.second); });
}

void Installation::BeginRun() {
    rebootNeeded_ = false;
    checkers_.clear();
    keptPrograms_.clear();
}

bool Installation::MustFetch(const InstallLine& line, WhilePending pending) {
    if (line.kind != InstallKind::Program) return !NeedComponent(line, line.version).empty();
    auto kept = keptPrograms_.find(KeptKey(line.cabinetSize, line.signature));
    if (pending != WhilePending::Wait && kept != keptPrograms_.end() && !IsAnswered(kept->second))
        return pending == WhilePending::AssumeSpoilt;
    return FindCachedProgram(line.cabinet, line.cabinetSize, line.signature).empty();
}

// Counting every kept cabinet still being checked as one to fetch asks the most of the
// disks: when even that fits, the answers need not be waited for.
std::string Installation::CheckDiskSpace(const ScriptLines& lines) {
    CheckKeptPrograms(lines);
    std::string shortage = SpaceShortage(lines, WhilePending::AssumeSpoilt);
    return shortage.empty() ? shortage : SpaceShortage(lines, WhilePending::Wait);
}

std::string Installation::SpaceShortage(const ScriptLines& lines, WhilePending pending) {
    const std::string temp = cache_.GetTempFolder();
    const std::string system = ports_.shell.FolderPath(SpecialFolder::System);
    std::int64_t tempNeed = 0, systemNeed = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto line = ReadInstallLine(lines, i);
        if (!line) continue;
        if (line->kind != InstallKind::Program) {
            if (MustFetch(*line)) systemNeed += line->cabinetSize + line->expandedSize;
            continue;
        }
        if (MustFetch(*line, pending)) tempNeed += line->cabinetSize;
        tempNeed += line->expandedSize;
    }
    auto tempSpace = ports_.files.SpaceOfDrive(temp);
    auto systemSpace = ports_.files.SpaceOfDrive(system);
    if (!tempSpace || !systemSpace) return {};
    const std::string tempDrive = DriveOf(temp), systemDrive = DriveOf(system);
    if (tempDrive == systemDrive) tempNeed += systemNeed;
    auto exceeds = [](std::int64_t need, const DriveSpace& space) {
        return need > 0 && static_cast<std::uint64_t>(need) > space.freeBytes;
    };
    if (exceeds(tempNeed, *tempSpace)) return InsufficientSpaceText(tempDrive);
    if (exceeds(systemNeed, *systemSpace)) return InsufficientSpaceText(systemDrive);
    return {};
}

Placement Installation::Place(const std::string& source, const std::string& target) {
    Placement placed = placement_.Place(source, target);
    if (placed == Placement::Deferred) rebootNeeded_ = true;
    return placed;
}

// A component whose present copy is as new as the arrived one needs nothing more. A
// control copied in place at once is registered; a deferred one registers itself later
// through its installer, as the restart leaves it unregistered now.
std::string Installation::InstallComponentFile(const InstallLine& line, const std::string& file, bool expanded) {
    const ComponentTexts texts = TextsOf(line.kind);
    std::string target = NeedComponent(line, ports_.components.FileVersion(file));
    if (target.empty()) return {};
    Placement placed = Place(file, target);
    if (placed == Placement::Failed) return expanded ? texts.installExpanded + line.fileName : texts.install + line.cabinet;
    if (line.kind == InstallKind::Control && placed == Placement::Copied) ports_.components.RegisterServer(target);
    return {};
}

std::string Installation::InstallComponent(const InstallLine& line, const std::string& arrived) {
    if (line.signature.starts_with("1-") && !VerifyFile(ports_.files, arrived, line.signature))
        return MismatchText(line);
    const ComponentTexts texts = TextsOf(line.kind);
    if (!ToUpperAnsi(arrived).ends_with("CAB")) return InstallComponentFile(line, arrived, false);
    std::string work = cache_.MakeUniqueTempDir("~tm");
    if (work.empty()) return texts.workDirectory;
    std::string result;
    if (!cab::ExpandInto(ports_.files, arrived, work).Done())
        result = texts.expand + line.cabinet;
    else
        result = InstallComponentFile(line, work + NativePath(line.fileName).string(), true);
    cache_.RemoveTempTree(work);
    return result;
}

std::string Installation::AcceptProgram(const InstallLine& line, const std::string& arrived) {
    if (!VerifyFile(ports_.files, arrived, line.signature)) return MismatchText(line);
    cache_.KeepCachedCab(arrived, CacheKind::Program, {line.signature, !StartsWithIgnoreCase(line.cabinet, "FILE://")});
    return {};
}

std::string Installation::ExpandProgram(const InstallLine& line, const std::string& cabinet,
                                        const std::string& productDirectory) {
    std::error_code error;
    fs::create_directories(productDirectory, error);
    fs::path folder = productDirectory;
    // One leading "\" is dropped: "\" alone names the product directory itself.
    std::string sub = line.subDirectory.starts_with('\\') ? line.subDirectory.substr(1) : line.subDirectory;
    if (!sub.empty()) {
        sub = WithTrailingSeparator(sub, '\\');
        // A drive, a root, a UNC name or a climb would leave the product directory.
        if (!cab::IsSafeMemberName(sub, 0)) return "Invalid sub-directory specified in script. Sub-directory: " + sub;
        folder = fs::path(productDirectory) / NativePath(sub);
        fs::create_directories(folder, error);
        if (!fs::is_directory(folder, error))
            return "Cannot create sub-directory " + folder.string() + " to expand: " + line.cabinet;
    }
    if (!cab::ExpandInto(ports_.files, cabinet, folder).Done())
        return "Cannot expand cab file: " + line.cabinet;
    return {};
}

}  // namespace vexa::loader
