#include "cabinet/cab_expansion.hpp"

#include <filesystem>

#include "cabcodec/expand_into.hpp"
#include "cabcodec/cabinet_source.hpp"
#include "cabinet/cab_messages.hpp"
#include "common/format_path.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kAnswerPoll = 100;  // ms between looks at the overwrite answer

// The control's side of an expansion: its flags and counters, progress and the overwrite
// question by message to its window.
class ControlExpansion final : public cab::FolderExpansionCalls {
public:
    ControlExpansion(Platform& platform, CabinetJobs& jobs, const ExpandOrder& order)
        : platform_(platform), jobs_(jobs), order_(order) {}

    bool Cancelled() const override { return jobs_.expandCancel; }

    void Expanding(std::size_t, const fs::path& target) override {
        jobs_.SetCurrentFile(target.string());
        platform_.windows.Post(order_.window, kExpandProgressMessage, 0, 0);
    }

    cab::Existing AskExisting(const fs::path&) override {
        switch (AskToOverwrite()) {
            case kOverwriteKeep: return cab::Existing::Keep;
            case kOverwriteCancel: jobs_.expandCancel = true; return cab::Existing::Cancel;
            case kOverwriteAll: return cab::Existing::ReplaceAll;
            default: return cab::Existing::Replace;
        }
    }

    void Advanced(std::size_t next) override { jobs_.expansionPosition = next; }
    void Completed(const fs::path&) override { ++jobs_.extractedCount; }

private:
    // The window raises the question as an event and takes "overwrite all" for an answer
    // when its handler gives none. Without a window nobody can answer, which counts the
    // same.
    std::int32_t AskToOverwrite() {
        jobs_.overwriteAnswer = kOverwriteWaiting;
        if (!platform_.windows.Post(order_.window, kExpandOverwriteMessage, 0, 0)) jobs_.AnswerIfWaiting(kOverwriteAll);
        while (jobs_.overwriteAnswer == kOverwriteWaiting) {
            if (!platform_.windows.IsWindow(order_.window)) jobs_.AnswerIfWaiting(kOverwriteAll);
            platform_.clock.Sleep(kAnswerPoll);
        }
        return jobs_.overwriteAnswer;
    }

    Platform& platform_;
    CabinetJobs& jobs_;
    const ExpandOrder& order_;
};

}  // namespace

std::optional<std::vector<std::string>> ListCabinet(Files& files, const std::string& path) {
    auto file = files.OpenShared(path);
    if (!file) return std::nullopt;
    cab::FileCabinetSource source(std::move(file));
    std::vector<cab::MemberInfo> members;
    if (cab::ListMembers(source, 0, members) != cab::ExpandStatus::Done) return std::nullopt;
    std::vector<std::string> names;
    for (cab::MemberInfo& member : members) names.push_back(std::move(member.name));
    return names;
}

void RunExpansion(Platform& platform, CabinetJobs& jobs, const ExpandOrder& order) {
    ControlExpansion calls(platform, jobs, order);
    cab::FolderExpansion expansion =
        cab::ExpandIntoFolder(platform.files, order.cabFilename, order.directory, order.entries, calls);
    jobs.SetFailureCause(expansion.cause);
    JobOutcome outcome = jobs.expandCancel ? JobOutcome::Cancel
                         : expansion.Done() ? JobOutcome::Done
                                            : JobOutcome::Error;
    platform.windows.Post(order.window, kExpandEndedMessage, static_cast<std::uintptr_t>(outcome), jobs.extractedCount);
}

}  // namespace vexa
