// The dialog's start-up: the script from the attachment, the certificate and the password,
// then what the settings resolve to. Also Change Folder, which works on the same names.

#include <utility>

#include "common/format_path.hpp"
#include "common/registry_path.hpp"
#include "common/text.hpp"
#include "installer/attachment.hpp"
#include "installer/folders.hpp"
#include "installer/install_script.hpp"
#include "installer/installed_programs.hpp"
#include "installer/installer_texts.hpp"
#include "installer/password.hpp"
#include "installer/vexa_install.hpp"
#include "loader/run_driver.hpp"

namespace vexa::installer {
namespace {

constexpr std::string_view kDefaultProgramFiles = "C:\\Program Files";

std::string AsDirectory(std::string_view path) { return WithTrailingSeparator(path, kNativeSeparator); }

// A script path as a path of this system.
std::string Native(std::string_view formatPath) { return NativePath(formatPath).string(); }

// The registry's word first, then the shell's, then the usual place; ends in a separator.
std::string ProgramFilesDirectory(Platform& platform) {
    std::string folder =
        platform.registry.ReadString(RegistryRoot::LocalMachine, SplitRegistryPath(kCurrentVersionKey), "ProgramFilesDir")
            .value_or("");
    if (folder.empty()) folder = platform.shell.FolderPath(SpecialFolder::ProgramFiles);
    if (folder.empty()) folder = Native(kDefaultProgramFiles);
    return AsDirectory(folder);
}

}  // namespace

VexaInstall::VexaInstall(Platform& platform, InstallerHost& host, std::string ownPath, std::uint64_t attachmentOffset)
    : platform_(platform), host_(host), ownPath_(std::move(ownPath)), attachmentOffset_(attachmentOffset) {}

// A host that ends, however it ends, leaves no expansion directory behind.
VexaInstall::~VexaInstall() {
    WaitForPrefetch();
    if (!state_.temporaryDirectory.empty()) RemoveTempDirectory(platform_.shell, state_.temporaryDirectory);
}

bool VexaInstall::StartUp() {
    AttachmentPlace place = ExtractAttachment(platform_.files, ownPath_, attachmentOffset_);
    if (!place.failure.empty()) return Stop(place.failure);
    state_.temporaryDirectory = place.directory;

    // The script may stand in a folder of the cabinet: it is read where it was put.
    std::vector<std::string> script;
    if (!ExtractFromCabinet(platform_.files, Attachment(), state_.temporaryDirectory, std::string(kScriptName),
                            script))
        return Stop(kNoScriptInAttachment);
    if (!LoadScriptLines(platform_.files, script.front(), state_.scriptLines)) return Stop(kCannotLoadScript);
    RemoveTempDirectory(platform_.shell, std::exchange(state_.temporaryDirectory, {}));

    const InstallerSettings settings = ReadSettings(state_.scriptLines);
    if (!CheckTrust()) return false;
    if (!settings.password.empty() && !AskForPassword(settings.password)) return false;

    place = ExtractAttachment(platform_.files, ownPath_, attachmentOffset_);
    if (!place.failure.empty()) return Stop(place.failure);
    state_.temporaryDirectory = place.directory;

    state_.productName = settings.productName;
    if (state_.productName.empty()) return Stop(kNoProductName);
    state_.destination = ResolveProductDirectory(settings.productDirectory);
    if (state_.destination.empty()) return Stop(kNoProductDirectory);
    state_.productFolderName = ProductFolderName(settings.productDirectory);
    if (state_.productFolderName.empty()) return Stop(kNoSubDirectory);
    ResolveProgramGroup(settings.productProgramGroup);
    return true;
}

bool VexaInstall::AskForPassword(const std::string& setting) {
    for (;;) {
        std::optional<std::string> entry = host_.AskPassword();
        if (!entry) return false;
        const std::string encoded = EncodePassword(*entry, setting);
        if (encoded.empty()) continue;
        if (encoded == setting) return true;
        platform_.ui.ShowMessage(std::string(kWrongPassword), std::string(kCaption));
    }
}

bool VexaInstall::CheckTrust() {
    if (ToUpperAnsi(GetScriptVar(state_.scriptLines, "CheckTrust")) != "TRUE") return true;
    if (platform_.trust.Available()) return platform_.trust.Verify(ownPath_, loader::TrustSubjectOf(ownPath_));
    return platform_.ui.AskYesNo(std::string(kNoTrustLibrary), std::string(kCaption));
}

std::string VexaInstall::ResolveProductDirectory(const std::string& setting) {
    if (setting.empty()) return {};
    std::string registered = RegisteredDirectory(platform_.registry, platform_.files, state_.productName);
    if (!registered.empty()) return registered;

    const std::string_view trimmed = Trim(setting);
    if (trimmed.empty()) return {};
    auto below = AfterPlaceholder(trimmed, kProgramFilesDirPlaceholder);
    if (!below) return AsDirectory(Native(trimmed));
    return AsDirectory(ProgramFilesDirectory(platform_) + Native(*below));
}

std::string VexaInstall::ProductFolderName(const std::string& setting) {
    // Trimmed as the product directory is, so blanks at its end name no folder.
    std::string_view path = Trim(setting);
    auto below = AfterPlaceholder(path, kProgramFilesDirPlaceholder);
    if (below && !StaysBelow(*below)) return {};
    if (path.ends_with('\\') || path.ends_with('/')) path.remove_suffix(1);
    const std::size_t last = path.find_last_of("\\/");
    const std::string_view name = last == std::string_view::npos ? path : path.substr(last + 1);
    // A drive root ("C:") or a placeholder with nothing below it; or no name at all ("/").
    if (name.empty() || name.ends_with(':') || name.ends_with('>')) return {};
    return std::string(name) + kNativeSeparator;
}

void VexaInstall::ResolveProgramGroup(const std::string& setting) {
    state_.programGroupPath.clear();
    state_.programGroupDisplay = std::string(kNoGroup);
    auto below = AfterPlaceholder(setting, kProgramsGroupPlaceholder);
    if (!below || !StaysBelow(*below)) return;
    const std::string programs = platform_.shell.FolderPath(SpecialFolder::Programs);
    if (programs.empty()) return;
    state_.programGroupDisplay = *below;
    state_.programGroupPath = AsDirectory(AsDirectory(programs) + Native(*below));
}

void VexaInstall::ChangeFolder() {
    std::optional<std::string> chosen = host_.ChooseDirectory();
    if (!chosen) return;
    std::string destination = AsDirectory(*chosen);
    // The product's own folder as the last level, not as the end of a longer name.
    const std::string upper = ToUpperAnsi(destination);
    const std::string own = ToUpperAnsi(state_.productFolderName);
    const bool hasIt = upper == own || upper.ends_with(kNativeSeparator + own);
    if (!hasIt) destination += state_.productFolderName;
    state_.destination = destination;
}

std::string VexaInstall::FlagPath(std::string_view name) const { return state_.temporaryDirectory + std::string(name); }

bool VexaInstall::Stop(std::string_view message) {
    if (!state_.temporaryDirectory.empty())
        RemoveTempDirectory(platform_.shell, std::exchange(state_.temporaryDirectory, {}));
    platform_.ui.ShowMessage(std::string(message), std::string(kCaption));
    return false;
}

}  // namespace vexa::installer
