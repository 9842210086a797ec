#include "installer/attachment.hpp"

#include <fstream>
#include <span>

#include "cabcodec/attached_copy.hpp"
#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expand_into.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "installer/folders.hpp"
#include "installer/installer_texts.hpp"

namespace vexa::installer {
namespace {

// The copy into "Attachment.CAB" of `directory`; empty on success, else the message.
std::string_view CopyInto(ReadableFile& own, std::uint64_t offset, std::span<unsigned char> buffer,
                          const std::string& directory) {
    std::ofstream out(directory + std::string(kAttachmentName), std::ios::binary | std::ios::trunc);
    if (!out) return kNoAttachmentFile;
    switch (cab::CopyTail(own, offset, buffer, out)) {
        case cab::TailCopy::ShortRead: return kCannotReadAttachment;
        case cab::TailCopy::WriteFailed: return kCannotWriteAttachment;
        case cab::TailCopy::Done: break;
    }
    out.close();
    return out ? std::string_view() : kCannotWriteAttachment;
}

// Collects the path of every member put in place.
class Collect final : public cab::FolderExpansionCalls {
public:
    explicit Collect(std::vector<std::string>& extracted) : extracted_(extracted) {}
    void Completed(const std::filesystem::path& target) override { extracted_.push_back(target.string()); }

private:
    std::vector<std::string>& extracted_;
};

std::optional<std::vector<cab::MemberInfo>> ListMembers(Files& files, const std::string& cabinet) {
    auto file = files.OpenShared(cabinet);
    if (!file) return std::nullopt;
    cab::FileCabinetSource source(std::move(file));
    std::vector<cab::MemberInfo> members;
    if (cab::ListMembers(source, 0, members) != cab::ExpandStatus::Done) return std::nullopt;
    return members;
}

}  // namespace

AttachmentCopy ExtractAttachment(Files& files, Shell& shell, const std::string& ownPath, std::uint64_t offset) {
    auto own = files.OpenShared(ownPath);
    if (!own) return {{}, std::string(kCannotOpenOwn) + ownPath};
    if (own->Size() <= offset) return {{}, std::string(kOwnEmpty)};
    std::vector<unsigned char> buffer = cab::TailBuffer(own->Size() - offset);
    if (buffer.empty()) return {{}, std::string(kNoCopyBuffer)};
    std::string directory = MakeExpansionDirectory(files);
    if (directory.empty()) return {{}, std::string(kNoExpansionDirectory)};

    std::string_view failure = CopyInto(*own, offset, buffer, directory);
    if (failure.empty()) return {directory, {}};
    RemoveTempDirectory(shell, directory);
    return {{}, std::string(failure)};
}

bool ExtractFromCabinet(Files& files, const std::string& cabinet, const std::string& destination,
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
    return cab::ExpandIntoFolder(files, cabinet, folder, entries, collect).Done();
}

}  // namespace vexa::installer
