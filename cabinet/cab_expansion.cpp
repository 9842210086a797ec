#include "cabinet/cab_expansion.hpp"

#include <filesystem>

#include "cabcodec/expand_into.hpp"
#include "cabinet/cab_messages.hpp"
#include "common/format_path.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kAnswerPoll = 100;  // ms between looks at the overwrite answer

// Reads fail once the expansion is cancelled: that stops the codec.
class CancellableSource final : public cab::CabinetSource {
public:
    CancellableSource(cab::CabinetSource& whole, const std::atomic<bool>& cancelled)
        : whole_(whole), cancelled_(cancelled) {}
    std::uint64_t Size() const override { return whole_.Size(); }
    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        if (cancelled_) return std::nullopt;
        return whole_.ReadAt(offset, into, n);
    }

private:
    cab::CabinetSource& whole_;
    const std::atomic<bool>& cancelled_;
};

class ExpansionHandler final : public cab::ExpandHandler {
public:
    ExpansionHandler(Platform& platform, CabinetJobs& jobs, const ExpandOrder& order)
        : platform_(platform), jobs_(jobs), order_(order) {}

    // After a cancel nothing more is created; the members left are skipped.
    std::unique_ptr<cab::MemberSink> CopyFile(const cab::MemberInfo& member) override {
        if (jobs_.expandCancel) return nullptr;
        fs::path destination = fs::path(order_.directory) / NativePath(member.name);
        std::error_code ignored;  // a folder that cannot be made fails the file's creation
        fs::create_directories(destination.parent_path(), ignored);
        if (SkipMarked()) return Skip();
        jobs_.SetCurrentFile(destination.string());
        platform_.windows.Post(order_.window, kExpandProgressMessage, 0, 0);
        if (fs::exists(destination, ignored)) {
            std::int32_t answer = AskToOverwrite();
            if (answer == kOverwriteCancel) jobs_.expandCancel = true;
            if (answer == kOverwriteKeep || answer == kOverwriteCancel) return Skip();
            fs::remove(destination, ignored);
        }
        ++jobs_.expansionPosition;
        return std::make_unique<cab::MemberFile>(destination);
    }

    bool FileComplete(std::unique_ptr<cab::MemberSink> sink, const cab::MemberInfo& member) override {
        auto& file = static_cast<cab::MemberFile&>(*sink);
        if (!file.Complete()) return false;
        ++jobs_.extractedCount;
        cab::StampMember(platform_.files, file.Path().string(), member);
        return true;
    }

private:
    bool SkipMarked() const {
        std::size_t position = jobs_.expansionPosition;
        return position < order_.entries.size() && order_.entries[position].starts_with(kSkipMark);
    }

    std::unique_ptr<cab::MemberSink> Skip() {
        ++jobs_.expansionPosition;
        return nullptr;
    }

    // The window raises the question as an event and takes "overwrite all" for an answer
    // when its handler gives none. Without a window nobody can answer, which counts the
    // same.
    std::int32_t AskToOverwrite() {
        if (jobs_.overwriteAnswer == kOverwriteAll) return kOverwriteAll;
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

bool Expand(Platform& platform, CabinetJobs& jobs, const ExpandOrder& order) {
    auto file = platform.files.OpenShared(order.cabFilename);
    if (!file) return false;
    cab::FileCabinetSource whole(std::move(file));
    CancellableSource source(whole, jobs.expandCancel);
    ExpansionHandler handler(platform, jobs, order);
    return cab::Expand(source, 0, handler) == cab::ExpandStatus::Done;
}

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
    bool expanded = Expand(platform, jobs, order);
    JobOutcome outcome = jobs.expandCancel ? JobOutcome::Cancel : expanded ? JobOutcome::Done : JobOutcome::Error;
    platform.windows.Post(order.window, kExpandEndedMessage, static_cast<std::uintptr_t>(outcome), jobs.extractedCount);
}

}  // namespace vexa
