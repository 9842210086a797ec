// The Install and Cancel buttons and the worker that carries out the script: the checks
// before anything is written, each install line, the pause and cancel handshake through
// the two flag files, and the closing steps.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <future>
#include <limits>
#include <optional>
#include <system_error>
#include <vector>

#include "cabcodec/member_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/attachment.hpp"
#include "installer/folders.hpp"
#include "installer/install_script.hpp"
#include "installer/installed_programs.hpp"
#include "installer/installer_texts.hpp"
#include "installer/vexa_install.hpp"
#include "loader/component_placement.hpp"
#include "loader/install_line.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;

using loader::ComponentPlacement;
using loader::InstallKind;
using loader::InstallLine;
using loader::Placement;

constexpr std::uint32_t kFlagPollMilliseconds = 100;

ComponentPlacement PlacementOn(Platform& platform) {
    return {platform.files, platform.components, platform.registry, platform.shell};
}

bool IsFile(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && fs::is_regular_file(path, ignored);
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

// A flag is its file's presence; one already standing is as good as one made now.
void RaiseFlag(Files& files, const std::string& path) {
    if (auto flag = files.CreateNewFile(path)) flag->Close();
}

void LowerFlag(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

// Sizes come from the script's author: a negative one asks for nothing, and sums too large
// to count stay at the largest, which no drive holds.
std::uint64_t Bytes(std::int64_t size) { return static_cast<std::uint64_t>(std::max<std::int64_t>(0, size)); }
std::uint64_t Sum(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// The drive a path is on, as its message names it. Paths with drive letters have it in
// their first two characters, compared exactly as written ("c:" and "C:" are two). A POSIX
// machine has no drive letters; it counts as one drive, "/", so the needs of the program
// and the system add up: asking too much of one file system is safer than too little of two.
std::string DriveText(const std::string& path) {
    if constexpr (kNativeSeparator == '/')
        return path.empty() ? std::string() : std::string("/");
    else
        return path.substr(0, 2);
}

// The install directory is usually not made yet: its space is that of the nearest folder
// along it that exists.
std::string NearestExistingFolder(const std::string& path) {
    std::error_code ignored;
    for (fs::path folder = fs::path(path); !folder.empty(); folder = folder.parent_path()) {
        if (fs::is_directory(folder, ignored)) return folder.string();
        if (folder == folder.parent_path()) break;
    }
    return {};
}

// The free bytes of the drive holding `folder`; nullopt when they cannot be told, as for a
// path none of whose folders exists (a drive that is not there).
std::optional<std::uint64_t> FreeSpace(Files& files, const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    auto space = files.SpaceOfDrive(folder);
    if (!space) return std::nullopt;
    return space->freeBytes;
}

std::string InsufficientSpace(const std::string& drive, std::uint64_t required, std::uint64_t available) {
    return std::string(kInsufficientSpace) + drive + std::string(kSpaceRequired) + std::to_string(required) +
           std::string(kSpaceAvailable) + std::to_string(available) + std::string(kSpaceEnd);
}

}  // namespace

bool VexaInstall::PressInstall() {
    if (!CheckPreviousInstallation()) return false;
    state_.installDirectory = WithTrailingSeparator(state_.destination, kNativeSeparator);
    state_.installedFiles.clear();
    const std::string caption(kCaption);
    if (std::string shortage = CheckDiskSpace(); !shortage.empty()) {
        platform_.ui.ShowMessage(shortage, caption);
        return false;
    }
    if (!CreateDirectoryPath(platform_.files, state_.installDirectory)) {
        platform_.ui.ShowMessage(std::string(kCannotCreateDirectory) + state_.installDirectory, caption);
        return false;
    }
    state_.installing = true;
    return true;
}

std::string VexaInstall::CheckDiskSpace() {
    ComponentPlacement placement = PlacementOn(platform_);
    std::uint64_t programBytes = 0, systemBytes = 0;
    for (std::size_t i = 0; i < state_.scriptLines.size(); ++i) {
        auto line = loader::ReadInstallLine(state_.scriptLines, i);
        if (!line) continue;
        const std::uint64_t need = Sum(Bytes(line->cabinetSize), Bytes(line->expandedSize));
        if (line->kind == InstallKind::Program)
            programBytes = Sum(programBytes, need);
        else if (line->kind == InstallKind::Library ? !placement.NeedDll(line->fileName, line->version).empty()
                                                    : !placement.NeedControl(line->classId, line->version,
                                                                             line->fileName).empty())
            systemBytes = Sum(systemBytes, need);
    }
    const std::string system = platform_.shell.FolderPath(SpecialFolder::System);
    const std::string programDrive = DriveText(state_.installDirectory), systemDrive = DriveText(system);
    // A drive with no name has no room.
    auto programFree = programDrive.empty()
                           ? std::optional<std::uint64_t>(0)
                           : FreeSpace(platform_.files, NearestExistingFolder(state_.installDirectory));
    auto systemFree = systemDrive.empty() ? std::optional<std::uint64_t>(0) : FreeSpace(platform_.files, system);
    if (!programFree || !systemFree) return {};
    if (programDrive == systemDrive) programBytes = Sum(programBytes, systemBytes);
    if (programBytes > *programFree) return InsufficientSpace(programDrive, programBytes, *programFree);
    if (systemBytes > *systemFree) return InsufficientSpace(systemDrive, systemBytes, *systemFree);
    return {};
}

void VexaInstall::AddStatusLine(const std::string& text) {
    statusLog_ += "\r\n" + text;
    ++statusLines_;
    host_.StatusChanged(statusLog_, statusLines_);
}

namespace {

// A library or control taken out of the attachment: the file itself, or the file out of
// the cabinet the attachment holds. The path, or the error text.
struct Extracted {
    std::string path;
    std::string error;
};

Extracted ExtractComponent(Files& files, const CabinetFile& attachment, const std::string& temporary,
                           const std::string& member, const std::string& fileName) {
    std::vector<std::string> paths;
    // A name that would climb out of the temporary directory, or none at all, is not taken.
    if (!cab::IsSafeMemberName(member, 0) || !ExtractFromCabinet(files, attachment, temporary, member, paths) ||
        paths.empty())
        return {{}, std::string(kCannotExtract) + member + std::string(kFromAttachment)};
    if (!member.ends_with("CAB")) return {paths.front(), {}};
    std::vector<std::string> inner;
    if (!cab::IsSafeMemberName(fileName, 0) || !ExtractFromCabinet(files, paths.front(), temporary, fileName, inner) ||
        inner.empty())
        return {{}, std::string(kCannotExtract) + fileName + std::string(kFrom) + member};
    return {inner.front(), {}};
}

}  // namespace

std::string VexaInstall::InstallDll(std::size_t i) {
    const InstallLine line = *loader::ReadInstallLine(state_.scriptLines, i);
    ComponentPlacement placement = PlacementOn(platform_);
    const std::string member = MemberNameOf(line.cabinet);
    if (placement.NeedDll(line.fileName, line.version).empty()) return {};
    AddStatusLine(std::string(kInstalling) + member);
    Extracted file = ExtractComponent(platform_.files, Attachment(), state_.temporaryDirectory, member, line.fileName);
    if (!file.error.empty()) return file.error;
    std::string target = placement.NeedDll(line.fileName, platform_.components.FileVersion(file.path));
    if (target.empty()) return {};
    Placement placed = placement.Place(file.path, target);
    if (placed == Placement::Failed) return std::string(kCannotInstallDll) + line.fileName;
    if (placed == Placement::Deferred) state_.reboot = true;
    return {};
}

// A control up to date is registered again, as its installation would have done.
std::string VexaInstall::InstallOcx(std::size_t i) {
    const InstallLine line = *loader::ReadInstallLine(state_.scriptLines, i);
    ComponentPlacement placement = PlacementOn(platform_);
    const std::string member = MemberNameOf(line.cabinet);
    if (placement.NeedControl(line.classId, line.version, line.fileName).empty()) {
        platform_.components.RegisterServer(placement.RegisteredServer(line.classId));
        return {};
    }
    AddStatusLine(std::string(kInstalling) + member);
    Extracted file = ExtractComponent(platform_.files, Attachment(), state_.temporaryDirectory, member, line.fileName);
    if (!file.error.empty()) return file.error;
    std::string target = placement.NeedControl(line.classId, platform_.components.FileVersion(file.path), line.fileName);
    Placement placed = Placement::Copied;
    if (target.empty())
        target = placement.RegisteredServer(line.classId);
    else
        placed = placement.Place(file.path, target);
    if (placed == Placement::Failed) return std::string(kCannotInstallOcx) + line.fileName;
    if (IsFile(target)) platform_.components.RegisterServer(target);
    if (placed == Placement::Deferred) state_.reboot = true;
    return {};
}

std::string VexaInstall::ProgramMember(std::size_t i, const std::string& member) {
    if (prefetch_.paths.valid() && prefetch_.line == i) {
        std::vector<std::string> paths = prefetch_.paths.get();
        return paths.empty() ? std::string() : paths.front();
    }
    WaitForPrefetch();
    std::vector<std::string> paths;
    if (!cab::IsSafeMemberName(member, 0) ||
        !ExtractFromCabinet(platform_.files, Attachment(), state_.temporaryDirectory, member, paths) || paths.empty())
        return {};
    return paths.front();
}

// Taking a cabinet out of the attachment writes it whole into the temporary directory:
// done for the next line while this one expands, the two overlap. Only when no other
// install line comes between, so nothing else takes out a member of the same name meanwhile.
void VexaInstall::PrefetchAfter(std::size_t i, const std::string& member) {
    std::optional<InstallLine> next;
    std::size_t j = i + 1;
    for (; j < state_.scriptLines.size() && !next; ++j) next = loader::ReadInstallLine(state_.scriptLines, j);
    if (!next || next->kind != InstallKind::Program) return;
    const std::string nextMember = MemberNameOf(next->cabinet);
    if (nextMember == member || !cab::IsSafeMemberName(nextMember, 0)) return;
    auto extract = [&files = platform_.files, attachment = Attachment(), temporary = state_.temporaryDirectory,
                    nextMember] {
        std::vector<std::string> paths;
        if (!ExtractFromCabinet(files, attachment, temporary, nextMember, paths)) paths.clear();
        return paths;
    };
    try {
        prefetch_ = {j - 1, std::async(std::launch::async, extract)};
    } catch (const std::system_error&) {  // no thread to spare: the line takes it out itself
    }
}

void VexaInstall::WaitForPrefetch() {
    if (prefetch_.paths.valid()) prefetch_.paths.wait();
    prefetch_ = {};
}

std::string VexaInstall::InstallProgramCab(std::size_t i) {
    const InstallLine line = *loader::ReadInstallLine(state_.scriptLines, i);
    const std::string member = MemberNameOf(line.cabinet);
    AddStatusLine(std::string(kInstalling) + member);
    const std::string cabinet = ProgramMember(i, member);
    if (cabinet.empty()) return std::string(kCannotExtract) + member + std::string(kFromAttachment);
    PrefetchAfter(i, member);
    std::string destination = state_.installDirectory;
    // One leading "\" is dropped: "\" alone names the install directory itself.
    const std::string& sub = line.subDirectory;
    if (std::string below = sub.starts_with('\\') ? sub.substr(1) : sub; !below.empty()) {
        below = WithTrailingSeparator(below, '\\');
        // A drive, a root, a UNC name or a climb would leave the install directory.
        if (!cab::IsSafeMemberName(below, 0) ||
            !CreateDirectoryPath(platform_.files, destination += NativePath(below).string()))
            return std::string(kCannotCreateSubDirectory) + sub + std::string(kToExpand) + member;
    }
    if (!ExtractFromCabinet(platform_.files, cabinet, destination, "", state_.installedFiles))
        return std::string(kCannotExpand) + member;
    return {};
}

std::string VexaInstall::RunExecuteStep() {
    const ExecuteSearch search = FindExecuteLine(state_.scriptLines);
    if (!search.present) return {};
    if (!search.line) return std::string(kNoExecuteLine);
    const std::string program = state_.installDirectory + NativePath(search.line->program).string();
    const std::string failed = std::string(kCannotExecute) + program;
    if (!cab::IsSafeMemberName(search.line->program, 0)) return failed;
    if (!ToUpperAnsi(program).ends_with("EXE")) return platform_.shell.Open(program) ? std::string() : failed;
    // Started in the install directory, where a program looks for the files beside it.
    auto started = platform_.processes.Start(program, search.line->arguments, state_.installDirectory,
                                             WindowShow::Normal);
    if (!started) return failed;
    platform_.processes.Release(started->process);
    return {};
}

void VexaInstall::RunInstallation() {
    const std::string caption(kCaption);
    auto show = [&](const std::string& text) { platform_.ui.ShowMessage(text, caption); };
    // Every way out ends the dialog; whatever is installed by then stays.
    auto finish = [&] {
        WaitForPrefetch();
        RemoveTempDirectory(platform_.shell, state_.temporaryDirectory);
        host_.Finished();
    };
    state_.reboot = false;
    state_.installedFiles.clear();
    const std::string cancelFlag = FlagPath(kCancelFlag), pauseFlag = FlagPath(kPauseFlag);
    if (!state_.previousInstallation.empty()) {
        host_.EnableCancel(false);
        AddStatusLine(std::string(kRemovingPrevious));
        RemovePreviousInstallation();
        host_.EnableCancel(true);
    }
    for (std::size_t i = 0; i < state_.scriptLines.size(); ++i) {
        std::string error;
        if (auto line = loader::ReadInstallLine(state_.scriptLines, i)) {
            error = line->kind == InstallKind::Library   ? InstallDll(i)
                    : line->kind == InstallKind::Control ? InstallOcx(i)
                                                         : InstallProgramCab(i);
        }
        if (!error.empty()) {
            host_.EnableCancel(false);
            show(error);
            return finish();
        }
        while (Exists(pauseFlag)) platform_.clock.Sleep(kFlagPollMilliseconds);
        if (Exists(cancelFlag)) return finish();
    }
    host_.EnableCancel(false);
    WaitForPrefetch();
    if (!state_.programGroupPath.empty()) {
        AddStatusLine(std::string(kCreatingGroups));
        CreateProgramGroups();
    }
    PlaceUninstallProgram();
    platform_.registry.WriteString(RegistryRoot::LocalMachine, InstalledProgramKey(state_.productName),
                                   std::string(kDirectoryValue), state_.installDirectory);
    RemoveTempDirectory(platform_.shell, state_.temporaryDirectory);
    if (state_.reboot) {
        if (platform_.ui.AskYesNo(std::string(kRebootQuestion), caption)) platform_.components.Restart();
    } else {
        AddStatusLine(std::string(kInstallationCompleted));
        if (std::string done = ReadSettings(state_.scriptLines).doneMessage; !done.empty())
            platform_.ui.ShowMessage(done, caption, MessageIcon::Information);
        if (std::string error = RunExecuteStep(); !error.empty()) show(error);
    }
    host_.Finished();
}

bool VexaInstall::PressCancel() {
    if (!state_.installing) {
        RemoveTempDirectory(platform_.shell, state_.temporaryDirectory);
        return true;
    }
    const std::string pauseFlag = FlagPath(kPauseFlag);
    RaiseFlag(platform_.files, pauseFlag);
    if (platform_.ui.AskYesNo(std::string(kCancelQuestion), std::string(kCaption))) {
        host_.EnableCancel(false);
        state_.statusText = std::string(kCancelling);  // the host shows it once the question is answered
        RaiseFlag(platform_.files, FlagPath(kCancelFlag));
    }
    LowerFlag(pauseFlag);
    return false;
}

}  // namespace vexa::installer
