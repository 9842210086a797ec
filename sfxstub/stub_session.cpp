#include "sfxstub/stub_session.hpp"

#include <filesystem>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"
#include "sfxstub/attachment.hpp"
#include "sfxstub/stub_texts.hpp"

namespace vexa::sfx {
namespace {

// The listing pass: every member is skipped and its name kept.
std::vector<std::string> ListNames(Files& files, const std::string& cabinetPath) {
    std::vector<std::string> names;
    auto file = files.OpenShared(cabinetPath);
    if (!file) return names;
    cab::FileCabinetSource source(std::move(file));
    std::vector<cab::MemberInfo> members;
    cab::ListMembers(source, 0, members);
    for (auto& member : members) names.push_back(std::move(member.name));
    return names;
}

}  // namespace

std::string OwnPathOf(std::string_view commandLine) {
    if (!commandLine.starts_with('"')) return std::string(commandLine);
    std::string_view quoted = commandLine.substr(1);
    return std::string(quoted.substr(0, quoted.rfind('"')));
}

StubSession::StubSession(Files& files, StubUi& ui, std::string ownPath, std::uint64_t attachmentOffset)
    : files_(files), ui_(ui), ownPath_(std::move(ownPath)), attachmentOffset_(attachmentOffset) {}

StubSession::~StubSession() { RemoveTemporaryCabinet(); }

void StubSession::RemoveTemporaryCabinet() {
    std::error_code ignored;
    if (!tempPath_.empty()) std::filesystem::remove(tempPath_, ignored);
}

bool StubSession::MakeTemporaryCabinet() {
    AttachmentCopy copy = CopyAttachment(files_, ownPath_, attachmentOffset_);
    if (!copy.failure.empty()) {
        ui_.ShowMessage(copy.failure, kErrorCaption);
        return false;
    }
    tempPath_ = std::move(copy.tempPath);
    return true;
}

bool StubSession::Start() {
    if (!MakeTemporaryCabinet()) return false;
    entries_ = ListNames(files_, tempPath_);
    return true;
}

std::string StubSession::Caption() const {
    std::size_t separator = ownPath_.find_last_of("\\/");
    return kCaptionPrefix + (separator == std::string::npos ? ownPath_ : ownPath_.substr(separator + 1));
}

bool StubSession::Expand(const std::string& folder) {
    if (!PrepareExpansion()) return false;
    AnnounceEnd(ExpandInto(folder));
    return true;
}

bool StubSession::PrepareExpansion() {
    std::error_code ignored;
    return std::filesystem::exists(tempPath_, ignored) || MakeTemporaryCabinet();
}

ExpansionResult StubSession::ExpandInto(const std::string& folder) {
    return ExpandCabinet(files_, ui_, tempPath_, folder, entries_, flags_);
}

void StubSession::AnnounceEnd(const ExpansionResult& result) {
    if (auto message = EndMessageOf(result)) ui_.ShowMessage(message->text, message->caption);
}

bool StubSession::Run() {
    if (!Start()) return false;
    ui_.ShowFiles(Caption(), entries_);
    while (!flags_.closing) {
        auto folder = ui_.ChooseFolder();
        if (!folder || !Expand(*folder)) break;
    }
    return true;
}

}  // namespace vexa::sfx
