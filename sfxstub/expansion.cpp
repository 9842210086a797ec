#include "sfxstub/expansion.hpp"

#include "cabcodec/expand_into.hpp"
#include "sfxstub/stub_texts.hpp"

namespace vexa::sfx {
namespace {

namespace fs = std::filesystem;

// The stub's side of an expansion: its flags, the status line and the overwrite dialog.
class StubExpansion final : public cab::FolderExpansionCalls {
public:
    StubExpansion(StubUi& ui, const std::vector<std::string>& entries, ExpansionFlags& flags)
        : ui_(ui), entries_(entries), flags_(flags) {}

    bool Cancelled() const override { return flags_.Stopped(); }

    void Expanding(std::size_t position, const fs::path&) override {
        if (position < entries_.size()) ui_.ShowStatus(kNowExtracting + entries_[position]);
    }

    cab::Existing AskExisting(const fs::path& target) override {
        switch (ui_.AskOverwrite(target.string())) {
            case OverwriteAnswer::No: return cab::Existing::Keep;
            case OverwriteAnswer::Cancel: flags_.cancel = true; return cab::Existing::Cancel;
            case OverwriteAnswer::YesToAll: return cab::Existing::ReplaceAll;
            case OverwriteAnswer::Yes: break;
        }
        return cab::Existing::Replace;
    }

private:
    StubUi& ui_;
    const std::vector<std::string>& entries_;
    ExpansionFlags& flags_;
};

}  // namespace

std::optional<EndMessage> EndMessageOf(const ExpansionResult& result) {
    if (result.closing) return std::nullopt;
    switch (result.outcome) {
    case ExpansionOutcome::Cancelled:
        return EndMessage{result.created ? kCancelledSome : kCancelledNone, kCancelledCaption};
    case ExpansionOutcome::Failed:
        return EndMessage{kFailed, kErrorCaption};
    case ExpansionOutcome::Done:
        break;
    }
    return result.created ? EndMessage{kSucceeded, kSuccessCaption} : EndMessage{kNothingExtracted, kNothingCaption};
}

ExpansionResult ExpandCabinet(Files& files, StubUi& ui, const std::string& cabinetPath, const fs::path& folder,
                              const std::vector<std::string>& entries, ExpansionFlags& flags) {
    StubExpansion calls(ui, entries, flags);
    cab::FolderExpansion expansion = cab::ExpandIntoFolder(files, cabinetPath, folder, entries, calls);
    ExpansionResult result;
    result.outcome = flags.Stopped()                                  ? ExpansionOutcome::Cancelled
                     : expansion.status != cab::ExpandStatus::Done ? ExpansionOutcome::Failed
                                                                      : ExpansionOutcome::Done;
    result.created = expansion.completed > 0;
    result.closing = flags.closing;
    flags.cancel = false;
    return result;
}

}  // namespace vexa::sfx
