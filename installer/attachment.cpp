#include "installer/attachment.hpp"

#include <optional>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expand_into.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/folders.hpp"
#include "installer/installer_texts.hpp"

namespace vexa::installer {
namespace {

// Collects the path of every member put in place.
class Collect final : public cab::FolderExpansionCalls {
public:
    explicit Collect(std::vector<std::string>& extracted) : extracted_(extracted) {}
    void Completed(const std::filesystem::path& target) override { extracted_.push_back(target.string()); }

private:
    std::vector<std::string>& extracted_;
};

std::optional<std::vector<cab::MemberInfo>> ListMembers(Files& files, const CabinetFile& cabinet) {
    auto file = files.OpenShared(cabinet.path);
    if (!file) return std::nullopt;
    cab::FileCabinetSource source(std::move(file));
    std::vector<cab::MemberInfo> members;
    if (cab::ListMembers(source, cabinet.offset, members) != cab::ExpandStatus::Done) return std::nullopt;
    return members;
}

}  // namespace

AttachmentPlace ExtractAttachment(Files& files, const std::string& ownPath, std::uint64_t offset) {
    auto own = files.OpenShared(ownPath);
    if (!own) return {{}, std::string(kCannotOpenOwn) + ownPath};
    if (own->Size() <= offset) return {{}, std::string(kOwnEmpty)};
    std::string directory = MakeExpansionDirectory(files);
    if (directory.empty()) return {{}, std::string(kNoExpansionDirectory)};
    return {directory, {}};
}

bool ExtractFromCabinet(Files& files, const CabinetFile& cabinet, const std::string& destination,
                        const std::string& wantedName, std::vector<std::string>& extracted) {
    if (destination.empty()) return false;
    auto members = ListMembers(files, cabinet);
    if (!members) return false;
    // Matched against the output path, so a member inside a folder is found by its name.
    const std::string wanted = ToUpperAnsi(NativePath(wantedName).string());
    const std::string folder = WithTrailingSeparator(destination, kNativeSeparator);
    std::vector<std::string> entries;
    bool found = false;
    for (const cab::MemberInfo& member : *members) {
        const bool taken = ToUpperAnsi(folder + NativePath(member.name).string()).ends_with(wanted);
        found = found || taken;
        entries.push_back(taken ? member.name : cab::kSkipMark + member.name);
    }
    if (!wanted.empty() && !found) return false;
    Collect collect(extracted);
    return cab::ExpandIntoFolder(files, cabinet.path, folder, entries, collect, cabinet.offset).Done();
}

}  // namespace vexa::installer
