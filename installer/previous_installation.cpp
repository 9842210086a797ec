#include "installer/previous_installation.hpp"

#include <filesystem>

#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/attachment.hpp"
#include "installer/folders.hpp"
#include "installer/installation_removal.hpp"
#include "installer/installed_programs.hpp"
#include "installer/installer_texts.hpp"
#include "installer/uninstall_record.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUninstallFolder = "Uninstall";

std::string QuotedIfBlank(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

// The extracted uninstall program copied into place, executable where files carry the permission.
bool CopyUninstallProgram(Files& files, const std::string& extracted, const std::string& target) {
    auto copy = FileBesideOf(files, target);
    return copy->CopyFrom(extracted) &&
           !copy->Commit(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
}

void WriteRecord(Files& files, const std::string& program, const InstallState& state) {
    std::vector<std::string> record = ReadUninstallRecord(files, program).value_or(std::vector<std::string>{});
    if (record.size() < 3) record.resize(3);
    record[0] = state.productName;
    record[1] = state.installDirectory;
    record[2] = state.programGroupPath;
    record.insert(record.end(), state.installedFiles.begin(), state.installedFiles.end());
    WriteUninstallRecord(files, program, record);
}

void RegisterForRemoval(Registry& registry, const std::string& productName, const std::string& program) {
    const auto key = UninstallEntryKey(productName);
    registry.WriteString(RegistryRoot::LocalMachine, key, std::string(kDisplayNameValue), productName);
    registry.WriteString(RegistryRoot::LocalMachine, key, std::string(kUninstallStringValue), QuotedIfBlank(program));
}

}  // namespace

std::string UninstallProgramPath(const std::string& installDirectory) {
    return installDirectory + std::string(kUninstallFolder) + kNativeSeparator + std::string(kUninstallName);
}

bool CheckPreviousInstallation(Platform& platform, const std::string& productName, std::vector<std::string>& previous) {
    previous.clear();
    const std::string directory = RegisteredDirectory(platform.registry, platform.files, productName);
    if (directory.empty()) return true;
    previous = ReadUninstallRecord(platform.files, UninstallProgramPath(directory)).value_or(std::vector<std::string>{});
    if (previous.size() <= 2 || ToUpperAnsi(previous[0]) != ToUpperAnsi(productName)) {
        previous.clear();
        return true;
    }
    const std::string question =
        std::string(kPreviousFound) + "\r\r" + directory + "\r\r" + std::string(kPreviousQuestion);
    if (platform.ui.AskYesNo(question, std::string(kCaption))) return true;
    previous.clear();
    return false;
}

void RemovePreviousInstallation(Platform& platform, const std::vector<std::string>& previous) {
    RemoveInstallation(platform, previous);
}

void PlaceUninstallProgram(Platform& platform, InstallState& state, const CabinetFile& attachment,
                           const std::function<void(const std::string&)>& addStatusLine) {
    std::vector<std::string> extracted;
    if (!ExtractFromCabinet(platform.files, attachment, state.temporaryDirectory, std::string(kUninstallName), extracted) ||
        extracted.empty())
        return;
    addStatusLine(std::string(kCreatingUninstall));
    const std::string program = UninstallProgramPath(state.installDirectory);
    if (CreateDirectoryPath(platform.files, fs::path(program).parent_path().string()))
        CopyUninstallProgram(platform.files, extracted.back(), program);
    state.installedFiles.push_back(program);
    std::error_code ignored;
    if (fs::is_regular_file(program, ignored)) WriteRecord(platform.files, program, state);
    RegisterForRemoval(platform.registry, state.productName, program);
}

bool VexaInstall::CheckPreviousInstallation() {
    return installer::CheckPreviousInstallation(platform_, state_.productName, state_.previousInstallation);
}

void VexaInstall::RemovePreviousInstallation() {
    installer::RemovePreviousInstallation(platform_, state_.previousInstallation);
}

void VexaInstall::PlaceUninstallProgram() {
    installer::PlaceUninstallProgram(platform_, state_, Attachment(), [this](const std::string& line) { AddStatusLine(line); });
}

}  // namespace vexa::installer
