#include "loader/component_placement.hpp"

#include <filesystem>
#include <system_error>

#include "common/format_path.hpp"
#include "common/text.hpp"
#include "common/version.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

std::string InFolder(const std::string& folder, const std::string& name) {
    return WithTrailingSeparator(folder, kNativeSeparator) + name;
}

bool IsFile(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && fs::is_regular_file(path, ignored);
}

}  // namespace

ComponentPlacement::ComponentPlacement(Files& files, Components& components, Registry& registry, Shell& shell)
    : files_(files), components_(components), registry_(registry), shell_(shell) {}

std::string ComponentPlacement::PresentVersionDecides(const std::string& present, const std::string& version,
                                                      const std::string& target) {
    std::string have = components_.FileVersion(present);
    return ParseVersion(have) >= ParseVersion(version) ? std::string() : target;
}

std::string ComponentPlacement::NeedDll(const std::string& fileName, const std::string& version) {
    SharedFileLocation where = components_.FindSharedFile(fileName, shell_.FolderPath(SpecialFolder::Windows), "c:\\");
    std::string target = InFolder(where.destination, fileName);
    if (where.current.empty()) return target;
    return PresentVersionDecides(InFolder(where.current, fileName), version, target);
}

std::string ComponentPlacement::RegisteredServer(const std::string& classId) {
    auto registered = registry_.ReadString(RegistryRoot::ClassesRoot, {"CLSID", classId, "InprocServer32"}, "");
    return registered && IsFile(*registered) ? *registered : std::string();
}

std::string ComponentPlacement::NeedControl(const std::string& classId, const std::string& version,
                                            const std::string& fileName) {
    std::string registered = RegisteredServer(classId);
    if (!registered.empty()) return PresentVersionDecides(registered, version, registered);
    return InFolder(shell_.FolderPath(SpecialFolder::System), fileName);
}

Placement ComponentPlacement::Place(const std::string& source, const std::string& target) {
    if (ReplaceFileWith(files_, source, target)) return Placement::Copied;
    auto replacement = files_.CreateTempFile("~vx");
    if (!replacement) return Placement::Failed;
    std::error_code error;
    if (!ReplaceFileWith(files_, source, *replacement) || !components_.ReplaceAtRestart(*replacement, target)) {
        fs::remove(*replacement, error);
        return Placement::Failed;
    }
    return Placement::Deferred;
}

}  // namespace vexa::loader
